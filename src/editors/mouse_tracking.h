// Tells controls that the mouse has left them, also when it leaves over a
// child window or another program's window, where no message would come.
//
// Each registration polls the cursor every 10 ms against a screen rectangle
// (or asks the caller, when it can test points itself) and ends itself after
// reporting the leave.
#pragma once

#include <windows.h>

#include <cstddef>

namespace census {

class Control;

class MouseTrackingCaller {
public:
    virtual void MouseTrackingMouseLeave() = 0;

protected:
    ~MouseTrackingCaller() = default;
};

// A caller that decides itself whether a point (in the control's client
// coordinates) still belongs to it.
class MouseTrackingPointTest {
public:
    virtual bool PointInCaller(POINT client_point) = 0;

protected:
    ~MouseTrackingPointTest() = default;
};

// Starts tracking for caller unless it is tracked already. With a control,
// the control is also sent its mouse-leave message when the cursor is outside
// its client area.
void BeginMouseTracking(Control* control, const RECT& screen_rect, MouseTrackingCaller* caller);
void EndMouseTracking(MouseTrackingCaller* caller);
std::size_t MouseTrackingCount();

}  // namespace census
