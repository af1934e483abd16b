#include "runtime/bevel.h"

namespace census {

void Bevel::Paint(Canvas& canvas) {
    RECT r = ClientRect();
    canvas.SetPenColor(clBtnShadow);
    canvas.MoveTo(0, 0);
    canvas.LineTo(r.right, 0);
    canvas.SetPenColor(clBtnHighlight);
    canvas.MoveTo(0, 1);
    canvas.LineTo(r.right, 1);
}

}  // namespace census
