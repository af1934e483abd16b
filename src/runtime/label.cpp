#include "runtime/label.h"

namespace census {

Label::Label() = default;

void Label::Paint(Canvas& canvas) {
    RECT r = ClientRect();
    canvas.SetBrushStyle(BrushStyle::Clear);
    canvas.DrawText(Caption(), r, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_EXPANDTABS);
}

LRESULT Label::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    // Text set from outside (SetWindowText) must show too.
    if (msg == WM_SETTEXT) {
        LRESULT r = Control::WndProc(msg, wp, lp);
        Invalidate();
        return r;
    }
    return Control::WndProc(msg, wp, lp);
}

}  // namespace census
