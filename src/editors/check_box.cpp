#include "editors/check_box.h"

#include "decor/disabled_drawing.h"
#include "editors/painter_colors.h"
#include "editors/painters.h"
#include "editors/system_check.h"

#include <algorithm>

namespace census {

namespace {

constexpr int kSquareBorderWidth[6] = {0, 1, 2, 2, 2, 1};

// The square's border while hot or focused with hot tracking on.
ContainerBorderStyle HotBorderStyle(ContainerBorderStyle style) {
    switch (style) {
        case cbsNone: return cbsFlat;
        case cbsSingle: return cbsThick;
        case cbsFlat: return cbs3D;
        default: return style;
    }
}

}  // namespace

// --- properties ------------------------------------------------------------------------

void CheckBoxProperties::SetCaption(const std::wstring& v) {
    if (caption_assigned_ && caption_ == v) return;
    caption_ = v;
    caption_assigned_ = true;
    Changed();
}

bool CheckBoxProperties::IsValueInUse(const std::wstring& v) const {
    return v == value_checked_ || v == value_unchecked_ || v == value_grayed_;
}

void CheckBoxProperties::SetValueChecked(const std::wstring& v) {
    if (v.empty() || IsValueInUse(v)) return;
    value_checked_ = v;
    Changed();
}

void CheckBoxProperties::SetValueUnchecked(const std::wstring& v) {
    if (v.empty() || IsValueInUse(v)) return;
    value_unchecked_ = v;
    Changed();
}

void CheckBoxProperties::SetValueGrayed(const std::wstring& v) {
    if (IsValueInUse(v)) return;
    value_grayed_ = v;
    Changed();
}

std::wstring CheckBoxProperties::DisplayText(const std::wstring& value) const {
    if (value == value_checked_) return DisplayChecked;
    if (value == value_unchecked_) return DisplayUnchecked;
    return DisplayGrayed;
}

void CheckBoxProperties::SetGlyph(UniqueBitmap glyph) {
    glyph_ = std::move(glyph);
    Changed();
}

// --- value ---------------------------------------------------------------------------------

CheckBox::CheckBox() {
    SetBounds(0, 0, 121, 21);
    SetParentColor(true);
    CustomEdit::SetEditValue(properties_.ValueUnchecked());
    properties_.OnPropertiesChanged = [this] {
        ValueChanged();
        Recalculate();
        Invalidate();
    };
    ShortRefreshContainer(false);
    Recalculate();
}

CheckBox::~CheckBox() {
    BeginDestroyingContainer();
    DestroyHandle();
}

CheckBoxState CheckBox::State() {
    std::wstring v = EditValue();
    if (v == properties_.ValueChecked()) return chkChecked;
    if (v == properties_.ValueUnchecked()) return chkUnchecked;
    return chkGrayed;
}

void CheckBox::SetState(CheckBoxState state) {
    if (state == State()) return;
    switch (state) {
        case chkChecked: SetEditValue(properties_.ValueChecked()); break;
        case chkUnchecked: SetEditValue(properties_.ValueUnchecked()); break;
        default: SetEditValue(properties_.ValueGrayed()); break;
    }
}

void CheckBox::SetEditValue(const std::wstring& value) {
    CustomEdit::SetEditValue(value);
    ValueChanged();
}

void CheckBox::Toggle() { SetState(ToggledState(State(), properties_.AllowGrayed())); }

void CheckBox::UserToggle() {
    if (!DoEditing()) return;
    Toggle();
}

void CheckBox::ValueChanged() {
    CheckBoxState now = State();
    if (now == last_state_) return;
    last_state_ = now;
    InvalidateSquare();
    if (Loading()) return;
    Click();
    if (properties_.OnChange) properties_.OnChange(*this);
}

std::wstring CheckBox::ShownCaption() const {
    return properties_.CaptionAssigned() ? properties_.Caption() : Name();
}

// --- layout ----------------------------------------------------------------------------------

IntSize CheckBox::CheckSize() const {
    BITMAP bm{};
    HBITMAP glyph = properties_.Glyph();
    if (glyph && properties_.GlyphCount() > 0 && ::GetObjectW(glyph, sizeof(bm), &bm) && bm.bmHeight > 0)
        return {bm.bmWidth / properties_.GlyphCount(), bm.bmHeight};
    // The system's square is measured at 96 pixels per inch.
    const SystemCheckMetrics& check = SystemCheck();
    return {Scaled(check.size.cx), Scaled(check.size.cy)};
}

ContainerBorderStyle CheckBox::CheckBorderStyle() {
    ContainerBorderStyle style = Style().BorderStyle();
    bool lit = visual_ == ckvHot || visual_ == ckvPressed || IsFocused();
    return Style().HotTrack() && lit ? HotBorderStyle(style) : style;
}

unsigned CheckBox::CaptionFlags() const {
    unsigned flags = properties_.MultiLine() ? DT_WORDBREAK | DT_EDITCONTROL : DT_SINGLELINE | DT_VCENTER;
    switch (properties_.Alignment()) {
        case CheckAlignment::Right: return flags | DT_RIGHT;
        case CheckAlignment::Center: return flags | DT_CENTER;
        default: return flags | DT_LEFT;
    }
}

void CheckBox::Recalculate() {
    if (IsDestroyingContainer()) return;
    CheckLayoutInput in;
    in.content = ViewInfo().client_rect;
    in.check = CheckSize();
    in.alignment = properties_.Alignment();
    in.enabled = Enabled();
    in.multi_line = properties_.MultiLine();
    in.full_focus_rect = properties_.FullFocusRect();
    in.control_width = Width();
    in.inset = Scaled(in.inset);
    in.caption_gap = Scaled(in.caption_gap);
    std::wstring caption = ShownCaption();
    if (!caption.empty()) {
        // Measured as the caption will be drawn, in the caption's width.
        CheckLayoutInput probe = in;
        CheckLayout area = CalcCheckLayout(probe);
        WindowDc screen(nullptr);
        SelectGuard font(screen.get(), FontHandle());
        RECT r{0, 0, std::max(area.caption.Width(), 1), 0};
        ::DrawTextW(screen.get(), caption.c_str(), static_cast<int>(caption.size()), &r,
                    (CaptionFlags() & ~DT_VCENTER) | DT_CALCRECT);
        in.caption = {r.right - r.left, r.bottom - r.top};
    }
    layout_ = CalcCheckLayout(in);
}

void CheckBox::BoundsChanged() {
    CustomEdit::BoundsChanged();
    Recalculate();
}

void CheckBox::FontChanged() {
    CustomEdit::FontChanged();
    Recalculate();
    Invalidate();
}

void CheckBox::ColorChanged() {
    // The background follows the parent's colour.
    CustomEdit::ColorChanged();
    ShortRefreshContainer(false);
}

void CheckBox::DpiChanged(int old_dpi) {
    CustomEdit::DpiChanged(old_dpi);
    Recalculate();
    Invalidate();
}

void CheckBox::EnabledChanged() {
    space_pressed_ = false;
    visual_ = Enabled() ? ckvNormal : ckvDisabled;
    CustomEdit::EnabledChanged();
    Recalculate();
}

void CheckBox::WindowCreated() {
    CustomEdit::WindowCreated();
    Recalculate();
}

// --- mouse and keys ------------------------------------------------------------------------------

void CheckBox::SetVisual(CheckVisual visual) {
    if (visual == visual_) return;
    visual_ = visual;
    Invalidate();
}

void CheckBox::MouseEvent(unsigned shift, int x, int y, bool is_left_press) {
    const unsigned held = shift & (ssShift | ssAlt | ssCtrl | ssLeft | ssRight | ssMiddle);
    CheckMouseEvent e;
    e.enabled = Enabled();
    e.space_pressed = space_pressed_;
    e.inside = x >= 0 && y >= 0 && x < Width() && y < Height();
    e.nothing_held = held == 0;
    e.only_left_held = held == ssLeft;
    e.is_left_press = is_left_press;
    e.previous = visual_;
    SetVisual(CheckVisualAfter(e));
}

void CheckBox::MouseDown(MouseButton button, unsigned shift, int x, int y) {
    CustomEdit::MouseDown(button, shift, x, y);
    if (!HandleAllocated()) return;
    MouseEvent(shift, x, y, button == MouseButton::Left);
    // Held from the press on, so a release outside reaches the box (and does not toggle).
    if (visual_ == ckvPressed && !space_pressed_) ::SetCapture(Handle());
}

void CheckBox::MouseMove(unsigned shift, int x, int y) {
    CustomEdit::MouseMove(shift, x, y);
    MouseEvent(shift, x, y, false);
}

void CheckBox::MouseUp(MouseButton button, unsigned shift, int x, int y) {
    CustomEdit::MouseUp(button, shift, x, y);
    CheckVisual before = visual_;
    MouseEvent(shift, x, y, false);
    if (HandleAllocated() && ::GetCapture() == Handle() && !(shift & (ssLeft | ssRight | ssMiddle))) ::ReleaseCapture();
    if (before == ckvPressed && visual_ == ckvHot) UserToggle();
}

void CheckBox::MouseLeave() {
    CustomEdit::MouseLeave();
    // A press in progress keeps its capture; its next move or release decides.
    if (HandleAllocated() && ::GetCapture() == Handle()) return;
    SetVisual(!Enabled() ? ckvDisabled : space_pressed_ ? ckvPressed : ckvNormal);
}

void CheckBox::KeyDown(WORD& key, unsigned shift) {
    CustomEdit::KeyDown(key, shift);
    // With Alt held, space opens the window menu, which takes its release.
    if (key != VK_SPACE || !Enabled() || (shift & ssAlt)) return;
    if (visual_ == ckvNormal || visual_ == ckvHot) {
        space_pressed_ = true;
        SetVisual(ckvPressed);
        Update();
        key = 0;
    }
}

void CheckBox::KeyUp(WORD& key, unsigned shift) {
    CustomEdit::KeyUp(key, shift);
    if (key != VK_SPACE || visual_ != ckvPressed) return;
    space_pressed_ = false;
    visual_ = ckvNormal;
    InvalidateSquare();
    key = 0;
    UserToggle();
}

void CheckBox::ClearSpacePressed() {
    if (!space_pressed_) return;
    space_pressed_ = false;
    SetVisual(Enabled() ? ckvNormal : ckvDisabled);
}

LRESULT CheckBox::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_KILLFOCUS: {
            // The space's release will go to the window that has the focus now.
            LRESULT r = CustomEdit::WndProc(msg, wp, lp);
            ClearSpacePressed();
            Invalidate();
            return r;
        }
        case WM_SETFOCUS: {
            LRESULT r = CustomEdit::WndProc(msg, wp, lp);
            Invalidate();
            return r;
        }
        case WM_CAPTURECHANGED:
            // Another window or a menu took the mouse mid-press: the release
            // will never come here, so the press is over without a toggle.
            if (reinterpret_cast<HWND>(lp) != Handle() && visual_ == ckvPressed && !space_pressed_)
                SetVisual(ckvNormal);
            break;
        case WM_CHAR:
            // A typed space never toggles the window's check box; its key does.
            if (wp == L' ') return 0;
            break;
        default:
            break;
    }
    return CustomEdit::WndProc(msg, wp, lp);
}

// --- painting ------------------------------------------------------------------------------------

void CheckBox::InvalidateSquare() {
    if (!HandleAllocated()) return;
    RECT r = ToRect(layout_.square);
    ::InvalidateRect(Handle(), &r, FALSE);
}

void CheckBox::Paint(Canvas& canvas) {
    PainterCanvas surface(canvas, Dpi());
    {
        SavedDcState saved(canvas.Handle());
        surface.ExcludeClipRect(ToRect(layout_.square));
        CustomEdit::Paint(canvas);
    }
    if (properties_.Glyph() && properties_.GlyphCount() > 0)
        PaintGlyph(surface);
    else
        PaintSquare(surface);
    if (properties_.Alignment() != CheckAlignment::Center) PaintCaption(surface);
    if (IsFocused() && !layout_.focus.Empty()) surface.DrawFocusFrame(ToRect(layout_.focus));
}

void CheckBox::PaintSquare(PainterCanvas& canvas) {
    const ContainerBorderStyle b = CheckBorderStyle();
    const int w = kSquareBorderWidth[b];
    RECT r = ToRect(layout_.square);
    if (2 - w > 0) {
        canvas.FrameBorders(r, ViewInfo().background, sdAll, 2 - w);
        ::InflateRect(&r, -(2 - w), -(2 - w));
    }
    switch (b) {
        case cbsSingle: canvas.FrameBorders(r, clBtnText, sdAll, 1); break;
        case cbsThick: canvas.FrameBorders(r, clBtnText, sdAll, 2); break;
        case cbsFlat:
        case cbs3D: {
            canvas.BevelEdge(r, true, sdAll, true);
            RECT inner = r;
            ::InflateRect(&inner, -1, -1);
            if (b == cbsFlat)
                canvas.FrameBorders(inner, clBtnFace, sdAll, 1);
            else
                canvas.TwoToneFrame(inner, cl3DDkShadow, 1, sdAll, cl3DLight);
            break;
        }
        case cbsUltraFlat: {
            bool lit = visual_ == ckvHot || visual_ == ckvPressed || (IsFocused() && visual_ == ckvNormal);
            canvas.FrameBorders(r, lit ? clHighlight : clBtnShadow, sdAll, 1);
            break;
        }
        default: break;
    }
    RECT interior = ToRect(layout_.square);
    ::InflateRect(&interior, -2, -2);
    if (interior.right <= interior.left || interior.bottom <= interior.top) return;
    if (b == cbsUltraFlat) return PaintUltraFlatInterior(canvas, interior);
    UINT flags = DFCS_BUTTONCHECK;
    if (State() == chkChecked) flags |= DFCS_CHECKED;
    if (State() == chkGrayed) flags |= DFCS_BUTTON3STATE | DFCS_CHECKED;
    if (visual_ == ckvPressed) flags |= DFCS_PUSHED;
    if (visual_ == ckvDisabled) flags |= DFCS_INACTIVE;
    if (b != cbs3D) flags |= DFCS_FLAT;
    SavedDcState saved(canvas.Handle());
    canvas.IntersectClipRect(interior);
    RECT grown = interior;
    ::InflateRect(&grown, 2, 2);
    ::DrawFrameControl(canvas.Handle(), &grown, DFC_BUTTON, flags);
}

void CheckBox::PaintUltraFlatInterior(PainterCanvas& canvas, RECT interior) {
    TColor fill = clWindow;
    if (visual_ == ckvHot) fill = BlendedHotColor();
    if (visual_ == ckvPressed) fill = BlendedPressedColor();
    if (visual_ == ckvDisabled) fill = clBtnFace;
    canvas.FillRect(interior, fill);
    CheckBoxState state = State();
    if (state == chkUnchecked) return;
    TColor mark = (visual_ == ckvDisabled || state == chkGrayed) ? clBtnShadow : clBtnText;
    const IntSize size = CheckSize();
    PaintCheckMark(canvas.Handle(), SystemCheckOfSize({size.width, size.height}), interior.left - 2, interior.top - 2,
                   interior, ColorToRgb(mark));
}

void CheckBox::PaintGlyph(PainterCanvas& canvas) {
    BITMAP bm{};
    HBITMAP glyph = properties_.Glyph();
    const int count = properties_.GlyphCount();
    if (!::GetObjectW(glyph, sizeof(bm), &bm) || bm.bmHeight <= 0 || bm.bmWidth / count <= 0) return;
    const int w = bm.bmWidth / count, h = bm.bmHeight;
    // Cells: unchecked, checked, grayed; then the same under the mouse.
    int cell = State();
    if ((visual_ == ckvHot || visual_ == ckvPressed) && count >= 6) cell += 3;
    cell = std::min(cell, count - 1);
    UniqueMemoryDc source(::CreateCompatibleDC(canvas.Handle()));
    SelectGuard select(source.get(), glyph);
    ::TransparentBlt(canvas.Handle(), layout_.square.left, layout_.square.top, w, h, source.get(), cell * w, 0, w, h,
                     ColorToRgb(clOlive));
}

void CheckBox::PaintCaption(PainterCanvas& canvas) {
    std::wstring caption = ShownCaption();
    if (caption.empty() || layout_.caption.Empty()) return;
    Canvas& base = canvas.Base();
    base.SetFontHandle(FontHandle(), Font().color);
    base.SetBrushStyle(BrushStyle::Clear);
    RECT r = ToRect(layout_.caption);
    if (!Enabled())
        DrawEmbossedText(base, Font(), caption, r, CaptionFlags(), clBtnShadow);
    else
        base.DrawText(caption, r, CaptionFlags());
    base.SetBrushStyle(BrushStyle::Solid);
}

}  // namespace census
