#include "editors/push_button.h"

#include "decor/disabled_drawing.h"
#include "editors/theme_service.h"
#include "runtime/canvas.h"
#include "runtime/form.h"

#include <windowsx.h>

#include <algorithm>
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

// The drop-down menu's height as it will open, to decide whether it fits
// below the button.
int EstimateMenuHeight(HMENU menu) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    UniqueFont font(::CreateFontIndirectW(&metrics.lfMenuFont));
    WindowDc screen(nullptr);
    SelectGuard select(screen.get(), font.get());
    TEXTMETRICW tm{};
    ::GetTextMetricsW(screen.get(), &tm);
    int item = std::max<int>(tm.tmHeight + 2, ::GetSystemMetrics(SM_CYMENUSIZE));
    int height = 0;
    for (int i = 0, n = ::GetMenuItemCount(menu); i < n; ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE;
        ::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
        height += (info.fType & MFT_SEPARATOR) ? item / 2 : item;
    }
    int border = metrics.iBorderWidth > 0 ? metrics.iBorderWidth : 2;
    return height + 2 * border;
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
        arrow = {r.right - canvas.Scaled(PushButton::kArrowWidth), r.top, r.right, r.bottom};
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

// --- the control ----------------------------------------------------------------------

PushButton::PushButton() {
    SetTabStop(true);
    SetBounds(0, 0, 75, 25);
    look_and_feel_.AddListener(this);
    colors_.OnChanged = [this] { Invalidate(); };
}

PushButton::~PushButton() {
    MarkDestroying();
    look_and_feel_.RemoveListener(this);
    DestroyHandle();
}

void PushButton::SetKind(ButtonKind kind) {
    if (kind == kind_) return;
    kind_ = kind;
    RecreateWnd();
    Invalidate();
}

void PushButton::SetUseSystemPaint(bool value) {
    if (value == use_system_paint_) return;
    use_system_paint_ = value;
    RecreateWnd();
}

void PushButton::SetGlyph(UniqueBitmap glyph) {
    glyph_ = std::move(glyph);
    BITMAP bm{};
    if (glyph_ && ::GetObjectW(glyph_.get(), sizeof(bm), &bm)) num_glyphs_ = GlyphCellsFor(bm.bmWidth, bm.bmHeight);
    // A window Windows draws has no owner drawing: the choice is made at creation.
    SetUseSystemPaint(false);
    Invalidate();
}

void PushButton::SetNumGlyphs(int cells) {
    cells = ClampGlyphCells(cells);
    if (cells == num_glyphs_) return;
    num_glyphs_ = cells;
    Invalidate();
}

void PushButton::SetLayout(ButtonLayout layout) {
    layout_ = layout;
    Invalidate();
}

void PushButton::SetMargin(int margin) {
    margin_ = margin;
    Invalidate();
}

void PushButton::SetSpacing(int spacing) {
    spacing_ = spacing;
    Invalidate();
}

void PushButton::SetDefault(bool value) {
    if (value == default_) return;
    default_ = value;
    FocusMoved(Control::FromHandle(::GetFocus()));
}

bool PushButton::UsesSystemDrawing() const {
    if (kind_ != edbkStandard || !use_system_paint_) return false;
    bool themed = look_and_feel_.NativeStyle() && NativeThemingAvailable({ThemeClass::Button});
    return themed || look_and_feel_.Kind() == lfStandard;
}

const LookAndFeelPainter& PushButton::SelectPainter() const {
    bool native = look_and_feel_.NativeStyle();
    if (NativeThemingAvailable({ThemeClass::Button}) &&
        (native || (use_system_paint_ && look_and_feel_.Kind() == lfStandard))) {
        return WinXPPainter();
    }
    switch (look_and_feel_.Kind()) {
        case lfFlat: return FlatPainter();
        case lfUltraFlat: return UltraFlatPainter();
        default: return look_and_feel_.Painter();
    }
}

bool PushButton::IsHotTrackingActive() const {
    return !UsesSystemDrawing() && SelectPainter().HotTracksButtons() && Enabled();
}

ButtonState PushButton::VisualState() const {
    return ButtonVisualState(Enabled(), pressed_draw_, menu_shown_, hot_, focused_draw_ || active_default_);
}

void PushButton::Click() {
    // A drop-down button's action is its menu.
    if (kind_ == edbkDropDown) return;
    Control::Click();
}

void PushButton::FillCreateParams(CreateParams& params) {
    Control::FillCreateParams(params);
    params.class_name = L"BUTTON";
    if (UsesSystemDrawing()) {
        params.style |= default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    } else {
        params.style |= BS_OWNERDRAW;
    }
}

ButtonDrawing PushButton::Drawing(ButtonState state, bool focus_rect) {
    ButtonDrawing d;
    d.painter = &SelectPainter();
    d.bounds = {0, 0, Width(), Height()};
    d.caption = Caption();
    d.state = state;
    d.face_color = colors_.Color(state);
    d.font = Font();
    d.focus_rect = focus_rect;
    d.kind = kind_;
    d.layout = layout_;
    // Given for 96 pixels per inch; -1 (share the room) stays.
    d.margin = margin_ < 0 ? margin_ : Scaled(margin_);
    d.spacing = spacing_ < 0 ? spacing_ : Scaled(spacing_);
    d.glyph = glyph_.get();
    d.glyph_cells = num_glyphs_;
    if (OnGetDrawParams) {
        d.adjust = [this, state](FontSpec& font, TColor& face) { OnGetDrawParams(*this, state, font, face); };
    }
    return d;
}

void PushButton::DrawItem(const DRAWITEMSTRUCT& item) {
    pressed_draw_ = (item.itemState & ODS_SELECTED) != 0;
    focused_draw_ = (item.itemState & ODS_FOCUS) != 0;
    if (UsesSystemDrawing()) return;
    const int w = std::max(Width(), 1), h = std::max(Height(), 1);
    // Drawn off screen and copied in one go, so the face never flickers.
    MemoryBitmap buffer(w, h, item.hDC);
    {
        Canvas canvas(buffer.Dc());
        PainterCanvas surface(canvas, Dpi());
        DrawButton(surface, Drawing(VisualState(), Focused() && !menu_shown_));
    }
    ::BitBlt(item.hDC, 0, 0, w, h, buffer.Dc(), 0, 0, SRCCOPY);
}

bool PushButton::Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == CN_COMMAND && HIWORD(wp) == BN_CLICKED) {
        Click();
        result = 0;
        return true;
    }
    if (msg == CN_DRAWITEM) {
        DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
        result = TRUE;
        return true;
    }
    return false;
}

// --- mouse and keys -----------------------------------------------------------------------

bool PushButton::InClient(LPARAM lp) {
    POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    RECT client{0, 0, Width(), Height()};
    return ::PtInRect(&client, p) != FALSE;
}

void PushButton::BecomeHot() {
    if (hot_ || !IsHotTrackingActive()) return;
    hot_ = true;
    Repaint();
}

void PushButton::LeaveHot() {
    if (!hot_) return;
    hot_ = false;
    Invalidate();
}

void PushButton::MouseEnter() {
    Control::MouseEnter();
    if (!::GetCapture()) BecomeHot();
}

void PushButton::MouseLeave() {
    Control::MouseLeave();
    LeaveHot();
}

void PushButton::EnabledChanged() {
    if (!Enabled()) LeaveHot();
    Control::EnabledChanged();
}

void PushButton::FontChanged() {
    Control::FontChanged();
    Invalidate();
}

void PushButton::FocusMoved(Control* focused) {
    bool active = focused == this || (default_ && !dynamic_cast<PushButton*>(focused));
    if (active == active_default_) return;
    active_default_ = active;
    Invalidate();
}

bool PushButton::DialogKey(WPARAM key) {
    if (!CanFocus()) return false;
    if ((key == VK_RETURN && active_default_) || (key == VK_ESCAPE && cancel_)) {
        Click();
        return true;
    }
    return false;
}

bool PushButton::PressOpensMenu(LPARAM lp) const {
    if (!drop_down_menu_) return false;
    if (kind_ == edbkDropDown) return true;
    return kind_ == edbkDropDownButton && GET_X_LPARAM(lp) >= Width() - Scaled(kArrowWidth);
}

void PushButton::ShowDropDownMenu() {
    if (!drop_down_menu_ || menu_shown_ || !HandleAllocated()) return;
    menu_shown_ = true;
    Repaint();
    RECT button;
    ::GetWindowRect(Handle(), &button);
    int height = EstimateMenuHeight(drop_down_menu_);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromWindow(Handle(), MONITOR_DEFAULTTONEAREST), &monitor);
    int y = button.bottom;
    if (y + height > monitor.rcWork.bottom) y -= height + Height() + 2;
    Form* form = ParentForm();
    HWND owner = form && form->HandleAllocated() ? form->Handle() : Handle();
    ::TrackPopupMenu(drop_down_menu_, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, button.left, y, 0, owner, nullptr);
    menu_shown_ = false;
    if (HandleAllocated()) ::PostMessageW(Handle(), kMenuClosedMessage, 0, 0);
}

LRESULT PushButton::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_LBUTTONDBLCLK:
            // The second press of a quick double click comes as a double
            // click, which an owner-drawn button only reports as
            // BN_DOUBLECLICKED; as a press it gives the second click.
            return WndProc(WM_LBUTTONDOWN, wp, lp);
        case WM_LBUTTONDOWN:
            last_mouse_ = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            if (PressOpensMenu(lp)) {
                SetFocus();
                if (!menu_shown_) ::PostMessageW(Handle(), kOpenMenuMessage, 0, 0);
                return 0;
            }
            break;
        case WM_LBUTTONUP:
            last_mouse_ = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            break;
        case WM_MOUSEMOVE: {
            last_mouse_ = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            LRESULT r = Control::WndProc(msg, wp, lp);
            if (!hot_ && InClient(lp) && !::GetCapture()) BecomeHot();
            return r;
        }
        case WM_CAPTURECHANGED: {
            LRESULT r = Control::WndProc(msg, wp, lp);
            // A press has ended: hot where its release left the mouse.
            if (IsHotTrackingActive() && InClient(MAKELPARAM(last_mouse_.x, last_mouse_.y)))
                BecomeHot();
            else
                LeaveHot();
            return r;
        }
        case WM_ERASEBKGND:
            if (!UsesSystemDrawing()) return 1;
            break;
        case CM_DIALOGKEY:
            return DialogKey(wp) ? 1 : 0;
        case CM_FOCUSCHANGED:
            FocusMoved(reinterpret_cast<Control*>(lp));
            return 0;
        case kOpenMenuMessage:
            ShowDropDownMenu();
            return 0;
        case kMenuClosedMessage:
            Invalidate();
            return 0;
        default:
            break;
    }
    return Control::WndProc(msg, wp, lp);
}

}  // namespace census
