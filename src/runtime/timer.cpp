#include "runtime/timer.h"

#include "runtime/application.h"
#include "runtime/handles.h"
#include "runtime/hidden_window.h"

#include <map>

namespace census {

namespace {

// Timer ids are keys into this map, so a timer that died between the posting
// and the handling of its WM_TIMER is simply not found.
std::map<UINT_PTR, Timer*>& Registry() {
    static std::map<UINT_PTR, Timer*> timers;
    return timers;
}

UINT_PTR NextId() {
    static UINT_PTR next = 1;
    return next++;
}

LRESULT CALLBACK TimerWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

HWND TimerWindow() {
    static UniqueHwnd window;
    if (!window) window = CreateHiddenWindow(L"CensusTimerWindow", TimerWindowProc, HiddenWindowKind::MessageOnly);
    return window.get();
}

}  // namespace

namespace {
LRESULT CALLBACK TimerWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != WM_TIMER) return ::DefWindowProcW(hwnd, msg, wp, lp);
    auto it = Registry().find(wp);
    if (it == Registry().end()) return 0;
    Timer* timer = it->second;
    try {
        if (timer->OnTimer) timer->OnTimer(*timer);
    } catch (...) {
        Application::Instance().HandleException(std::current_exception());
    }
    return 0;
}
}  // namespace

Timer::~Timer() {
    enabled_ = false;
    Update();
}

void Timer::SetInterval(unsigned ms) {
    if (ms == interval_) return;
    interval_ = ms;
    Update();
}

void Timer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Update();
}

void Timer::Restart() { Update(); }

void Timer::Update() {
    if (id_) {
        ::KillTimer(TimerWindow(), id_);
        Registry().erase(id_);
        id_ = 0;
    }
    if (enabled_ && interval_ > 0) {
        id_ = NextId();
        Registry()[id_] = this;
        ::SetTimer(TimerWindow(), id_, interval_, nullptr);
    }
}

}  // namespace census
