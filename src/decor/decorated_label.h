// A label with frames, text styles, turned text and blinking; the base of
// the link labels.
//
// It is opaque: it paints its whole rectangle, frames first (outer frame,
// BorderWidth rings, inner frame), then its Color, then the text inside
// what the frames leave. With AutoSize on it keeps itself just large enough
// for its text and frames.
#pragma once

#include "decor/frames.h"
#include "runtime/label.h"

#include <functional>

namespace census {

enum TextStyle : int { tsNormal, tsRaised, tsRecessed, tsShadow };
enum TextRotation : int { roNone, roFlat, roCurve };
enum CenterPoint : int {
    cpUpperLeft,
    cpUpperCenter,
    cpUpperRight,
    cpLeftCenter,
    cpCenter,
    cpRightCenter,
    cpLowerLeft,
    cpLowerCenter,
    cpLowerRight,
};
enum TextAlignment : int { taLeftJustify, taRightJustify, taCenter };
enum TextLayout : int { tlTop, tlCenter, tlBottom };

class DecoratedLabel : public Label {
public:
    DecoratedLabel();
    ~DecoratedLabel() override;

    // --- Frames ---------------------------------------------------------------
    FrameStyle BorderOuter() const { return border_outer_; }
    void SetBorderOuter(FrameStyle style);
    FrameStyle BorderInner() const { return border_inner_; }
    void SetBorderInner(FrameStyle style);
    Sides BorderSides() const { return border_sides_; }
    void SetBorderSides(Sides sides);
    int BorderWidth() const { return border_width_; }
    void SetBorderWidth(int width);
    TColor BorderColor() const { return border_color_; }
    void SetBorderColor(TColor color);
    TColor BorderHighlight() const { return border_highlight_; }
    void SetBorderHighlight(TColor color);
    TColor BorderShadow() const { return border_shadow_; }
    void SetBorderShadow(TColor color);
    int BevelWidth() const { return bevel_width_; }
    void SetBevelWidth(int width);
    TColor FlatColor() const { return flat_color_; }
    void SetFlatColor(TColor color);

    // --- Text -----------------------------------------------------------------
    TextStyle GetTextStyle() const { return text_style_; }
    void SetTextStyle(TextStyle style);
    bool LightTextStyle() const { return light_text_style_; }
    void SetLightTextStyle(bool value);
    TColor HighlightColor() const { return highlight_color_; }
    void SetHighlightColor(TColor color);
    TColor ShadowColor() const { return shadow_color_; }
    void SetShadowColor(TColor color);
    int ShadowDepth() const { return shadow_depth_; }
    void SetShadowDepth(int depth);
    TextAlignment Alignment() const { return alignment_; }
    void SetAlignment(TextAlignment alignment);
    TextLayout Layout() const { return layout_; }
    void SetLayout(TextLayout layout);
    bool WordWrap() const { return word_wrap_; }
    void SetWordWrap(bool value);
    bool ShowAccelChar() const { return show_accel_char_; }
    void SetShowAccelChar(bool value);
    bool AutoSize() const { return auto_size_; }
    void SetAutoSize(bool value);

    // --- Turning ----------------------------------------------------------------
    // Turned text needs an outline font: a bitmap font is replaced by the
    // fallback face when turning starts.
    TextRotation Rotation() const { return rotation_; }
    void SetRotation(TextRotation rotation);
    int Angle() const { return angle_; }
    // Kept in 0..359; a non-zero angle switches an unturned label to flat turning.
    void SetAngle(int angle);
    CenterPoint GetCenterPoint() const { return center_point_; }
    void SetCenterPoint(CenterPoint point);

    // --- Colours ----------------------------------------------------------------
    bool FlyByEnabled() const { return fly_by_enabled_; }
    void SetFlyByEnabled(bool value) { fly_by_enabled_ = value; }
    TColor FlyByColor() const { return fly_by_color_; }
    void SetFlyByColor(TColor color) { fly_by_color_ = color; }
    bool Blinking() const { return blinking_; }
    void SetBlinking(bool value);
    TColor BlinkColor() const { return blink_color_; }
    void SetBlinkColor(TColor color);
    // Phase lengths shared by every label.
    static unsigned BlinkIntervalOn();
    static void SetBlinkIntervalOn(unsigned ms);
    static unsigned BlinkIntervalOff();
    static void SetBlinkIntervalOff(unsigned ms);

    // The colour the text is drawn in now: the font colour, or BlinkColor
    // during the "on" phase of blinking.
    TColor CurrentColor() const { return current_color_; }
    // From the shared blink timer.
    void BlinkPhaseChanged(bool on);

    // Resizes to the text and frames (AutoSize).
    void AdjustBounds();
    // The client rectangle less the frames: where the text goes.
    RECT TextRect();

protected:
    void Paint(Canvas& canvas) override;
    bool EraseBackground(HDC dc) override { return true; }  // Paint covers every pixel
    void FontChanged() override;
    void TextChanged() override;
    void MouseEnter() override;
    void MouseLeave() override;
    // A left press and release over the label is a click.
    void MouseDown(MouseButton button, unsigned shift, int x, int y) override;
    void MouseUp(MouseButton button, unsigned shift, int x, int y) override;
    void Loaded() override;

    // Changing a setting that moves the text: resize, then repaint.
    void LayoutChanged();

private:
    int FrameInset(FrameStyle style) const;
    RECT DrawFrame(Canvas& canvas, const RECT& r, FrameStyle style);
    UINT TextFormat() const;
    SIZE MeasureText();
    void DrawText(Canvas& canvas, const RECT& text_rect);
    void DrawFormattedText(Canvas& canvas, RECT r, UINT format);
    void DrawTurnedText(Canvas& canvas, const RECT& text_rect);
    void DrawCopies(const std::function<void(TColor, int dx, int dy)>& draw);
    void EnsureTurnableFont();
    void TakeFontColor();

    FrameStyle border_outer_ = fsNone;
    FrameStyle border_inner_ = fsNone;
    Sides border_sides_ = sdAll;
    int border_width_ = 0;
    TColor border_color_ = clBtnFace;
    TColor border_highlight_ = clBtnHighlight;
    TColor border_shadow_ = clBtnShadow;
    int bevel_width_ = 1;
    TColor flat_color_ = clBtnShadow;
    TextStyle text_style_ = tsNormal;
    bool light_text_style_ = false;
    TColor highlight_color_ = clBtnHighlight;
    TColor shadow_color_ = clBtnShadow;
    int shadow_depth_ = 2;
    TextAlignment alignment_ = taLeftJustify;
    TextLayout layout_ = tlTop;
    bool word_wrap_ = false;
    bool show_accel_char_ = true;
    bool auto_size_ = true;
    TextRotation rotation_ = roNone;
    int angle_ = 0;
    CenterPoint center_point_ = cpCenter;
    bool fly_by_enabled_ = false;
    TColor fly_by_color_ = clHighlight;
    TColor fly_by_saved_color_ = clNone;
    bool blinking_ = false;
    TColor blink_color_ = clHighlight;
    TColor font_color_;
    TColor current_color_;
    bool pressed_ = false;
};

}  // namespace census
