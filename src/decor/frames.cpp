#include "decor/frames.h"

#include "decor/color_shading.h"

namespace census {

namespace {

struct ColorPair {
    TColor top_left;
    TColor bottom_right;
};

// Top-left / bottom-right system colours of the single-ring and etched styles.
ColorPair SystemPairOf(FrameStyle style) {
    switch (style) {
        case fsFlat: return {cl3DDkShadow, cl3DDkShadow};
        case fsGroove:
        case fsStatus: return {clBtnShadow, clBtnHighlight};
        case fsBump:
        case fsPopup: return {clBtnHighlight, clBtnShadow};
        case fsFlatBold: return {clBtnShadow, clBtnShadow};
        default: return {clWindow, clWindow};
    }
}

// Two rings, outer pair first.
RECT TwoRings(Canvas& canvas, const RECT& r, ColorPair outer, ColorPair inner, Sides sides) {
    RECT inside = FrameSideLines(canvas, r, outer.top_left, outer.bottom_right, sides);
    return FrameSideLines(canvas, inside, inner.top_left, inner.bottom_right, sides);
}

// A groove or bump: two interleaved rings. The corner pixels that the rings
// leave open are set first so that a partial frame still ends cleanly.
RECT EtchedRing(Canvas& canvas, const RECT& r, ColorPair pair, Sides sides) {
    const TColor a = pair.top_left, b = pair.bottom_right;
    const bool left = sides & sdLeft, top = sides & sdTop, right = sides & sdRight, bottom = sides & sdBottom;
    if (right)
        canvas.Pixel(r.right - 1, r.top, b);
    else if (top)
        canvas.Pixel(r.right - 1, r.top, a);
    if (bottom)
        canvas.Pixel(r.left, r.bottom - 1, b);
    else if (left)
        canvas.Pixel(r.left, r.bottom - 1, a);
    if (top && !left) canvas.Pixel(r.left, r.top + 1, b);
    if (left && !top) canvas.Pixel(r.left + 1, r.top, b);
    if (bottom && !right) canvas.Pixel(r.right - 1, r.bottom - 2, a);
    if (right && !bottom) canvas.Pixel(r.right - 2, r.bottom - 1, a);

    FrameSideLines(canvas, {r.left + 1, r.top + 1, r.right, r.bottom}, b, b, sides);
    FrameSideLines(canvas, {r.left, r.top, r.right - 1, r.bottom - 1}, a, a, sides);
    return InsetSides(r, sides, 2);
}

}  // namespace

RECT InsetSides(const RECT& r, Sides sides, int amount) {
    RECT out = r;
    if (sides & sdLeft) out.left += amount;
    if (sides & sdTop) out.top += amount;
    if (sides & sdRight) out.right -= amount;
    if (sides & sdBottom) out.bottom -= amount;
    return out;
}

RECT FrameSideLines(Canvas& canvas, const RECT& r, TColor top_left, TColor bottom_right, Sides sides) {
    canvas.SetPenColor(top_left);
    if (sides & sdLeft) {
        canvas.MoveTo(r.left, r.top);
        canvas.LineTo(r.left, r.bottom);
    }
    if (sides & sdTop) {
        canvas.MoveTo(r.left, r.top);
        canvas.LineTo(r.right, r.top);
    }
    canvas.SetPenColor(bottom_right);
    if (sides & sdRight) {
        canvas.MoveTo(r.right - 1, r.top);
        canvas.LineTo(r.right - 1, r.bottom);
    }
    if (sides & sdBottom) {
        canvas.MoveTo(r.left, r.bottom - 1);
        canvas.LineTo(r.right, r.bottom - 1);
    }
    return InsetSides(r, sides, 1);
}

RECT FrameSideRings(Canvas& canvas, const RECT& r, TColor top_left, TColor bottom_right, int count,
                    Sides sides) {
    PenSpec pen = canvas.Pen();
    pen.width = 1;
    canvas.SetPen(pen);
    RECT inside = r;
    for (int i = 0; i < count; ++i) inside = FrameSideLines(canvas, inside, top_left, bottom_right, sides);
    return inside;
}

RECT FrameEdge3D(Canvas& canvas, const RECT& r, bool lowered, Sides sides) {
    if (lowered)
        return TwoRings(canvas, r, {clBtnShadow, clBtnHighlight}, {cl3DDkShadow, cl3DLight}, sides);
    return TwoRings(canvas, r, {cl3DLight, cl3DDkShadow}, {clBtnHighlight, clBtnShadow}, sides);
}

RECT FrameButtonEdge(Canvas& canvas, const RECT& r, bool down, Sides sides) {
    if (down) return TwoRings(canvas, r, {clBtnText, clBtnText}, {clBtnShadow, clBtnShadow}, sides);
    return TwoRings(canvas, r, {clBtnHighlight, cl3DDkShadow}, {cl3DLight, clBtnShadow}, sides);
}

RECT FrameColorButtonEdge(Canvas& canvas, const RECT& r, TColor face, bool down, Sides sides) {
    return FrameStyleFromColor(canvas, r, face, down ? fsButtonDown : fsButtonUp, sides);
}

RECT FrameStyleSystem(Canvas& canvas, const RECT& r, FrameStyle style, Sides sides) {
    const ColorPair pair = SystemPairOf(style);
    switch (style) {
        case fsFlat:
        case fsStatus:
        case fsPopup: return FrameSideLines(canvas, r, pair.top_left, pair.bottom_right, sides);
        case fsFlatBold: return TwoRings(canvas, r, pair, pair, sides);
        case fsGroove:
        case fsBump: return EtchedRing(canvas, r, pair, sides);
        case fsLowered:
        case fsRaised: return FrameEdge3D(canvas, r, style == fsLowered, sides);
        case fsButtonDown:
        case fsButtonUp: return FrameButtonEdge(canvas, r, style == fsButtonDown, sides);
        default: return r;
    }
}

RECT FrameStyleFromColor(Canvas& canvas, const RECT& r, TColor face, FrameStyle style, Sides sides) {
    auto dark = [face](int n) { return ShadeColor(face, n); };
    auto light = [face](int n) { return TintColor(face, n); };
    switch (style) {
        case fsFlat: return FrameSideLines(canvas, r, dark(50), dark(50), sides);
        case fsGroove: return EtchedRing(canvas, r, {dark(50), light(100)}, sides);
        case fsBump: return EtchedRing(canvas, r, {light(100), dark(50)}, sides);
        case fsLowered: return TwoRings(canvas, r, {dark(50), light(100)}, {dark(100), light(50)}, sides);
        case fsRaised: return TwoRings(canvas, r, {light(50), dark(100)}, {light(100), dark(50)}, sides);
        case fsButtonDown: return TwoRings(canvas, r, {dark(100), dark(100)}, {dark(50), dark(50)}, sides);
        case fsButtonUp: return TwoRings(canvas, r, {light(100), dark(100)}, {light(40), dark(50)}, sides);
        case fsStatus: return FrameSideLines(canvas, r, dark(50), light(100), sides);
        case fsPopup: return FrameSideLines(canvas, r, light(100), dark(50), sides);
        case fsFlatBold: return TwoRings(canvas, r, {dark(50), dark(50)}, {dark(50), dark(50)}, sides);
        default: return r;
    }
}

RECT PaintControlFrame(Canvas& canvas, int width, int height, FrameStyle style, TColor face,
                       TColor frame_color, Sides sides, bool skip_erase) {
    const RECT box{0, 0, width, height};
    if (!skip_erase) FrameSideRings(canvas, box, face, face, 2, sdAll);
    switch (style) {
        case fsFlat: return FrameSideRings(canvas, box, frame_color, frame_color, 1, sides);
        case fsFlatBold: return FrameSideRings(canvas, box, frame_color, frame_color, 2, sides);
        default:
            if (face == clWindow) return FrameStyleSystem(canvas, box, style, sides);
            return FrameStyleFromColor(canvas, box, face, style, sides);
    }
}

}  // namespace census
