#include "editors/painter_canvas.h"

#include <vector>

namespace census {

bool Region::Empty() const {
    if (!handle_) return true;
    RECT box;
    return ::GetRgnBox(handle_.get(), &box) == NULLREGION;
}

void Region::Combine(const Region& other, RegionOp op) {
    if (!handle_) handle_.reset(::CreateRectRgn(0, 0, 0, 0));
    UniqueRegion none;
    HRGN source = other.Handle();
    if (!source) {
        none.reset(::CreateRectRgn(0, 0, 0, 0));
        source = none.get();
    }
    int mode = RGN_COPY;
    switch (op) {
        case RegionOp::And: mode = RGN_AND; break;
        case RegionOp::Or: mode = RGN_OR; break;
        case RegionOp::Diff: mode = RGN_DIFF; break;
        case RegionOp::Xor: mode = RGN_XOR; break;
        case RegionOp::Copy: mode = RGN_COPY; break;
    }
    // A copy takes its one source as the first operand.
    if (mode == RGN_COPY)
        ::CombineRgn(handle_.get(), source, nullptr, RGN_COPY);
    else
        ::CombineRgn(handle_.get(), handle_.get(), source, mode);
}

bool Region::Equals(const Region& other) const {
    if (Empty() || other.Empty()) return Empty() == other.Empty();
    return ::EqualRgn(handle_.get(), other.Handle()) != FALSE;
}

void PainterCanvas::FillRect(const RECT& r, TColor color) {
    canvas_.SetBrushColor(color);
    canvas_.FillRect(r);
}

void PainterCanvas::FrameBorders(const RECT& r, TColor color, Sides borders, int width) {
    if (color != clDefault) canvas_.SetBrushColor(color);
    if (borders & sdLeft) canvas_.FillRect({r.left, r.top, r.left + width, r.bottom});
    if (borders & sdRight) canvas_.FillRect({r.right - width, r.top, r.right, r.bottom});
    if (borders & sdTop) canvas_.FillRect({r.left, r.top, r.right, r.top + width});
    if (borders & sdBottom) canvas_.FillRect({r.left, r.bottom - width, r.right, r.bottom});
}

void PainterCanvas::TwoToneFrame(const RECT& r, TColor left_top, int width, Sides borders,
                                 TColor right_bottom) {
    if (borders & sdLeft) FillRect({r.left, r.top, r.left + width, r.bottom}, left_top);
    if (borders & sdTop) FillRect({r.left, r.top, r.right, r.top + width}, left_top);
    if (borders & sdRight) FillRect({r.right - width, r.top, r.right, r.bottom}, right_bottom);
    if (borders & sdBottom) FillRect({r.left, r.bottom - width, r.right, r.bottom}, right_bottom);
}

void PainterCanvas::BevelEdge(const RECT& r, bool sunken, Sides borders, bool outer) {
    TColor lt, rb;
    if (outer) {
        lt = sunken ? clBtnShadow : cl3DLight;
        rb = sunken ? clBtnHighlight : cl3DDkShadow;
    } else {
        lt = sunken ? cl3DDkShadow : clBtnHighlight;
        rb = sunken ? cl3DLight : clBtnShadow;
    }
    TwoToneFrame(r, lt, 1, borders, rb);
}

void PainterCanvas::FillRectTiled(const RECT& r, HBITMAP bitmap) {
    BITMAP bm{};
    if (!bitmap || !::GetObjectW(bitmap, sizeof(bm), &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0) {
        canvas_.FillRect(r);
        return;
    }
    if (r.right <= r.left || r.bottom <= r.top) return;
    HDC dc = canvas_.Handle();
    SavedDcState saved(dc);
    ::IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
    UniqueMemoryDc source(::CreateCompatibleDC(dc));
    SelectGuard select(source.get(), bitmap);
    auto align_down = [](int v, int step) { return v >= 0 ? v - v % step : v - ((v % step) + step) % step; };
    for (int y = align_down(r.top, bm.bmHeight); y < r.bottom; y += bm.bmHeight) {
        for (int x = align_down(r.left, bm.bmWidth); x < r.right; x += bm.bmWidth) {
            ::BitBlt(dc, x, y, bm.bmWidth, bm.bmHeight, source.get(), 0, 0, SRCCOPY);
        }
    }
}

void PainterCanvas::DrawFocusFrame(const RECT& r) {
    canvas_.SetBrushColor(clWhite);
    FontSpec font = canvas_.Font();
    font.color = clBlack;
    canvas_.SetFont(font);
    canvas_.RequireBrush();
    canvas_.RequireFont();
    ::DrawFocusRect(canvas_.Handle(), &r);
}

void PainterCanvas::Polygon(const POINT* points, int count, TColor color) {
    canvas_.SetPen({color, 1, PenStyle::Solid});
    canvas_.SetBrushColor(color);
    canvas_.Polygon(std::vector<POINT>(points, points + count));
}

void PainterCanvas::ExcludeClipRect(const RECT& r) {
    ::ExcludeClipRect(canvas_.Handle(), r.left, r.top, r.right, r.bottom);
}

void PainterCanvas::IntersectClipRect(const RECT& r) {
    ::IntersectClipRect(canvas_.Handle(), r.left, r.top, r.right, r.bottom);
}

}  // namespace census
