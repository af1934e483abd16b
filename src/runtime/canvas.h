// A drawing surface over a device context it does not own.
//
// Pen, brush and font are values; the GDI objects behind them are made when a
// drawing call needs them and selected into the DC. The canvas puts the DC's
// original objects back and frees its own in its destructor, so a paint leaves
// no GDI object behind.
#pragma once

#include "runtime/colors.h"
#include "runtime/font.h"
#include "runtime/handles.h"

#include <string>
#include <vector>

namespace census {

// The platform-free rectangles of the painters' and the hints' arithmetic
// (anything with int left, top, right and bottom) as the platform's RECT, and back.
template <typename R>
RECT ToRect(const R& r) {
    return {r.left, r.top, r.right, r.bottom};
}
template <typename R>
R FromRect(const RECT& r) {
    return {r.left, r.top, r.right, r.bottom};
}

enum class PenStyle { Solid, Dash, Dot, DashDot, DashDotDot, Clear, InsideFrame };
enum class BrushStyle { Solid, Clear, Horizontal, Vertical, FDiagonal, BDiagonal, Cross, DiagCross };

struct PenSpec {
    TColor color = clBlack;
    int width = 1;
    PenStyle style = PenStyle::Solid;
    bool operator==(const PenSpec&) const = default;
};

struct BrushSpec {
    TColor color = clWhite;
    BrushStyle style = BrushStyle::Solid;
    HBITMAP pattern = nullptr;  // not owned; wins over color/style when set
    bool operator==(const BrushSpec&) const = default;
};

class Canvas {
public:
    explicit Canvas(HDC dc);
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    ~Canvas();

    HDC Handle() const { return dc_; }

    const PenSpec& Pen() const { return pen_; }
    const BrushSpec& Brush() const { return brush_; }
    const FontSpec& Font() const { return font_; }
    void SetPen(const PenSpec& pen);
    void SetPenColor(TColor color);
    void SetBrush(const BrushSpec& brush);
    void SetBrushColor(TColor color);
    void SetBrushStyle(BrushStyle style);
    void SetFont(const FontSpec& font);
    // Selects a font the caller owns (it must outlive the canvas's use of it).
    void SetFontHandle(HFONT font, TColor color);

    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Polyline(const std::vector<POINT>& points);
    void Polygon(const std::vector<POINT>& points);
    void Rectangle(const RECT& r);
    void FillRect(const RECT& r);      // with the brush, no outline
    void FrameRect(const RECT& r);     // one-pixel frame with the brush colour
    void Pixel(int x, int y, TColor color);
    TColor PixelAt(int x, int y) const;

    // Text in the font's colour; transparent background unless the brush is solid.
    void TextRect(const RECT& clip, int x, int y, const std::wstring& text);
    int DrawText(const std::wstring& text, RECT& r, UINT format);

    void Draw(int x, int y, HBITMAP bitmap);

    // Makes sure the current pen/brush/font are selected (for direct GDI calls).
    void RequirePen();
    void RequireBrush();
    void RequireFont();

private:
    HDC dc_;
    PenSpec pen_;
    BrushSpec brush_;
    FontSpec font_;
    UniquePen pen_obj_;
    UniqueBrush brush_obj_;
    UniqueFont font_obj_;
    HFONT borrowed_font_ = nullptr;
    bool pen_valid_ = false, brush_valid_ = false, font_valid_ = false;
    HGDIOBJ old_pen_ = nullptr, old_brush_ = nullptr, old_font_ = nullptr;
    bool saved_ = false;
};

// The header of a top-down 32-bit bitmap: exact colours whatever the screen depth.
BITMAPINFO TopDown32BitInfo(int width, int height);

// A memory bitmap with a DC selected into it; used for off-screen drawing and
// in tests to read pixels back.
class MemoryBitmap {
public:
    MemoryBitmap(int width, int height, HDC compatible_with = nullptr);
    MemoryBitmap(const MemoryBitmap&) = delete;
    MemoryBitmap& operator=(const MemoryBitmap&) = delete;
    ~MemoryBitmap();

    HDC Dc() const { return dc_.get(); }
    HBITMAP Bitmap() const { return bitmap_.get(); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    TColor PixelAt(int x, int y) const;
    void Fill(TColor color);

private:
    int width_, height_;
    UniqueMemoryDc dc_;
    UniqueBitmap bitmap_;
    HGDIOBJ old_ = nullptr;
};

}  // namespace census
