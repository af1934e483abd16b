#include "runtime/mouse_tracking.h"

#include "runtime/control.h"
#include "runtime/hint.h"
#include "runtime/private_messages.h"

#include <algorithm>
#include <utility>

namespace census {

namespace {

constexpr unsigned kCheckInterval = 10;

// The control and its parents, innermost first.
std::vector<Control*> ChainOf(Control* control) {
    std::vector<Control*> chain;
    for (Control* c = control; c; c = c->Parent()) chain.push_back(c);
    return chain;
}

// The control under a screen point, if the window there is this thread's.
Control* ControlAt(POINT screen) {
    HWND window = ::WindowFromPoint(screen);
    if (!window || ::GetWindowThreadProcessId(window, nullptr) != ::GetCurrentThreadId()) return nullptr;
    return MouseTracker::ControlOf(window);
}

}  // namespace

// A notification under way: a handler may destroy a control that is still to
// hear it, or move the mouse and start another.
struct MouseTracker::Notifying {
    std::vector<Control*> controls;
    Notifying* outer;
};

MouseTracker::MouseTracker() = default;
MouseTracker::~MouseTracker() = default;

Control* MouseTracker::ControlOf(HWND window) {
    for (HWND h = window; h; h = ::GetParent(h))
        if (Control* c = Control::FromHandle(h)) return c;
    return nullptr;
}

void MouseTracker::MouseMoved(HWND window) {
    Control* over = ControlOf(window);
    // A move over a hint says nothing about the controls beneath it.
    if (dynamic_cast<HintWindow*>(over)) return;
    MoveTo(over);
}

bool MouseTracker::IsOver(const Control& control) const {
    for (Control* c = under_; c; c = c->Parent())
        if (c == &control) return true;
    return false;
}

bool MouseTracker::Checking() const { return check_ && check_->Enabled(); }

void MouseTracker::MoveTo(Control* over) {
    if (over == under_) return;
    std::vector<Control*> leaving = ChainOf(under_), entering = ChainOf(over);
    // The mouse is still over the parents both share.
    while (!leaving.empty() && !entering.empty() && leaving.back() == entering.back()) {
        leaving.pop_back();
        entering.pop_back();
    }
    std::reverse(entering.begin(), entering.end());
    under_ = over;
    if (!check_) {
        check_ = std::make_unique<Timer>();
        check_->SetInterval(kCheckInterval);
        check_->OnTimer = [this](Timer&) { Check(); };
    }
    check_->SetEnabled(under_ != nullptr);
    Notify(std::move(leaving), CM_MOUSELEAVE);
    Notify(std::move(entering), CM_MOUSEENTER);
}

void MouseTracker::Notify(std::vector<Control*> controls, UINT message) {
    Notifying current{std::move(controls), notifying_};
    notifying_ = &current;
    struct Restore {
        MouseTracker& tracker;
        Notifying* outer;
        ~Restore() { tracker.notifying_ = outer; }
    } restore{*this, current.outer};
    for (std::size_t i = 0; i < current.controls.size(); ++i) {
        Control* c = current.controls[i];
        if (c && c->HandleAllocated()) c->Perform(message);
    }
}

void MouseTracker::Check() {
    if (::GetCapture()) return;
    POINT cursor{};
    if (!::GetCursorPos(&cursor)) return;
    MoveTo(ControlAt(cursor));
}

void MouseTracker::ControlGone(Control& control) {
    for (Notifying* n = notifying_; n; n = n->outer)
        std::replace(n->controls.begin(), n->controls.end(), &control, static_cast<Control*>(nullptr));
    if (!IsOver(control)) return;
    under_ = control.Parent();
    if (check_) check_->SetEnabled(under_ != nullptr);
}

void MouseTracker::Release() {
    under_ = nullptr;
    check_.reset();
}

}  // namespace census
