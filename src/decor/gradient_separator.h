// A thin line that fades from a highlight colour into the control colour:
// the decoration between the bands of the main window. It does nothing but
// paint.
#pragma once

#include "decor/gradients.h"
#include "runtime/control.h"

#include <functional>

namespace census {

enum SeparatorOrientation : int { orHorizontal, orVertical };
enum HighlightPlace : int { hlCenter, hlUpperLeft, hlLowerRight };

struct SeparatorGradient {
    GradientKind kind;
    TColor first;
    TColor second;
    bool operator==(const SeparatorGradient&) const = default;
};

// Which gradient puts the highlight where `location` says.
SeparatorGradient GradientFor(SeparatorOrientation orientation, HighlightPlace location, TColor color,
                              TColor highlight);

class Separator : public Control {
public:
    Separator();

    bool ShowGradient() const { return show_gradient_; }
    void SetShowGradient(bool value);
    TColor HighlightColor() const { return highlight_color_; }
    void SetHighlightColor(TColor color);
    HighlightPlace HighlightLocation() const { return location_; }
    void SetHighlightLocation(HighlightPlace location);
    SeparatorOrientation Orientation() const { return orientation_; }
    // At run time the line turns: width and height are exchanged. While
    // loading the stored size is kept.
    void SetOrientation(SeparatorOrientation orientation);

    const SeparatorGradient& Gradient() const { return gradient_; }
    void UpdateGradient();

    // Whether the screen shows full colour; on a palette screen the line is
    // a plain fill. Replaceable so that both pictures can be checked.
    std::function<bool()> FullColorScreen = &ScreenHasFullColor;

protected:
    void Paint(Canvas& canvas) override;
    bool EraseBackground(HDC dc) override { return true; }  // Paint covers every pixel
    void ColorChanged() override;
    void Loaded() override;

private:
    bool show_gradient_ = true;
    TColor highlight_color_ = clHighlight;
    HighlightPlace location_ = hlCenter;
    SeparatorOrientation orientation_ = orHorizontal;
    SeparatorGradient gradient_{};
};

}  // namespace census
