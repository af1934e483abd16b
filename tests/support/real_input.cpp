#include "support/real_input.h"

#include "support/mouse_follower.h"

#include "runtime/application.h"
#include "runtime/handles.h"

#include <atomic>
#include <thread>
#include <vector>


namespace census::testing {

namespace {

void Send(INPUT input) { ::SendInput(1, &input, sizeof(INPUT)); }

void SendMouse(DWORD flags) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    Send(in);
}

// A virtual key with its scan code, or a character typed as itself.
INPUT KeyInput(WORD vk, wchar_t unicode, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = unicode ? unicode : static_cast<WORD>(::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = (unicode ? KEYEVENTF_UNICODE : 0) | (up ? KEYEVENTF_KEYUP : 0);
    return in;
}

void SendKey(WORD key, wchar_t unicode, bool up) { Send(KeyInput(key, unicode, up)); }

void QueueMoveTo(POINT screen) {
    ::SetCursorPos(screen.x, screen.y);
    // An absolute move in the primary screen's 0..65535 coordinates, rounded
    // up so that it lands on the very pixel.
    const LONGLONG w = ::GetSystemMetrics(SM_CXSCREEN), h = ::GetSystemMetrics(SM_CYSCREEN);
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = static_cast<LONG>((screen.x * 65536LL + w - 1) / w);
    in.mi.dy = static_cast<LONG>((screen.y * 65536LL + h - 1) / h);
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    Send(in);
}


void SendBatch(std::vector<INPUT>& inputs) {
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// --- the sentinel of InputBarrier ---

// No control of the program answers this key, and the hook below hides it
// from all of them before they could.
constexpr WORD kSentinelKey = VK_F24;

std::atomic<bool> sentinel_taken{false};
// True on the thread that runs a Perform script.
thread_local bool in_script = false;

bool IsSentinel(const MSG& msg) {
    const bool key = msg.message == WM_KEYDOWN || msg.message == WM_KEYUP || msg.message == WM_SYSKEYDOWN ||
                     msg.message == WM_SYSKEYUP;
    return key && msg.wParam == kSentinelKey;
}

// Sees every message the thread takes from its queue, whichever loop takes it.
LRESULT CALLBACK SentinelHook(int code, WPARAM removal, LPARAM message) {
    auto* msg = reinterpret_cast<MSG*>(message);
    if (code == HC_ACTION && IsSentinel(*msg)) {
        // Its release is the last of it; a loop that only peeks at it has
        // still handled everything before it.
        if (msg->message == WM_KEYUP || msg->message == WM_SYSKEYUP) sentinel_taken = true;
        msg->message = WM_NULL;
        msg->wParam = 0;
        msg->lParam = 0;
    }
    return ::CallNextHookEx(nullptr, code, removal, message);
}

UniqueHook WatchForSentinel() {
    return UniqueHook(::SetWindowsHookExW(WH_GETMESSAGE, SentinelHook, nullptr, ::GetCurrentThreadId()));
}

void SendSentinel() {
    sentinel_taken = false;
    std::vector<INPUT> press{KeyInput(kSentinelKey, 0, false), KeyInput(kSentinelKey, 0, true)};
    SendBatch(press);
}

POINT CursorNow() {
    POINT now{};
    ::GetCursorPos(&now);
    return now;
}

bool AnyChildToPaint(HWND window) {
    bool due = false;
    ::EnumChildWindows(
        window,
        [](HWND child, LPARAM found) -> BOOL {
            if (!::IsWindowVisible(child) || !::GetUpdateRect(child, nullptr, FALSE)) return TRUE;
            *reinterpret_cast<bool*>(found) = true;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&due));
    return due;
}

// The window and every window inside it have no part left to paint.
bool NothingToPaint(HWND window) { return !::GetUpdateRect(window, nullptr, FALSE) && !AnyChildToPaint(window); }

}  // namespace

void QueueClickAt(POINT screen) {
    QueueMoveTo(screen);
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    SendMouse(MOUSEEVENTF_LEFTUP);
}

void QueueText(const std::wstring& text) {
    for (wchar_t c : text) {
        SendKey(0, c, false);
        SendKey(0, c, true);
    }
}

void QueueKey(WORD key, bool ctrl) {
    if (ctrl) SendKey(VK_CONTROL, 0, false);
    SendKey(key, 0, false);
    SendKey(key, 0, true);
    if (ctrl) SendKey(VK_CONTROL, 0, true);
}

bool PumpUntil(const std::function<bool()>& done, unsigned limit_ms) {
    const ULONGLONG end = ::GetTickCount64() + limit_ms;
    for (;;) {
        Application::Instance().ProcessMessages();
        if (done()) return true;
        if (::GetTickCount64() >= end) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

bool WaitUntil(const std::function<bool()>& done, unsigned limit_ms) {
    const ULONGLONG end = ::GetTickCount64() + limit_ms;
    for (;;) {
        if (done()) return true;
        if (::GetTickCount64() >= end) return false;
        ::Sleep(10);
    }
}

void ExpectNothingFor(unsigned ms) {
    PumpUntil([] { return false; }, ms);
}

bool PumpUntilPainted(HWND window, unsigned limit_ms) {
    return PumpUntil([window] { return ::IsWindowVisible(window) && NothingToPaint(window); }, limit_ms);
}

bool InputBarrier(unsigned limit_ms) {
    const auto taken = [] { return sentinel_taken.load(); };
    if (in_script) {  // Perform watches the window's thread
        SendSentinel();
        return WaitUntil(taken, limit_ms);
    }
    const UniqueHook watch = WatchForSentinel();
    SendSentinel();
    return PumpUntil(taken, limit_ms);
}

HWND ShownMenu() {
    HWND menu = ::FindWindowW(L"#32768", nullptr);
    return menu && ::IsWindowVisible(menu) ? menu : nullptr;
}

void MoveMouseTo(POINT screen) {
    // A pointer already there makes no move, and no message to follow.
    const POINT before = CursorNow();
    const bool moves = before.x != screen.x || before.y != screen.y;
    MouseFollower follower(MouseEvent::kMoveTo, screen, moves && MouseComesHere(screen));
    QueueMoveTo(screen);
    // The pointer's position arrives through the display server; later
    // readings must not see an older one.
    PumpUntil([&] {
        const POINT now = CursorNow();
        return now.x == screen.x && now.y == screen.y;
    }, 2000);
    follower.Follow();
}

void ClickLeft() {
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    SendMouse(MOUSEEVENTF_LEFTUP);
}

void ClickAtOnce(POINT screen) {
    ::SetCursorPos(screen.x, screen.y);
    QueueClickAt(screen);
}

void MouseButton(bool down) { SendMouse(down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP); }

void Key(WORD virtual_key, bool down) { SendKey(virtual_key, 0, !down); }

void MakeForeground(HWND window) {
    ::SetForegroundWindow(window);
    ::SetActiveWindow(window);
    // Its thread, this one or another program's, has taken the activation.
    PumpUntil([window] {
        GUITHREADINFO gui{sizeof gui};
        return ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &gui) && gui.hwndActive == window;
    });
}

void TapKey(WORD virtual_key) {
    SendKey(virtual_key, 0, false);
    SendKey(virtual_key, 0, true);
}

void LeftDown() {
    const POINT at = CursorNow();
    MouseFollower follower(MouseEvent::kButtonDown, at, MouseComesHere(at));
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    follower.Follow();
}

void LeftUp() {
    const POINT at = CursorNow();
    MouseFollower follower(MouseEvent::kButtonUp, at, MouseComesHere(at));
    SendMouse(MOUSEEVENTF_LEFTUP);
    follower.Follow();
}

void ClickAt(POINT screen) {
    MoveMouseTo(screen);
    MouseFollower follower(MouseEvent::kButtonUp, screen, MouseComesHere(screen));
    // Both edges at once: a tree control tracks a press in a loop of its own
    // until the button comes up, so nothing may wait between them.
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    SendMouse(MOUSEEVENTF_LEFTUP);
    follower.Follow();
}

void ClickClient(HWND window, POINT client) {
    ::ClientToScreen(window, &client);
    ClickAt(client);
}

void TypeText(const std::wstring& text) {
    QueueText(text);
    InputBarrier();
}

void PressKey(WORD key, bool ctrl) {
    QueueKey(key, ctrl);
    InputBarrier();
}

POINT CentreOf(HWND window) {
    RECT r{};
    ::GetClientRect(window, &r);
    POINT p{r.right / 2, r.bottom / 2};
    ::ClientToScreen(window, &p);
    return p;
}

ScreenShot::ScreenShot(const RECT& screen)
    : width_(screen.right - screen.left), height_(screen.bottom - screen.top) {
    WindowDc desktop(nullptr);
    UniqueMemoryDc memory(::CreateCompatibleDC(desktop.get()));
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width_, -height_, 1, 32, BI_RGB};
    void* bits = nullptr;
    UniqueBitmap bitmap(::CreateDIBSection(desktop.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    {
        SelectGuard select(memory.get(), bitmap.get());
        ::BitBlt(memory.get(), 0, 0, width_, height_, desktop.get(), screen.left, screen.top, SRCCOPY);
    }
    ::GdiFlush();
    const auto* quads = static_cast<const RGBQUAD*>(bits);
    pixels_.resize(static_cast<size_t>(width_) * height_);
    for (size_t i = 0; i < pixels_.size(); ++i) pixels_[i] = RGB(quads[i].rgbRed, quads[i].rgbGreen, quads[i].rgbBlue);
}

COLORREF ScreenShot::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
    return pixels_[static_cast<size_t>(y) * width_ + x];
}

std::vector<COLORREF> ScreenRow(POINT start, int count) {
    // Copied with CAPTUREBLT, so that layered windows (hint windows) are in the picture.
    WindowDc dc(nullptr);
    UniqueMemoryDc copy(::CreateCompatibleDC(dc.get()));
    UniqueBitmap pixels(::CreateCompatibleBitmap(dc.get(), count, 1));
    SelectGuard held(copy.get(), pixels.get());
    ::BitBlt(copy.get(), 0, 0, count, 1, dc.get(), start.x, start.y, SRCCOPY | CAPTUREBLT);
    std::vector<COLORREF> row;
    for (int x = 0; x < count; ++x) row.push_back(::GetPixel(copy.get(), x, 0));
    return row;
}

COLORREF ScreenPixel(POINT screen) { return ScreenRow(screen, 1).front(); }

void RealClick(HWND window) {
    HWND top = ::GetAncestor(window, GA_ROOT);
    ::SetForegroundWindow(top);
    RECT r;
    ::GetWindowRect(window, &r);
    ::SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    std::vector<INPUT> inputs(2);
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendBatch(inputs);
}

void RealType(const std::wstring& text) {
    std::vector<INPUT> inputs;
    for (wchar_t c : text) {
        inputs.push_back(KeyInput(0, c, false));
        inputs.push_back(KeyInput(0, c, true));
    }
    SendBatch(inputs);
}

void RealKey(WORD key, bool shift, bool control) {
    std::vector<INPUT> inputs;
    if (shift) inputs.push_back(KeyInput(VK_SHIFT, 0, false));
    if (control) inputs.push_back(KeyInput(VK_CONTROL, 0, false));
    inputs.push_back(KeyInput(key, 0, false));
    inputs.push_back(KeyInput(key, 0, true));
    if (control) inputs.push_back(KeyInput(VK_CONTROL, 0, true));
    if (shift) inputs.push_back(KeyInput(VK_SHIFT, 0, true));
    SendBatch(inputs);
}

HWND WaitForOwnWindow(const std::function<bool(HWND)>& match, unsigned timeout_ms) {
    struct Search {
        const std::function<bool(HWND)>* match;
        HWND found;
    };
    for (unsigned waited = 0; waited <= timeout_ms; waited += 20) {
        Search search{&match, nullptr};
        ::EnumWindows(
            [](HWND h, LPARAM lp) -> BOOL {
                auto* s = reinterpret_cast<Search*>(lp);
                DWORD pid = 0;
                ::GetWindowThreadProcessId(h, &pid);
                if (pid == ::GetCurrentProcessId() && ::IsWindowVisible(h) && (*s->match)(h)) {
                    s->found = h;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        ::Sleep(20);
    }
    return nullptr;
}

HWND WaitForOwnWindow(const std::wstring& caption, unsigned timeout_ms) {
    return WaitForOwnWindow(
        [&](HWND h) {
            wchar_t text[256] = L"";
            ::GetWindowTextW(h, text, 256);
            return caption == text;
        },
        timeout_ms);
}

// --- scripts for modal loops --------------------------------------------------

void Perform(const std::function<void()>& script) {
    const UniqueHook watch = WatchForSentinel();
    std::atomic<bool> done{false};
    std::thread driver([&] {
        in_script = true;
        script();
        done = true;
    });
    while (!done) {
        Application::Instance().ProcessMessages();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    driver.join();
    Application::Instance().ProcessMessages();
}

void PointerTo(POINT screen) { QueueMoveTo(screen); }

void GlideTo(POINT from, POINT to, int steps) {
    for (int i = 1; i <= steps; ++i) {
        PointerTo({from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps});
        Pause(30);
    }
}

void StartDragTo(POINT from, POINT to, bool right, int steps) {
    PointerTo(from);
    Pause(100);
    ButtonDown(right);
    Pause(50);
    const POINT past{from.x + 12, from.y + 12};
    GlideTo(from, past, 4);
    GlideTo(past, to, steps);
}

void ButtonDown(bool right) { SendMouse(right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN); }
void ButtonUp(bool right) { SendMouse(right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP); }
void KeyDown(WORD key) { SendKey(key, 0, false); }
void KeyUp(WORD key) { SendKey(key, 0, true); }

void Chord(std::initializer_list<WORD> keys) {
    for (WORD key : keys) KeyDown(key);
    Pause(30);
    std::vector<WORD> reverse(keys);
    for (auto it = reverse.rbegin(); it != reverse.rend(); ++it) KeyUp(*it);
}

void Pause(unsigned ms) { ::Sleep(ms); }

}  // namespace census::testing
