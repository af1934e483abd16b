#include "editors/button_drawing.h"

#include "decor/disabled_drawing.h"
#include "runtime/canvas.h"

#include <cstdint>

namespace census {

namespace {

// A single-cell glyph drawn disabled: its shape in btnhighlight one pixel
// down and right, then in btnshadow, the transparent colour left out.
void EmbossCell(HDC dc, HDC source, int left, int w, int h, IntPoint at) {
    UniqueBitmap mask(::CreateBitmap(w, h, 1, 1, nullptr));
    UniqueMemoryDc mask_dc(::CreateCompatibleDC(dc));
    SelectGuard select(mask_dc.get(), mask.get());
    COLORREF old_back = ::SetBkColor(source, ColorToRgb(clOlive));
    ::BitBlt(mask_dc.get(), 0, 0, w, h, source, left, 0, SRCCOPY);
    ::SetBkColor(source, old_back);
    PaintThroughMask(dc, at.x + 1, at.y + 1, w, h, mask_dc.get(), clBtnHighlight);
    PaintThroughMask(dc, at.x, at.y, w, h, mask_dc.get(), clBtnShadow);
}

// The disabled cell of a strip: white becomes btnhighlight, mid grey
// btnshadow and the transparent colour btnface.
void RecolouredCell(HDC dc, HDC source, int left, int w, int h, IntPoint at) {
    BITMAPINFO bi = TopDown32BitInfo(w, h);
    void* bits = nullptr;
    UniqueBitmap cell(::CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!cell || !bits) return;
    UniqueMemoryDc cell_dc(::CreateCompatibleDC(dc));
    SelectGuard select(cell_dc.get(), cell.get());
    ::BitBlt(cell_dc.get(), 0, 0, w, h, source, left, 0, SRCCOPY);
    ::GdiFlush();
    auto swap = [](TColor c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); };
    const TColor highlight = swap(ColorToRgb(clBtnHighlight)), shadow = swap(ColorToRgb(clBtnShadow)),
                 face = swap(ColorToRgb(clBtnFace));
    auto* pixel = static_cast<std::uint32_t*>(bits);
    for (int i = 0; i < w * h; ++i) {
        std::uint32_t p = pixel[i] & 0xFFFFFF;
        if (p == 0xFFFFFF)
            pixel[i] = highlight;
        else if (p == 0x808080)
            pixel[i] = shadow;
        else if (p == swap(clOlive))
            pixel[i] = face;
    }
    ::BitBlt(dc, at.x, at.y, w, h, cell_dc.get(), 0, 0, SRCCOPY);
}

void DrawGlyph(HDC dc, HBITMAP glyph, int cells, ButtonState state, IntPoint at) {
    BITMAP bm{};
    if (!glyph || !::GetObjectW(glyph, sizeof(bm), &bm)) return;
    cells = ClampGlyphCells(cells);
    const int w = bm.bmWidth / cells, h = bm.bmHeight;
    if (w <= 0 || h <= 0) return;
    GlyphCell wanted = state == edbsPressed ? GlyphCell::Down : state == edbsDisabled ? GlyphCell::Disabled : GlyphCell::Up;
    const int left = GlyphCellIndex(wanted, cells) * w;
    UniqueMemoryDc source(::CreateCompatibleDC(dc));
    SelectGuard select(source.get(), glyph);
    if (state == edbsDisabled && cells < 2) return EmbossCell(dc, source.get(), left, w, h, at);
    if (state == edbsDisabled) return RecolouredCell(dc, source.get(), left, w, h, at);
    ::TransparentBlt(dc, at.x, at.y, w, h, source.get(), left, 0, w, h, ColorToRgb(clOlive));
}

IntSize GlyphCellSize(HBITMAP glyph, int cells) {
    BITMAP bm{};
    if (!glyph || !::GetObjectW(glyph, sizeof(bm), &bm) || bm.bmHeight <= 0) return {};
    return {bm.bmWidth / ClampGlyphCells(cells), bm.bmHeight};
}

}  // namespace

// --- colours ------------------------------------------------------------------------

void ButtonColors::SetColor(ButtonState state, TColor color) {
    if (color == clDefault || color == clNone) {
        if (!(assigned_ & (1u << state))) return;
        colors_[state] = clDefault;
        assigned_ &= ~(1u << state);
    } else {
        if (colors_[state] == color && (assigned_ & (1u << state))) return;
        colors_[state] = color;
        assigned_ |= 1u << state;
    }
    if (OnChanged) OnChanged();
}

void ButtonColors::SetAssignedColors(unsigned states) {
    bool changed = false;
    for (int s = edbsDefault; s <= edbsDisabled; ++s) {
        if ((assigned_ & (1u << s)) && !(states & (1u << s))) {
            colors_[s] = clDefault;
            assigned_ &= ~(1u << s);
            changed = true;
        }
    }
    if (changed && OnChanged) OnChanged();
}

// --- drawing ------------------------------------------------------------------------

ButtonState ButtonVisualState(bool enabled, bool pressed, bool menu_shown, bool hot, bool focused) {
    if (!enabled) return edbsDisabled;
    if (pressed || menu_shown) return edbsPressed;
    if (hot) return edbsHot;
    if (focused) return edbsDefault;
    return edbsNormal;
}

void DrawButton(PainterCanvas& canvas, const ButtonDrawing& d) {
    const LookAndFeelPainter& painter = d.painter ? *d.painter : UltraFlatPainter();
    RECT r = d.bounds;
    RECT arrow{};
    if (d.kind == edbkDropDownButton) {
        arrow = {r.right - canvas.Scaled(kDropDownArrowWidth), r.top, r.right, r.bottom};
        r.right = arrow.left + 2;
    }
    FontSpec font = d.font;
    font.color = painter.ButtonGlyphColor(d.state);
    TColor face = d.face_color;
    if (d.adjust) d.adjust(font, face);
    canvas.Base().SetFont(font);
    painter.PaintButton(canvas, r, std::wstring(), d.state, true, face, font.color);

    const int shift = d.state == edbsPressed ? painter.ButtonPressedShift() : 0;
    const UINT direction = d.right_to_left ? DT_RTLREADING | DT_RIGHT : 0;
    GlyphCaptionInput in;
    in.client = {r.right - r.left, r.bottom - r.top};
    in.glyph = GlyphCellSize(d.glyph, d.glyph_cells);
    if (!d.caption.empty()) {
        RECT measured{0, 0, in.client.width, 0};
        canvas.Base().DrawText(d.caption, measured, DT_CALCRECT | DT_SINGLELINE | direction);
        in.caption = {measured.right - measured.left, measured.bottom - measured.top};
    }
    in.layout = d.layout;
    in.margin = d.margin;
    in.spacing = d.spacing;
    in.right_to_left = d.right_to_left;
    in.offset = {shift, shift};
    GlyphCaptionPlacement place = LayoutGlyphAndCaption(in);
    if (in.glyph.width > 0) {
        DrawGlyph(canvas.Handle(), d.glyph, d.glyph_cells, d.state, {r.left + place.glyph.x, r.top + place.glyph.y});
    }
    if (!d.caption.empty()) {
        const IntRect& c = place.caption;
        painter.DrawButtonCaption(canvas, {r.left + c.left, r.top + c.top, r.left + c.right, r.top + c.bottom},
                                  d.caption, d.state, direction);
    }
    if (d.kind == edbkDropDownButton) {
        painter.PaintButton(canvas, arrow, std::wstring(), d.state, true, face, font.color);
        painter.PaintButtonArrow(canvas, arrow, adDown, d.state);
    }
    if (d.focus_rect) canvas.DrawFocusFrame(painter.ButtonFocusBounds(r, canvas.Dpi()));
}

}  // namespace census
