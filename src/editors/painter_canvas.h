// The drawing layer the painters use: frames, bevels, tiled fills, the focus
// frame and clip regions on top of the runtime canvas.
#pragma once

#include "decor/sides.h"
#include "runtime/canvas.h"
#include "runtime/colors.h"
#include "runtime/dpi.h"
#include "runtime/handles.h"

namespace census {

enum class RegionOp { Copy, And, Or, Diff, Xor };

// An owned GDI region; an empty one has no handle.
class Region {
public:
    Region() = default;
    explicit Region(const RECT& r) : handle_(::CreateRectRgnIndirect(&r)) {}

    HRGN Handle() const { return handle_.get(); }
    bool Empty() const;
    // Combines other into this one (an empty region counts as no area).
    void Combine(const Region& other, RegionOp op);
    bool Equals(const Region& other) const;

private:
    UniqueRegion handle_;
};

// Painters draw at the density of the control they paint: sizes (margins,
// insets) scale with it, lines stay one pixel wide.
class PainterCanvas {
public:
    explicit PainterCanvas(Canvas& canvas, int dpi = kDesignDpi) : canvas_(canvas), dpi_(dpi) {}

    Canvas& Base() { return canvas_; }
    HDC Handle() const { return canvas_.Handle(); }
    int Dpi() const { return dpi_; }
    // A size given for 96 pixels per inch, at the canvas's density.
    int Scaled(int design_pixels) const { return ScaleDpi(design_pixels, dpi_); }

    void SetBrushColor(TColor color) { canvas_.SetBrushColor(color); }
    void FillRect(const RECT& r, TColor color);
    void FillRect(const RECT& r) { canvas_.FillRect(r); }

    // Strips of width pixels along the chosen sides (left, right, top, bottom),
    // in the brush colour; clDefault keeps the current brush.
    void FrameBorders(const RECT& r, TColor color, Sides borders, int width = 1);
    void TwoToneFrame(const RECT& r, TColor left_top, int width, Sides borders, TColor right_bottom);
    void BevelEdge(const RECT& r, bool sunken, Sides borders, bool outer);
    // Tiles bitmap over r from the canvas origin; without one fills with the brush.
    void FillRectTiled(const RECT& r, HBITMAP bitmap);
    void DrawFocusFrame(const RECT& r);
    void Polygon(const POINT* points, int count, TColor color);

    void ExcludeClipRect(const RECT& r);
    void IntersectClipRect(const RECT& r);

private:
    Canvas& canvas_;
    int dpi_;
};

}  // namespace census
