// Scaling a control from one density to another, as the form does when the
// screen's pixels per inch differ from the design's.
#include "runtime/control.h"

#include <vector>

namespace census {

void Control::ScaleToDpi(int dpi) {
    if (dpi <= 0 || dpi == dpi_) return;
    const int old_dpi = dpi_;
    dpi_ = dpi;
    // Children first: a control that places its children itself (an edit
    // inside its container) then puts them where its own new size says.
    std::vector<Control*> children = children_;
    for (Control* child : children) child->ScaleToDpi(dpi);
    ScaleBounds(dpi, old_dpi);
    if (!parent_font_) ScaleFont(dpi, old_dpi);
    DpiChanged(old_dpi);
}

void Control::ScaleBounds(int new_dpi, int old_dpi) {
    const int left = ScaleDpi(left_, new_dpi, old_dpi), top = ScaleDpi(top_, new_dpi, old_dpi);
    const int right = ScaleDpi(left_ + width_, new_dpi, old_dpi), bottom = ScaleDpi(top_ + height_, new_dpi, old_dpi);
    SetBounds(left, top, right - left, bottom - top);
}

void Control::ScaleFont(int new_dpi, int old_dpi) {
    FontSpec font = font_;
    font.height = ScaleDpi(font.height, new_dpi, old_dpi);
    SetFont(font);
}

}  // namespace census
