#include "runtime/canvas.h"

namespace census {

namespace {

int PenStyleToGdi(PenStyle s) {
    switch (s) {
        case PenStyle::Dash: return PS_DASH;
        case PenStyle::Dot: return PS_DOT;
        case PenStyle::DashDot: return PS_DASHDOT;
        case PenStyle::DashDotDot: return PS_DASHDOTDOT;
        case PenStyle::Clear: return PS_NULL;
        case PenStyle::InsideFrame: return PS_INSIDEFRAME;
        default: return PS_SOLID;
    }
}

UniqueBrush MakeBrush(const BrushSpec& b) {
    if (b.pattern) return UniqueBrush(::CreatePatternBrush(b.pattern));
    COLORREF c = ColorToRgb(b.color);
    switch (b.style) {
        case BrushStyle::Clear: {
            LOGBRUSH lb{BS_NULL, 0, 0};
            return UniqueBrush(::CreateBrushIndirect(&lb));
        }
        case BrushStyle::Horizontal: return UniqueBrush(::CreateHatchBrush(HS_HORIZONTAL, c));
        case BrushStyle::Vertical: return UniqueBrush(::CreateHatchBrush(HS_VERTICAL, c));
        case BrushStyle::FDiagonal: return UniqueBrush(::CreateHatchBrush(HS_FDIAGONAL, c));
        case BrushStyle::BDiagonal: return UniqueBrush(::CreateHatchBrush(HS_BDIAGONAL, c));
        case BrushStyle::Cross: return UniqueBrush(::CreateHatchBrush(HS_CROSS, c));
        case BrushStyle::DiagCross: return UniqueBrush(::CreateHatchBrush(HS_DIAGCROSS, c));
        default: return UniqueBrush(::CreateSolidBrush(c));
    }
}

}  // namespace

Canvas::Canvas(HDC dc) : dc_(dc) {}

Canvas::~Canvas() {
    // Put the DC's own objects back before ours are deleted.
    if (old_pen_) ::SelectObject(dc_, old_pen_);
    if (old_brush_) ::SelectObject(dc_, old_brush_);
    if (old_font_) ::SelectObject(dc_, old_font_);
}

void Canvas::SetPen(const PenSpec& pen) {
    if (pen == pen_) return;
    pen_ = pen;
    pen_valid_ = false;
}

void Canvas::SetPenColor(TColor color) {
    PenSpec p = pen_;
    p.color = color;
    SetPen(p);
}

void Canvas::SetBrush(const BrushSpec& brush) {
    if (brush == brush_) return;
    brush_ = brush;
    brush_valid_ = false;
}

void Canvas::SetBrushColor(TColor color) {
    BrushSpec b = brush_;
    b.color = color;
    b.pattern = nullptr;
    if (b.style == BrushStyle::Clear) b.style = BrushStyle::Solid;
    SetBrush(b);
}

void Canvas::SetBrushStyle(BrushStyle style) {
    BrushSpec b = brush_;
    b.style = style;
    SetBrush(b);
}

void Canvas::SetFont(const FontSpec& font) {
    if (font == font_ && !borrowed_font_ && font_valid_) return;
    font_ = font;
    borrowed_font_ = nullptr;
    font_valid_ = false;
}

void Canvas::SetFontHandle(HFONT font, TColor color) {
    font_ = DescribeFont(font, color);
    borrowed_font_ = font;
    font_valid_ = false;
}

void Canvas::RequirePen() {
    if (pen_valid_) return;
    UniquePen fresh(::CreatePen(PenStyleToGdi(pen_.style), pen_.width, ColorToRgb(pen_.color)));
    HGDIOBJ prev = ::SelectObject(dc_, fresh.get());
    if (!old_pen_) old_pen_ = prev;
    pen_obj_ = std::move(fresh);
    pen_valid_ = true;
}

void Canvas::RequireBrush() {
    if (!brush_valid_) {
        UniqueBrush fresh = MakeBrush(brush_);
        HGDIOBJ prev = ::SelectObject(dc_, fresh.get());
        if (!old_brush_) old_brush_ = prev;
        brush_obj_ = std::move(fresh);
        brush_valid_ = true;
    }
    ::SetBkColor(dc_, ColorToRgb(brush_.color));
    ::SetBkMode(dc_, brush_.style == BrushStyle::Clear ? TRANSPARENT : OPAQUE);
}

void Canvas::RequireFont() {
    if (!font_valid_) {
        HFONT h = borrowed_font_;
        UniqueFont fresh;
        if (!h) {
            fresh = CreateFontFor(font_);
            h = fresh.get();
        }
        HGDIOBJ prev = ::SelectObject(dc_, h);
        if (!old_font_) old_font_ = prev;
        font_obj_ = std::move(fresh);
        font_valid_ = true;
    }
    ::SetTextColor(dc_, ColorToRgb(font_.color));
}

void Canvas::MoveTo(int x, int y) { ::MoveToEx(dc_, x, y, nullptr); }

void Canvas::LineTo(int x, int y) {
    RequirePen();
    ::LineTo(dc_, x, y);
}

void Canvas::Polyline(const std::vector<POINT>& points) {
    RequirePen();
    ::Polyline(dc_, points.data(), static_cast<int>(points.size()));
}

void Canvas::Polygon(const std::vector<POINT>& points) {
    RequirePen();
    RequireBrush();
    ::Polygon(dc_, points.data(), static_cast<int>(points.size()));
}

void Canvas::Rectangle(const RECT& r) {
    RequirePen();
    RequireBrush();
    ::Rectangle(dc_, r.left, r.top, r.right, r.bottom);
}

void Canvas::FillRect(const RECT& r) {
    RequireBrush();
    ::FillRect(dc_, &r, brush_obj_.get());
}

void Canvas::FrameRect(const RECT& r) {
    RequireBrush();
    ::FrameRect(dc_, &r, brush_obj_.get());
}

void Canvas::Pixel(int x, int y, TColor color) { ::SetPixel(dc_, x, y, ColorToRgb(color)); }

TColor Canvas::PixelAt(int x, int y) const { return ::GetPixel(dc_, x, y); }

void Canvas::TextRect(const RECT& clip, int x, int y, const std::wstring& text) {
    RequireFont();
    RequireBrush();
    UINT options = ETO_CLIPPED | (brush_.style == BrushStyle::Clear ? 0 : ETO_OPAQUE);
    ::ExtTextOutW(dc_, x, y, options, &clip, text.c_str(), static_cast<UINT>(text.size()), nullptr);
}

int Canvas::DrawText(const std::wstring& text, RECT& r, UINT format) {
    RequireFont();
    RequireBrush();
    return ::DrawTextW(dc_, text.c_str(), static_cast<int>(text.size()), &r, format);
}

void Canvas::Draw(int x, int y, HBITMAP bitmap) {
    BITMAP bm{};
    if (!::GetObjectW(bitmap, sizeof(bm), &bm)) return;
    UniqueMemoryDc src(::CreateCompatibleDC(dc_));
    SelectGuard sel(src.get(), bitmap);
    ::BitBlt(dc_, x, y, bm.bmWidth, bm.bmHeight, src.get(), 0, 0, SRCCOPY);
}

BITMAPINFO TopDown32BitInfo(int width, int height) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    return bi;
}

MemoryBitmap::MemoryBitmap(int width, int height, HDC compatible_with) : width_(width), height_(height) {
    WindowDc screen(nullptr);
    HDC ref = compatible_with ? compatible_with : screen.get();
    dc_.reset(::CreateCompatibleDC(ref));
    BITMAPINFO bi = TopDown32BitInfo(width, height);
    void* bits = nullptr;
    bitmap_.reset(::CreateDIBSection(ref, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    old_ = ::SelectObject(dc_.get(), bitmap_.get());
}

MemoryBitmap::~MemoryBitmap() {
    if (old_) ::SelectObject(dc_.get(), old_);
}

TColor MemoryBitmap::PixelAt(int x, int y) const { return ::GetPixel(dc_.get(), x, y); }

void MemoryBitmap::Fill(TColor color) {
    UniqueBrush b(::CreateSolidBrush(ColorToRgb(color)));
    RECT r{0, 0, width_, height_};
    ::FillRect(dc_.get(), &r, b.get());
}

}  // namespace census
