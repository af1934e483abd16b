#include "support/real_input.h"

#include "runtime/application.h"

namespace census::testing {
namespace {

void Send(INPUT input) { ::SendInput(1, &input, sizeof input); }

INPUT Mouse(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    return input;
}

INPUT Key(WORD key, DWORD flags) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = flags;
    return input;
}

}  // namespace

void HandleInput() {
    // Input reaches the queue a moment after SendInput returns.
    for (int i = 0; i < 10; ++i) {
        Application::Instance().ProcessMessages();
        ::Sleep(10);
    }
}

void ClickAt(POINT screen) {
    ::SetCursorPos(screen.x, screen.y);
    HandleInput();
    Send(Mouse(MOUSEEVENTF_LEFTDOWN));
    Send(Mouse(MOUSEEVENTF_LEFTUP));
    HandleInput();
}

void ClickClient(HWND window, POINT client) {
    ::ClientToScreen(window, &client);
    ClickAt(client);
}

void PressKey(WORD virtual_key) {
    Send(Key(virtual_key, 0));
    Send(Key(virtual_key, KEYEVENTF_KEYUP));
    HandleInput();
}

}  // namespace census::testing
