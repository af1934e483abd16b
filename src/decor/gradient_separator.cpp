#include "decor/gradient_separator.h"

#include <algorithm>

namespace census {

SeparatorGradient GradientFor(SeparatorOrientation orientation, HighlightPlace location, TColor color,
                              TColor highlight) {
    const bool horizontal = orientation == orHorizontal;
    switch (location) {
        case hlUpperLeft: return {horizontal ? gkHorizontal : gkVertical, highlight, color};
        case hlLowerRight: return {horizontal ? gkHorizontal : gkVertical, color, highlight};
        default: return {horizontal ? gkHorizontalCenter : gkVerticalCenter, color, highlight};
    }
}

Separator::Separator() {
    SetBounds(0, 0, 200, 2);
    SetColor(clBtnFace);
    UpdateGradient();
}

void Separator::SetShowGradient(bool value) {
    if (value == show_gradient_) return;
    show_gradient_ = value;
    Invalidate();
}

void Separator::SetHighlightColor(TColor color) {
    if (color == highlight_color_) return;
    highlight_color_ = color;
    UpdateGradient();
    Invalidate();
}

void Separator::SetHighlightLocation(HighlightPlace location) {
    if (location == location_) return;
    location_ = location;
    UpdateGradient();
    Invalidate();
}

void Separator::SetOrientation(SeparatorOrientation orientation) {
    if (orientation == orientation_) return;
    orientation_ = orientation;
    if (!Loading()) SetBounds(Left(), Top(), Height(), Width());
    UpdateGradient();
    Invalidate();
}

void Separator::UpdateGradient() { gradient_ = GradientFor(orientation_, location_, Color(), highlight_color_); }

void Separator::ColorChanged() {
    UpdateGradient();
    Control::ColorChanged();
}

void Separator::Loaded() {
    Control::Loaded();
    UpdateGradient();
}

void Separator::Paint(Canvas& canvas) {
    if (!show_gradient_) {
        canvas.SetBrushColor(Color());
        canvas.FillRect({0, 0, Width(), Height()});
        return;
    }
    if (!FullColorScreen()) {
        canvas.SetBrushColor(gradient_.second);
        canvas.FillRect({0, 0, Width(), Height()});
        return;
    }
    // A line of no extent would paint nothing at all; it is given one pixel.
    if (Width() <= 0 || Height() <= 0) SetBounds(Left(), Top(), std::max(Width(), 1), std::max(Height(), 1));
    // Steps 1: one band per colour, so every column (row) is a single colour.
    PaintGradientRect(canvas, {0, 0, Width(), Height()}, gradient_.kind, gradient_.first, gradient_.second, 1);
}

}  // namespace census
