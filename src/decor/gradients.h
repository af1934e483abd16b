// Gradient fills and transparent bitmap drawing.
//
// A gradient is painted off-screen and put on the canvas in one transfer, so
// the target never shows it half done. The linear kinds paint an 8-pixel
// strip band by band and copy it across, so they cost the gradient's length,
// not its area.
#pragma once

#include "runtime/canvas.h"
#include "runtime/colors.h"

namespace census {

// "Horizontal" kinds change colour along x, "vertical" ones along y.
enum GradientKind : int {
    gkDiagonalDown,
    gkDiagonalUp,
    gkVertical,
    gkVerticalCenter,
    gkVerticalBox,
    gkHorizontal,
    gkHorizontalCenter,
    gkHorizontalBox,
    gkBox,
    gkBigBox,
};

// The linear kinds put `first` at the left (top) and `second` at the right
// (bottom); the centre kinds put `second` in the middle column (row) and
// `first` at both ends. `steps` 1 makes every run of equal colour one band.
void PaintGradientRect(Canvas& canvas, const RECT& r, GradientKind kind, TColor first, TColor second,
                       int steps);

// Stretches `source` of `bitmap` into `dest`, leaving the canvas as it was
// wherever the stretched image has `transparent`.
void StretchDrawTransparent(Canvas& canvas, HBITMAP bitmap, const RECT& dest, const RECT& source,
                            TColor transparent);

// True when the screen has more than 256 colours (no palette).
bool ScreenHasFullColor();

}  // namespace census
