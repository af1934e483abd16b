#include "decor/gradients.h"

#include "decor/gradient_bands.h"

#include <algorithm>
#include <cmath>

namespace census {

namespace {

constexpr int kStrip = 8;

struct Gradient {
    int width, height;
    TColor first, second;  // RGB
    int steps;
};

bool IsHorizontalKind(GradientKind kind) { return kind == gkHorizontal || kind == gkHorizontalCenter; }

// Paints bands across the strip: columns for a horizontal gradient, rows
// for a vertical one.
void FillBands(Canvas& canvas, const std::vector<GradientBand>& bands, bool horizontal) {
    for (const GradientBand& b : bands) {
        canvas.SetBrushColor(b.color);
        canvas.FillRect(horizontal ? RECT{b.first, 0, b.last, kStrip} : RECT{0, b.first, kStrip, b.last});
    }
}

// Copies the painted strip over the rest of the bitmap, doubling the painted
// part each time.
void ReplicateStrip(HDC dc, const Gradient& g, bool along_y) {
    const int extent = along_y ? g.height : g.width;
    int done = std::min(kStrip, extent);
    while (done < extent) {
        const int n = std::min(done, extent - done);
        if (along_y)
            ::BitBlt(dc, 0, done, g.width, n, dc, 0, 0, SRCCOPY);
        else
            ::BitBlt(dc, done, 0, n, g.height, dc, 0, 0, SRCCOPY);
        done += n;
    }
}

void PaintLinear(Canvas& canvas, const Gradient& g, GradientKind kind) {
    const bool horizontal = IsHorizontalKind(kind);
    const int length = horizontal ? g.width : g.height;
    if (kind == gkHorizontal || kind == gkVertical) {
        FillBands(canvas, GradientBands(length, length, g.second, g.first, g.steps), horizontal);
    } else {
        const int c = length / 2;
        FillBands(canvas, GradientBands(c + 1, c + 1, g.second, g.first, g.steps), horizontal);
        FillBands(canvas, GradientBands(length, length - c - 1, g.first, g.second, g.steps), horizontal);
    }
    ReplicateStrip(canvas.Handle(), g, horizontal);
}

// Strips across the diagonal from the top-left corner (the bottom-left one
// for the up kind), one per band of equal colour.
void PaintDiagonal(Canvas& canvas, const Gradient& g, bool up) {
    if (g.first == g.second) {
        canvas.SetBrushColor(g.first);
        canvas.FillRect({0, 0, g.width, g.height});
        return;
    }
    const double length = std::sqrt(double(g.width) * g.width + double(g.height) * g.height);
    const int n = static_cast<int>(std::ceil(length));
    const double ux = g.width / length, uy = g.height / length;  // along the diagonal
    const double reach = length + 2;                                 // well past the rectangle
    auto point = [&](double along, double across) {
        double x = along * ux - across * uy, y = along * uy + across * ux;
        return POINT{static_cast<LONG>(std::lround(x)), static_cast<LONG>(std::lround(up ? g.height - y : y))};
    };
    for (const GradientBand& b : GradientBands(n, n, g.second, g.first, g.steps)) {
        const double from = b.first == 0 ? -2 : b.first, to = b.last == n ? reach : b.last;
        canvas.SetBrushColor(b.color);
        canvas.Polygon({point(from, -reach), point(from, reach), point(to, reach), point(to, -reach)});
    }
}

// Nested rings from the edges toward the centre; the insets leave a bar of
// the centre colour across the middle.
void PaintBox(Canvas& canvas, const Gradient& g, GradientKind kind) {
    const int inset_x = (kind == gkVerticalBox || kind == gkBigBox) ? g.width / 4 : 0;
    const int inset_y = (kind == gkHorizontalBox || kind == gkBigBox) ? g.height / 4 : 0;
    const int rings = std::max(1, std::min((g.width + 1) / 2 - inset_x, (g.height + 1) / 2 - inset_y));
    const auto bands = GradientBands(rings, rings, g.second, g.first, g.steps);
    for (auto b = bands.rbegin(); b != bands.rend(); ++b) {
        canvas.SetBrushColor(b->color);
        canvas.FillRect({b->first, b->first, g.width - b->first, g.height - b->first});
    }
}

}  // namespace

void PaintGradientRect(Canvas& canvas, const RECT& r, GradientKind kind, TColor first, TColor second,
                       int steps) {
    const Gradient g{r.right - r.left, r.bottom - r.top, ColorToRgb(first), ColorToRgb(second), steps};
    if (g.width <= 0 || g.height <= 0) return;
    MemoryBitmap off(g.width, g.height, canvas.Handle());
    {
        Canvas paint(off.Dc());
        paint.SetPen({clBlack, 1, PenStyle::Clear});
        paint.SetBrush({clWhite, BrushStyle::Solid});
        switch (kind) {
            case gkDiagonalDown:
            case gkDiagonalUp: PaintDiagonal(paint, g, kind == gkDiagonalUp); break;
            case gkVerticalBox:
            case gkHorizontalBox:
            case gkBox:
            case gkBigBox: PaintBox(paint, g, kind); break;
            default: PaintLinear(paint, g, kind); break;
        }
    }
    ::BitBlt(canvas.Handle(), r.left, r.top, g.width, g.height, off.Dc(), 0, 0, SRCCOPY);
}

void StretchDrawTransparent(Canvas& canvas, HBITMAP bitmap, const RECT& dest, const RECT& source,
                            TColor transparent) {
    const int w = dest.right - dest.left, h = dest.bottom - dest.top;
    if (w <= 0 || h <= 0 || !bitmap) return;
    const COLORREF key = ColorToRgb(transparent);
    HDC target = canvas.Handle();

    MemoryBitmap image(w, h, target);
    {
        UniqueMemoryDc src(::CreateCompatibleDC(target));
        SelectGuard held(src.get(), bitmap);
        ::SetStretchBltMode(image.Dc(), COLORONCOLOR);
        ::StretchBlt(image.Dc(), 0, 0, w, h, src.get(), source.left, source.top, source.right - source.left,
                     source.bottom - source.top, SRCCOPY);
    }

    // Colour to monochrome: pixels of the source's background colour become 1.
    UniqueMemoryDc mask_dc(::CreateCompatibleDC(target));
    UniqueBitmap mask(::CreateBitmap(w, h, 1, 1, nullptr));
    SelectGuard mask_held(mask_dc.get(), mask.get());
    ::SetBkColor(image.Dc(), key);
    ::BitBlt(mask_dc.get(), 0, 0, w, h, image.Dc(), 0, 0, SRCCOPY);

    // Monochrome to colour maps 1 to the background colour and 0 to the text
    // colour of the destination; white/black makes the mask usable with AND.
    if (key != 0) {
        ::SetBkColor(image.Dc(), RGB(255, 255, 255));
        ::SetTextColor(image.Dc(), RGB(0, 0, 0));
        constexpr DWORD kAndNotSource = 0x00220326;  // DSna: clears the keyed pixels
        ::BitBlt(image.Dc(), 0, 0, w, h, mask_dc.get(), 0, 0, kAndNotSource);
    }
    SavedDcState saved(target);
    ::SetBkColor(target, RGB(255, 255, 255));
    ::SetTextColor(target, RGB(0, 0, 0));
    ::BitBlt(target, dest.left, dest.top, w, h, mask_dc.get(), 0, 0, SRCAND);
    ::BitBlt(target, dest.left, dest.top, w, h, image.Dc(), 0, 0, SRCPAINT);
}

bool ScreenHasFullColor() {
    WindowDc screen(nullptr);
    return ::GetDeviceCaps(screen.get(), NUMCOLORS) == -1;
}

}  // namespace census
