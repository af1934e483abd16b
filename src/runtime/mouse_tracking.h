// Where the mouse is, as the controls hear it: the one source of
// CM_MOUSEENTER and CM_MOUSELEAVE.
//
// The mouse is over a control while it is over the control's window or any of
// its child controls: moving from a container onto its inner control or its
// scroll bar leaves the container hot, and moving between two buttons tells
// only the buttons, not the form. Entering is told outermost first, leaving
// innermost first.
//
// The message loop reports each mouse move. A move over another program's
// window or the desktop brings no message, nor does a window that hides or
// moves away under a still cursor, so while the mouse is over a control the
// cursor is also checked every 10 ms. The check waits while this thread holds
// the mouse capture: then every move comes to the capturing control.
#pragma once

#include "runtime/timer.h"

#include <windows.h>

#include <memory>
#include <vector>

namespace census {

class Control;

class MouseTracker {
public:
    MouseTracker();
    ~MouseTracker();
    MouseTracker(const MouseTracker&) = delete;
    MouseTracker& operator=(const MouseTracker&) = delete;

    // The control that a window's mouse messages are for: the window's own
    // control or, for a window a control hosts (a native edit), the nearest
    // control above it.
    static Control* ControlOf(HWND window);

    // A mouse move retrieved by the message loop.
    void MouseMoved(HWND window);
    // The innermost control the mouse is over; null when it is over none.
    Control* UnderMouse() const { return under_; }
    // Whether the mouse is over the control or one of its children.
    bool IsOver(const Control& control) const;
    // Whether the cursor is being checked (only while over a control).
    bool Checking() const;

    // A control's window is going: it hears nothing more, and the mouse counts
    // as over its parent until a move or the check says otherwise.
    void ControlGone(Control& control);
    // Forgets the mouse and stops the check (before the application shuts down).
    void Release();

private:
    struct Notifying;

    void MoveTo(Control* over);
    void Notify(std::vector<Control*> controls, UINT message);
    void Check();

    Control* under_ = nullptr;
    Notifying* notifying_ = nullptr;  // the notifications under way, innermost call first
    std::unique_ptr<Timer> check_;
};

}  // namespace census
