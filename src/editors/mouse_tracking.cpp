#include "editors/mouse_tracking.h"

#include "runtime/application.h"
#include "runtime/control.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace census {

namespace {

constexpr UINT kTrackingInterval = 10;

struct Registration {
    MouseTrackingCaller* caller;
    Control* control;
    RECT screen_rect;
    UINT_PTR timer;
};

std::vector<Registration>& Registrations() {
    static std::vector<Registration> list;
    return list;
}

auto Find(MouseTrackingCaller* caller) {
    auto& list = Registrations();
    return std::find_if(list.begin(), list.end(), [&](const Registration& r) { return r.caller == caller; });
}

auto FindTimer(UINT_PTR timer) {
    auto& list = Registrations();
    return std::find_if(list.begin(), list.end(), [&](const Registration& r) { return r.timer == timer; });
}

bool MouseStillIn(const Registration& r, POINT cursor) {
    if (auto* test = dynamic_cast<MouseTrackingPointTest*>(r.caller); test && r.control && r.control->HandleAllocated()) {
        return test->PointInCaller(r.control->ScreenToClient(cursor));
    }
    return ::PtInRect(&r.screen_rect, cursor) != FALSE;
}

void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD) {
    try {
        auto it = FindTimer(timer);
        if (it == Registrations().end()) {
            ::KillTimer(nullptr, timer);
            return;
        }
        POINT cursor{};
        ::GetCursorPos(&cursor);
        if (MouseStillIn(*it, cursor)) return;
        Registration gone = *it;
        // End the registration first: the callbacks may register again.
        ::KillTimer(nullptr, gone.timer);
        Registrations().erase(it);
        if (gone.control && gone.control->HandleAllocated()) {
            RECT client = gone.control->ClientRect();
            if (!::PtInRect(&client, gone.control->ScreenToClient(cursor))) gone.control->Perform(CM_MOUSELEAVE);
        }
        gone.caller->MouseTrackingMouseLeave();
    } catch (...) {
        Application::Instance().HandleException(std::current_exception());
    }
}

}  // namespace

void BeginMouseTracking(Control* control, const RECT& screen_rect, MouseTrackingCaller* caller) {
    if (!caller || Find(caller) != Registrations().end()) return;
    UINT_PTR timer = ::SetTimer(nullptr, 0, kTrackingInterval, &Tick);
    if (!timer) return;
    Registrations().push_back({caller, control, screen_rect, timer});
}

void EndMouseTracking(MouseTrackingCaller* caller) {
    auto it = Find(caller);
    if (it == Registrations().end()) return;
    ::KillTimer(nullptr, it->timer);
    Registrations().erase(it);
}

std::size_t MouseTrackingCount() { return Registrations().size(); }

}  // namespace census
