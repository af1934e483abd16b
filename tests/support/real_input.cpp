#include "support/real_input.h"

#include "runtime/application.h"
#include "runtime/handles.h"

namespace census::testing {

namespace {

void Send(INPUT input) { ::SendInput(1, &input, sizeof(INPUT)); }

void SendMouse(DWORD flags) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    Send(in);
}

void SendKey(WORD key, wchar_t unicode, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = key;
    in.ki.wScan = unicode;
    in.ki.dwFlags = (unicode ? KEYEVENTF_UNICODE : 0) | (up ? KEYEVENTF_KEYUP : 0);
    Send(in);
}

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

}  // namespace

void Settle() {
    // The input reaches the queue through the system; a few rounds let what
    // it causes (posted updates, repaints) run too.
    for (int round = 0; round < 4; ++round) {
        Application::Instance().ProcessMessages();
        ::Sleep(10);
    }
    Application::Instance().ProcessMessages();
}

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

void MoveMouseTo(POINT screen) {
    QueueMoveTo(screen);
    Settle();
}

void LeftDown() {
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    Settle();
}

void LeftUp() {
    SendMouse(MOUSEEVENTF_LEFTUP);
    Settle();
}

void ClickAt(POINT screen) {
    MoveMouseTo(screen);
    LeftDown();
    LeftUp();
}

void TypeText(const std::wstring& text) {
    QueueText(text);
    Settle();
}

void PressKey(WORD key, bool ctrl) {
    QueueKey(key, ctrl);
    Settle();
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

}  // namespace census::testing
