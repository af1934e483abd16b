#include "editors/push_button.h"

#include "editors/theme_service.h"
#include "runtime/canvas.h"
#include "runtime/form.h"

#include <windowsx.h>

#include <algorithm>

namespace census {

namespace {

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
    return kind_ == edbkDropDownButton && GET_X_LPARAM(lp) >= Width() - Scaled(kDropDownArrowWidth);
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
