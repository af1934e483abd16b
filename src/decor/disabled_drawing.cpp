#include "decor/disabled_drawing.h"

namespace census {
namespace {

constexpr DWORD kMaskPatternRop = 0x00B8074A;  // pattern where the source is black, else the destination

}  // namespace

void DrawEmbossedText(Canvas& canvas, FontSpec font, const std::wstring& text, const RECT& r, UINT flags,
                      TColor face) {
    font.color = clBtnHighlight;
    canvas.SetFont(font);
    RECT moved = r;
    ::OffsetRect(&moved, 1, 1);
    canvas.DrawText(text, moved, flags);
    font.color = face;
    canvas.SetFont(font);
    RECT at = r;
    canvas.DrawText(text, at, flags);
}

void PaintThroughMask(HDC dc, int x, int y, int w, int h, HDC mask, TColor color) {
    UniqueBrush brush(::CreateSolidBrush(ColorToRgb(color)));
    SelectGuard select(dc, brush.get());
    COLORREF old_text = ::SetTextColor(dc, RGB(0, 0, 0));
    COLORREF old_back = ::SetBkColor(dc, RGB(255, 255, 255));
    ::BitBlt(dc, x, y, w, h, mask, 0, 0, kMaskPatternRop);
    ::SetTextColor(dc, old_text);
    ::SetBkColor(dc, old_back);
}

}  // namespace census
