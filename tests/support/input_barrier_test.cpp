// The wait the shown-tree tests end their keys with: it must not end before
// the keys and what their handlers posted are handled, also in a modal loop,
// and no window may see the key it waits with.
#include "runtime/application.h"
#include "runtime/handles.h"

#include "support/real_input.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

namespace census {
namespace {

using namespace census::testing;

constexpr UINT kFollowUp = WM_APP + 7;
constexpr WORD kModalKey = 'M';

// A window of this thread that records the keys it is given. Each key posts
// a chain of follow-ups, as handlers post their later work; the modal key
// runs a loop of its own until told to leave.
class KeyRecorder {
public:
    KeyRecorder() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &KeyRecorder::Proc;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"CensusKeyRecorder";
        ::RegisterClassW(&wc);
        window_.reset(::CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 10, 10, 80, 60, nullptr,
                                        nullptr, wc.hInstance, nullptr));
        ::SetWindowLongPtrW(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        MakeForeground(window_.get());
        ::SetFocus(window_.get());
    }

    HWND Handle() const { return window_.get(); }

    std::vector<WPARAM> keys;  // every key down and up, in order
    int chains_done = 0;
    std::atomic<bool> in_modal_loop{false}, leave_modal_loop{false};

private:
    static LRESULT CALLBACK Proc(HWND h, UINT message, WPARAM w, LPARAM l) {
        auto* self = reinterpret_cast<KeyRecorder*>(::GetWindowLongPtrW(h, GWLP_USERDATA));
        if (!self) return ::DefWindowProcW(h, message, w, l);
        switch (message) {
            case WM_KEYDOWN:
            case WM_KEYUP:
            case WM_SYSKEYDOWN:
            case WM_SYSKEYUP:
                self->keys.push_back(w);
                if (message == WM_KEYDOWN) ::PostMessageW(h, kFollowUp, 3, 0);
                if (message == WM_KEYDOWN && w == kModalKey) self->RunModalLoop();
                return 0;
            case kFollowUp:
                if (w > 1) ::PostMessageW(h, kFollowUp, w - 1, 0);
                else ++self->chains_done;
                return 0;
            default:
                return ::DefWindowProcW(h, message, w, l);
        }
    }
    void RunModalLoop() {
        in_modal_loop = true;
        MSG msg;
        while (!leave_modal_loop && ::GetMessageW(&msg, nullptr, 0, 0) > 0) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        in_modal_loop = false;
    }

    UniqueHwnd window_;
};

TEST(InputBarrier, EndsOnceEveryKeyAndWhatItPostedIsHandledAndNoWindowSeesItsKey) {
    KeyRecorder recorder;
    Application::Instance().ProcessMessages();
    recorder.keys.clear();
    QueueKey('A');
    QueueKey('B', true);
    ASSERT_TRUE(InputBarrier());
    EXPECT_EQ(recorder.keys, (std::vector<WPARAM>{'A', 'A', VK_CONTROL, 'B', 'B', VK_CONTROL}));
    EXPECT_EQ(recorder.chains_done, 3) << "what the key downs posted, and what that posted";
}

// From a script, while the window's thread is inside a loop of a handler's own.
TEST(InputBarrier, SeesTheKeysTakenInAModalLoop) {
    KeyRecorder recorder;
    Application::Instance().ProcessMessages();
    recorder.keys.clear();
    bool ended = false, inside = false;
    const HWND window = recorder.Handle();
    Perform([&] {
        TapKey(kModalKey);
        TapKey('A');
        ended = InputBarrier();
        inside = recorder.in_modal_loop;
        recorder.leave_modal_loop = true;
        ::PostMessageW(window, WM_NULL, 0, 0);
    });
    EXPECT_TRUE(ended);
    EXPECT_TRUE(inside) << "the barrier ended while the loop ran";
    EXPECT_EQ(recorder.keys, (std::vector<WPARAM>{kModalKey, kModalKey, 'A', 'A'}));
    EXPECT_EQ(recorder.chains_done, 2);
}

}  // namespace
}  // namespace census
