#include "support/modal_input.h"

#include "runtime/application.h"

#include <atomic>
#include <thread>
#include <vector>

namespace census::testing {
namespace {

void Send(INPUT input) {
    ::SendInput(1, &input, sizeof input);
}

INPUT Mouse(DWORD flags, LONG x = 0, LONG y = 0) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = x;
    input.mi.dy = y;
    input.mi.dwFlags = flags;
    return input;
}

INPUT Key(WORD key, DWORD flags) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(::MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = flags;
    return input;
}

}  // namespace

void PointerTo(POINT screen) {
    ::SetCursorPos(screen.x, screen.y);
    const LONG x = static_cast<LONG>(screen.x * 65535 / (::GetSystemMetrics(SM_CXSCREEN) - 1));
    const LONG y = static_cast<LONG>(screen.y * 65535 / (::GetSystemMetrics(SM_CYSCREEN) - 1));
    Send(Mouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, x, y));
}

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

void ButtonDown(bool right) { Send(Mouse(right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN)); }
void ButtonUp(bool right) { Send(Mouse(right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP)); }
void KeyDown(WORD key) { Send(Key(key, 0)); }
void KeyUp(WORD key) { Send(Key(key, KEYEVENTF_KEYUP)); }

void Chord(std::initializer_list<WORD> keys) {
    for (WORD key : keys) KeyDown(key);
    Pause(30);
    std::vector<WORD> reverse(keys);
    for (auto it = reverse.rbegin(); it != reverse.rend(); ++it) KeyUp(*it);
}

void Pause(unsigned ms) { ::Sleep(ms); }

void Perform(const std::function<void()>& script) {
    std::atomic<bool> done{false};
    std::thread driver([&] {
        script();
        done = true;
    });
    while (!done) {
        Application::Instance().ProcessMessages();
        ::Sleep(5);
    }
    driver.join();
    Application::Instance().ProcessMessages();
}

bool PumpUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 400; ++i) {
        if (done()) return true;
        Application::Instance().ProcessMessages();
        ::Sleep(5);
    }
    return done();
}

}  // namespace census::testing
