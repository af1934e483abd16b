#include "runtime/application.h"
#include "runtime/form.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <vector>

namespace census {
namespace {

// A native edit wrapped as a control; it remembers the characters it saw.
class WrappedEdit : public Control {
public:
    std::vector<wchar_t> seen;

protected:
    void FillCreateParams(CreateParams& params) override {
        Control::FillCreateParams(params);
        params.class_name = L"EDIT";
    }
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_CHAR) seen.push_back(static_cast<wchar_t>(wp));
        return Control::WndProc(msg, wp, lp);
    }
};

// Another party's subclass, installed after ours.
struct Listener {
    int characters = 0;
    bool destroyed = false;
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref) {
        auto* self = reinterpret_cast<Listener*>(ref);
        if (msg == WM_CHAR) ++self->characters;
        if (msg == WM_NCDESTROY) {
            self->destroyed = true;
            ::RemoveWindowSubclass(hwnd, &Proc, id);
        }
        return ::DefSubclassProc(hwnd, msg, wp, lp);
    }
};

std::wstring TextOf(HWND hwnd) {
    wchar_t text[64] = {};
    ::GetWindowTextW(hwnd, text, 64);
    return text;
}

TEST(WrappedNativeWindow, MessagesReachTheControlAndTheNativeClassThroughAnyLaterSubclass) {
    Form form;
    form.SetBounds(100, 100, 200, 100);
    WrappedEdit edit;
    edit.SetParent(&form);
    edit.SetBounds(10, 10, 150, 24);
    form.Show();
    HWND hwnd = edit.Handle();
    EXPECT_EQ(Control::FromHandle(hwnd), &edit);
    EXPECT_EQ(Control::FromHandle(::GetDesktopWindow()), nullptr);

    ::SendMessageW(hwnd, WM_CHAR, L'a', 1);
    Listener listener;
    ASSERT_TRUE(::SetWindowSubclass(hwnd, &Listener::Proc, 1, reinterpret_cast<DWORD_PTR>(&listener)));
    ::SendMessageW(hwnd, WM_CHAR, L'b', 1);
    EXPECT_EQ(TextOf(hwnd), L"ab");
    EXPECT_EQ(edit.seen, (std::vector<wchar_t>{L'a', L'b'}));
    EXPECT_EQ(listener.characters, 1);

    // Re-creating the window cannot take our procedure out from under the
    // later subclass: the old window still reaches its native class until it
    // is gone, and the new one is ours again.
    edit.RecreateWnd();
    EXPECT_TRUE(listener.destroyed);
    EXPECT_FALSE(::IsWindow(hwnd));
    HWND again = edit.Handle();
    EXPECT_EQ(Control::FromHandle(again), &edit);
    EXPECT_EQ(TextOf(again), L"ab");
    ::SendMessageW(again, EM_SETSEL, 2, 2);
    ::SendMessageW(again, WM_CHAR, L'c', 1);
    EXPECT_EQ(TextOf(again), L"abc");
    EXPECT_EQ(edit.seen.size(), 3u);

    edit.SetParent(nullptr);
    EXPECT_EQ(Control::FromHandle(again), nullptr);
}

}  // namespace
}  // namespace census
