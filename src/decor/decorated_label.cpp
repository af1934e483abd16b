#include "decor/decorated_label.h"

#include "decor/blink_list.h"
#include "decor/font_helpers.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>

namespace census {

namespace {

unsigned g_blink_on = 500;
unsigned g_blink_off = 500;

void NotifyBlinkList() {
    if (BlinkList* list = BlinkList::Current()) list->BlinkingChanged();
}

// Assigns and reports whether anything changed.
template <typename T>
bool Assign(T& field, const T& value) {
    if (field == value) return false;
    field = value;
    return true;
}

}  // namespace

DecoratedLabel::DecoratedLabel() {
    TakeFontColor();
    BlinkList::Register(*this);
}

DecoratedLabel::~DecoratedLabel() { BlinkList::Unregister(*this); }

// --- settings ---------------------------------------------------------------------

void DecoratedLabel::SetBorderOuter(FrameStyle style) {
    if (Assign(border_outer_, style)) LayoutChanged();
}
void DecoratedLabel::SetBorderInner(FrameStyle style) {
    if (Assign(border_inner_, style)) LayoutChanged();
}
void DecoratedLabel::SetBorderSides(Sides sides) {
    if (Assign(border_sides_, sides & sdAll)) LayoutChanged();
}
void DecoratedLabel::SetBorderWidth(int width) {
    if (Assign(border_width_, std::max(width, 0))) LayoutChanged();
}
void DecoratedLabel::SetBevelWidth(int width) {
    if (Assign(bevel_width_, std::max(width, 0))) LayoutChanged();
}
void DecoratedLabel::SetBorderColor(TColor color) {
    if (Assign(border_color_, color)) Invalidate();
}
void DecoratedLabel::SetBorderHighlight(TColor color) {
    if (Assign(border_highlight_, color)) Invalidate();
}
void DecoratedLabel::SetBorderShadow(TColor color) {
    if (Assign(border_shadow_, color)) Invalidate();
}
void DecoratedLabel::SetFlatColor(TColor color) {
    if (Assign(flat_color_, color)) Invalidate();
}
void DecoratedLabel::SetTextStyle(TextStyle style) {
    if (Assign(text_style_, style)) LayoutChanged();
}
void DecoratedLabel::SetLightTextStyle(bool value) {
    if (Assign(light_text_style_, value)) Invalidate();
}
void DecoratedLabel::SetHighlightColor(TColor color) {
    if (Assign(highlight_color_, color)) Invalidate();
}
void DecoratedLabel::SetShadowColor(TColor color) {
    if (Assign(shadow_color_, color)) Invalidate();
}
void DecoratedLabel::SetShadowDepth(int depth) {
    if (Assign(shadow_depth_, depth)) LayoutChanged();
}
void DecoratedLabel::SetAlignment(TextAlignment alignment) {
    if (Assign(alignment_, alignment)) LayoutChanged();
}
void DecoratedLabel::SetLayout(TextLayout layout) {
    if (Assign(layout_, layout)) Invalidate();
}
void DecoratedLabel::SetWordWrap(bool value) {
    if (Assign(word_wrap_, value)) LayoutChanged();
}
void DecoratedLabel::SetShowAccelChar(bool value) {
    if (Assign(show_accel_char_, value)) LayoutChanged();
}
void DecoratedLabel::SetAutoSize(bool value) {
    if (Assign(auto_size_, value)) LayoutChanged();
}
void DecoratedLabel::SetCenterPoint(CenterPoint point) {
    if (Assign(center_point_, point)) Invalidate();
}

void DecoratedLabel::SetRotation(TextRotation rotation) {
    if (rotation == rotation_) return;
    if (rotation != roNone) EnsureTurnableFont();
    if (rotation == roNone || rotation == roFlat) angle_ = 0;
    if (rotation == roFlat) center_point_ = cpCenter;
    rotation_ = rotation;
    LayoutChanged();
}

void DecoratedLabel::SetAngle(int angle) {
    angle = ((angle % 360) + 360) % 360;
    if (angle == angle_) return;
    angle_ = angle;
    if (angle != 0) {
        EnsureTurnableFont();
        if (rotation_ == roNone) rotation_ = roFlat;
    }
    LayoutChanged();
}

void DecoratedLabel::EnsureTurnableFont() {
    if (IsTrueTypeFont(Font())) return;
    FontSpec font = Font();
    font.name = kTurnableFontName;
    SetFont(font);
}

// --- colours and blinking -------------------------------------------------------

void DecoratedLabel::TakeFontColor() {
    font_color_ = Font().color;
    current_color_ = font_color_;
}

void DecoratedLabel::SetBlinking(bool value) {
    if (!Assign(blinking_, value)) return;
    if (!value) {
        current_color_ = font_color_;
        Invalidate();
    }
    NotifyBlinkList();
}

void DecoratedLabel::SetBlinkColor(TColor color) {
    if (Assign(blink_color_, color) && blinking_) Invalidate();
}

void DecoratedLabel::BlinkPhaseChanged(bool on) {
    current_color_ = on ? blink_color_ : font_color_;
    Invalidate();
}

unsigned DecoratedLabel::BlinkIntervalOn() { return g_blink_on; }
unsigned DecoratedLabel::BlinkIntervalOff() { return g_blink_off; }
void DecoratedLabel::SetBlinkIntervalOn(unsigned ms) {
    g_blink_on = ms;
    NotifyBlinkList();
}
void DecoratedLabel::SetBlinkIntervalOff(unsigned ms) {
    g_blink_off = ms;
    NotifyBlinkList();
}

// --- reactions ------------------------------------------------------------------

void DecoratedLabel::FontChanged() {
    Label::FontChanged();
    if (Loading()) return;
    if (!blinking_) TakeFontColor();
    // Only an outline font can be drawn at an angle.
    if (angle_ != 0 && !IsTrueTypeFont(Font())) angle_ = 0;
    AdjustBounds();
}

void DecoratedLabel::TextChanged() {
    Label::TextChanged();
    AdjustBounds();
}

void DecoratedLabel::LayoutChanged() {
    AdjustBounds();
    Invalidate();
}

void DecoratedLabel::MouseEnter() {
    if (fly_by_enabled_) {
        fly_by_saved_color_ = Font().color;
        FontSpec font = Font();
        font.color = fly_by_color_;
        SetFont(font);
    }
    Label::MouseEnter();
}

void DecoratedLabel::MouseLeave() {
    if (fly_by_enabled_ && fly_by_saved_color_ != clNone) {
        FontSpec font = Font();
        font.color = fly_by_saved_color_;
        fly_by_saved_color_ = clNone;
        SetFont(font);
    }
    Label::MouseLeave();
}

void DecoratedLabel::MouseDown(MouseButton button, unsigned shift, int x, int y) {
    if (button == MouseButton::Left && !(shift & ssDouble)) {
        pressed_ = true;
        if (HandleAllocated()) ::SetCapture(Handle());
    }
    Label::MouseDown(button, shift, x, y);
}

void DecoratedLabel::MouseUp(MouseButton button, unsigned shift, int x, int y) {
    const bool clicked = button == MouseButton::Left && pressed_;
    if (button == MouseButton::Left) {
        pressed_ = false;
        if (HandleAllocated() && ::GetCapture() == Handle()) ::ReleaseCapture();
    }
    Label::MouseUp(button, shift, x, y);
    if (clicked && x >= 0 && y >= 0 && x < Width() && y < Height()) Click();
}

void DecoratedLabel::Loaded() {
    Label::Loaded();
    if (rotation_ == roNone && angle_ != 0) rotation_ = roFlat;
    if (rotation_ != roNone) EnsureTurnableFont();
    if (!blinking_) TakeFontColor();
    AdjustBounds();
    Invalidate();
}

// --- geometry -------------------------------------------------------------------

int DecoratedLabel::FrameInset(FrameStyle style) const {
    switch (style) {
        case fsNone: return 0;
        case fsFlat: return 1;
        case fsPopup:
        case fsStatus: return bevel_width_;
        default: return 2;
    }
}

RECT DecoratedLabel::TextRect() {
    RECT r{0, 0, Width(), Height()};
    ::InflateRect(&r, -border_width_, -border_width_);
    r = InsetSides(r, border_sides_, FrameInset(border_outer_) + FrameInset(border_inner_));
    return r;
}

UINT DecoratedLabel::TextFormat() const {
    static const UINT kAlign[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    UINT format = kAlign[alignment_] | DT_EXPANDTABS;
    if (word_wrap_) format |= DT_WORDBREAK;
    if (!show_accel_char_) format |= DT_NOPREFIX;
    return format;
}

SIZE DecoratedLabel::MeasureText() {
    WindowDc screen(nullptr);
    SelectGuard font(screen.get(), FontHandle());
    // An empty text still takes a line, so that the label keeps its height.
    std::wstring text = Caption();
    if (text.empty() || (show_accel_char_ && text == L"&")) text += L' ';
    RECT r = TextRect();
    ::OffsetRect(&r, -r.left, -r.top);
    r.bottom = 0;
    ::DrawTextW(screen.get(), text.c_str(), static_cast<int>(text.size()), &r, TextFormat() | DT_CALCRECT);
    SIZE size{r.right - r.left, r.bottom - r.top};
    if (rotation_ == roFlat && angle_ % 180 != 0) {
        const double a = angle_ * std::numbers::pi / 180;
        const double c = std::abs(std::cos(a)), s = std::abs(std::sin(a));
        const int extra = text_style_ == tsShadow ? shadow_depth_ / 2 : 0;
        return {static_cast<LONG>(std::ceil(size.cx * c + size.cy * s)) + extra,
                static_cast<LONG>(std::ceil(size.cx * s + size.cy * c)) + extra};
    }
    if (text_style_ == tsShadow) {
        size.cx += shadow_depth_;
        size.cy += shadow_depth_;
    }
    return size;
}

void DecoratedLabel::AdjustBounds() {
    if (!auto_size_ || Loading()) return;
    SIZE size = MeasureText();
    const int frames = FrameInset(border_outer_) + FrameInset(border_inner_);
    auto side = [&](Side s) { return border_width_ + ((border_sides_ & s) ? frames : 0); };
    const int width = size.cx + side(sdLeft) + side(sdRight);
    const int height = size.cy + side(sdTop) + side(sdBottom);
    const int left = alignment_ == taRightJustify ? Left() + Width() - width : Left();
    SetBounds(left, Top(), width, height);
}

// --- painting -------------------------------------------------------------------

RECT DecoratedLabel::DrawFrame(Canvas& canvas, const RECT& r, FrameStyle style) {
    switch (style) {
        case fsFlat: return FrameSideRings(canvas, r, flat_color_, flat_color_, 1, border_sides_);
        case fsPopup: return FrameSideRings(canvas, r, border_highlight_, border_shadow_, bevel_width_, border_sides_);
        case fsStatus: return FrameSideRings(canvas, r, border_shadow_, border_highlight_, bevel_width_, border_sides_);
        default: return FrameStyleSystem(canvas, r, style, border_sides_);
    }
}

void DecoratedLabel::Paint(Canvas& canvas) {
    RECT r = DrawFrame(canvas, {0, 0, Width(), Height()}, border_outer_);
    if (border_width_ > 0) r = FrameSideRings(canvas, r, border_color_, border_color_, border_width_, border_sides_);
    r = DrawFrame(canvas, r, border_inner_);
    canvas.SetBrushColor(Color());
    canvas.FillRect(r);
    canvas.SetBrushStyle(BrushStyle::Clear);
    DrawText(canvas, TextRect());
}

// The copies of the text in drawing order, each as a colour and an offset.
void DecoratedLabel::DrawCopies(const std::function<void(TColor, int, int)>& draw) {
    if (!Enabled()) {
        draw(clBtnHighlight, 1, 1);
        draw(clBtnShadow, 0, 0);
        return;
    }
    switch (text_style_) {
        case tsRaised:
            if (!light_text_style_) draw(shadow_color_, 1, 1);
            draw(highlight_color_, -1, -1);
            break;
        case tsRecessed:
            draw(highlight_color_, 1, 1);
            if (!light_text_style_) draw(shadow_color_, -1, -1);
            break;
        case tsShadow: draw(shadow_color_, shadow_depth_, shadow_depth_); break;
        default: break;
    }
    draw(current_color_, 0, 0);
}

void DecoratedLabel::DrawText(Canvas& canvas, const RECT& text_rect) {
    // Arc text is not drawn along its arc; it is turned like flat text.
    if (rotation_ == roNone)
        DrawFormattedText(canvas, text_rect, TextFormat());
    else
        DrawTurnedText(canvas, text_rect);
}

void DecoratedLabel::DrawFormattedText(Canvas& canvas, RECT r, UINT format) {
    const std::wstring& text = Caption();
    canvas.SetFontHandle(FontHandle(), current_color_);
    canvas.SetBrushStyle(BrushStyle::Clear);
    if (layout_ != tlTop) {
        RECT measured = r;
        canvas.DrawText(text, measured, format | DT_CALCRECT);
        const int free = Height() - border_width_ - measured.bottom;
        ::OffsetRect(&r, 0, layout_ == tlBottom ? free : free / 2);
    }
    DrawCopies([&](TColor color, int dx, int dy) {
        RECT copy = r;
        ::OffsetRect(&copy, dx, dy);
        canvas.SetFontHandle(FontHandle(), color);
        canvas.DrawText(text, copy, format);
    });
}

void DecoratedLabel::DrawTurnedText(Canvas& canvas, const RECT& text_rect) {
    const std::wstring& text = Caption();
    UniqueFont font = CreateRotatedFont(Font(), angle_);
    HDC dc = canvas.Handle();
    SavedDcState saved(dc);
    SelectGuard selected(dc, font.get());
    ::SetBkMode(dc, TRANSPARENT);
    SIZE pp{}, extent{};
    ::GetTextExtentPoint32W(dc, L"Pp", 2, &pp);
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    const int t = pp.cy, d = text_style_ == tsShadow ? shadow_depth_ / 2 : 0;
    const int cx = Width() / 2, cy = Height() / 2;
    int x, y;
    if (angle_ == 0) {
        x = alignment_ == taLeftJustify    ? text_rect.left + d
            : alignment_ == taRightJustify ? text_rect.right - extent.cx - 2 * d
                                           : cx - extent.cx / 2;
        y = cy - (t + d) / 2;
    } else {
        // Centred on the reference point along the text, a quarter of the
        // text height above it across.
        const double a = angle_ * std::numbers::pi / 180, ux = std::cos(a), uy = -std::sin(a);
        x = static_cast<int>(std::lround(cx - extent.cx / 2.0 * ux - t / 4.0 * -uy));
        y = static_cast<int>(std::lround(cy - extent.cx / 2.0 * uy - t / 4.0 * ux));
    }
    DrawCopies([&](TColor color, int dx, int dy) {
        ::SetTextColor(dc, ColorToRgb(color));
        ::ExtTextOutW(dc, x + dx, y + dy, ETO_CLIPPED, &text_rect, text.c_str(), static_cast<UINT>(text.size()),
                      nullptr);
    });
}

}  // namespace census
