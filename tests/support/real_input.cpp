#include "support/real_input.h"

#include "runtime/application.h"
#include "runtime/handles.h"

namespace census::testing {

namespace {

void Send(INPUT input) { ::SendInput(1, &input, sizeof(INPUT)); }

}  // namespace

void MoveMouseTo(POINT screen) {
    ::SetCursorPos(screen.x, screen.y);
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = MulDiv(screen.x, 65535, ::GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = MulDiv(screen.y, 65535, ::GetSystemMetrics(SM_CYSCREEN) - 1);
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    Send(in);
    // The absolute form may round: the cursor must be where the test says.
    ::SetCursorPos(screen.x, screen.y);
    PumpFor(3);
}

void MouseButton(bool down) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    Send(in);
}

void ClickAt(POINT screen) {
    MoveMouseTo(screen);
    MouseButton(true);
    MouseButton(false);
}

void Key(WORD vk, bool down) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    Send(in);
}

void PressKey(WORD vk) {
    Key(vk, true);
    Key(vk, false);
}

bool PumpUntil(const std::function<bool()>& done, int rounds) {
    for (int i = 0; i < rounds; ++i) {
        Application::Instance().ProcessMessages();
        if (done()) return true;
        ::Sleep(10);
    }
    Application::Instance().ProcessMessages();
    return done();
}

void PumpFor(int rounds) {
    for (int i = 0; i < rounds; ++i) {
        Application::Instance().ProcessMessages();
        ::Sleep(10);
    }
    Application::Instance().ProcessMessages();
}

COLORREF ScreenPixel(POINT screen) {
    WindowDc dc(nullptr);
    return ::GetPixel(dc.get(), screen.x, screen.y) & 0xFFFFFF;
}

void MakeForeground(HWND window) {
    ::SetForegroundWindow(window);
    ::SetActiveWindow(window);
    PumpFor(5);
}

}  // namespace census::testing
