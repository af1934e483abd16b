#include "support/mouse_follower.h"

#include "runtime/application.h"
#include "support/real_input.h"

#include <atomic>

namespace census::testing {

namespace {

struct Awaited {
    MouseEvent event = MouseEvent::kMoveTo;
    POINT at{};
};
Awaited awaited;
std::atomic<bool> awaited_taken{false};

bool IsMouseMessage(UINT message) {
    return (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCMBUTTONDBLCLK);
}

bool Matches(const MSG& msg) {
    switch (awaited.event) {
    case MouseEvent::kMoveTo:
        return IsMouseMessage(msg.message) && msg.pt.x == awaited.at.x && msg.pt.y == awaited.at.y;
    case MouseEvent::kButtonDown:
        return msg.message == WM_LBUTTONDOWN || msg.message == WM_LBUTTONDBLCLK || msg.message == WM_NCLBUTTONDOWN ||
               msg.message == WM_NCLBUTTONDBLCLK;
    case MouseEvent::kButtonUp:
        return msg.message == WM_LBUTTONUP || msg.message == WM_NCLBUTTONUP;
    }
    return false;
}

// Sees every message the thread takes from its queue, whichever loop takes it
// (a tree control's own loop that tracks a press, a menu's).
LRESULT CALLBACK MouseHook(int code, WPARAM removal, LPARAM message) {
    if (code == HC_ACTION && Matches(*reinterpret_cast<const MSG*>(message))) awaited_taken = true;
    return ::CallNextHookEx(nullptr, code, removal, message);
}

}  // namespace

bool MouseComesHere(POINT screen) {
    HWND target = ::GetCapture();
    if (!target) target = ::WindowFromPoint(screen);
    return target && ::GetWindowThreadProcessId(target, nullptr) == ::GetCurrentThreadId();
}

MouseFollower::MouseFollower(MouseEvent event, POINT screen, bool comes_here)
    : comes_here_(comes_here), hook_(::SetWindowsHookExW(WH_GETMESSAGE, MouseHook, nullptr, ::GetCurrentThreadId())) {
    awaited = {event, screen};
    awaited_taken = false;
}

void MouseFollower::Follow() {
    if (comes_here_)
        PumpUntil([] { return awaited_taken.load(); }, 2000);
    else
        Application::Instance().ProcessMessages();
}

}  // namespace census::testing
