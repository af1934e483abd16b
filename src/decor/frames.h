// Frames: one-pixel rings in the classic bevel styles, drawn on chosen sides.
//
// A ring on the rectangle L, T, R, B (right and bottom exclusive) covers column
// L and row T in the top-left colour and column R-1 and row B-1 in the
// bottom-right colour; the bottom-right lines are drawn last, so they own the
// top-right and bottom-left corner pixels. Every routine draws only on the
// sides asked for and returns the rectangle left inside what it drew, moved
// in only on those sides, so that the caller can draw the next ring or the
// content there. System colours are resolved at the moment of drawing.
#pragma once

#include "decor/sides.h"
#include "runtime/canvas.h"
#include "runtime/colors.h"

namespace census {

enum FrameStyle : int {
    fsNone,
    fsFlat,
    fsGroove,
    fsBump,
    fsLowered,
    fsButtonDown,
    fsRaised,
    fsButtonUp,
    fsStatus,
    fsPopup,
    fsFlatBold,
};


// The rectangle moved in by `amount` on each side in `sides`.
RECT InsetSides(const RECT& r, Sides sides, int amount);

RECT FrameSideLines(Canvas& canvas, const RECT& r, TColor top_left, TColor bottom_right, Sides sides);
// `count` rings inward in the same colours, each a pixel inside the last. The
// pen is made one pixel wide first: with whatever width the caller left, the
// rings would overlap or leave gaps, and the rectangle returned would be wrong.
RECT FrameSideRings(Canvas& canvas, const RECT& r, TColor top_left, TColor bottom_right, int count,
                    Sides sides);
// The raised (lowered false) or lowered two-ring edge in system colours.
RECT FrameEdge3D(Canvas& canvas, const RECT& r, bool lowered, Sides sides);
// The button-up or button-down two-ring edge in system colours.
RECT FrameButtonEdge(Canvas& canvas, const RECT& r, bool down, Sides sides);
// A button edge in shades of `face`.
RECT FrameColorButtonEdge(Canvas& canvas, const RECT& r, TColor face, bool down, Sides sides);
RECT FrameStyleSystem(Canvas& canvas, const RECT& r, FrameStyle style, Sides sides);
RECT FrameStyleFromColor(Canvas& canvas, const RECT& r, TColor face, FrameStyle style, Sides sides);

// A control's border over its whole window box (0, 0, width, height). Unless
// `skip_erase`, two rings of `face` on all four sides first wipe whatever
// border was there before. Flat styles use `frame_color`; the others use the
// system colours when `face` is exactly clWindow and shades of `face`
// otherwise. Returns the rectangle inside the border.
RECT PaintControlFrame(Canvas& canvas, int width, int height, FrameStyle style, TColor face,
                       TColor frame_color, Sides sides, bool skip_erase);

}  // namespace census
