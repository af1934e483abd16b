// The balloon hints component: while it exists, every hint of the program is
// shown in a balloon window. It holds the settings and copies each one to the
// linked hint window as soon as it changes.
//
// Made, it installs the balloon window class in the application's hint
// mechanism (the framework makes a new hint window at once, which links to
// the newest component); destroyed, it puts back the class that was there.
#pragma once

#include "decor/balloon_hint_window.h"
#include "runtime/component.h"
#include "runtime/font.h"
#include "runtime/handles.h"

#include <array>
#include <functional>
#include <string>

namespace census {

// Pictures that replace the drawn balloon, one per corner; pixels of the
// transparent colour are left out.
class BalloonBitmaps {
public:
    HBITMAP Picture(HintCorner corner) const { return pictures_[corner].get(); }
    bool HasPicture(HintCorner corner) const { return static_cast<bool>(pictures_[corner]); }
    std::array<bool, 4> Present() const;
    // Keeps a copy of `picture` (the caller keeps its own); null empties the
    // corner. Assigning a corner its own picture does nothing.
    void SetPicture(HintCorner corner, HBITMAP picture);
    TColor TransparentColor() const { return transparent_; }
    void SetTransparentColor(TColor color) { transparent_ = color; }

    std::function<void()> OnChange;

private:
    std::array<UniqueBitmap, 4> pictures_;
    TColor transparent_ = clOlive;
};

class BalloonHints : public Component {
public:
    BalloonHints();
    ~BalloonHints() override;

    TextAlignment Alignment() const { return alignment_; }
    void SetAlignment(TextAlignment alignment);
    BalloonBitmaps& Bitmaps() { return bitmaps_; }
    const BalloonBitmaps& Bitmaps() const { return bitmaps_; }
    // The widest a line of hint text gets before it wraps.
    int CaptionWidth() const { return caption_width_; }
    void SetCaptionWidth(int width);
    // The balloon's body colour.
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    HintCorner Corner() const { return corner_; }
    void SetCorner(HintCorner corner);
    const FontSpec& Font() const { return font_; }
    void SetFont(const FontSpec& font);
    // The application's pauses before the first hint and between hints.
    unsigned HintPause() const;
    void SetHintPause(unsigned ms);
    unsigned HintShortPause() const;
    void SetHintShortPause(unsigned ms);
    bool Shadow() const { return shadow_; }
    void SetShadow(bool value) { shadow_ = value; }
    // False: a plain framed rectangle instead of the balloon.
    bool ShowBalloon() const { return show_balloon_; }
    void SetShowBalloon(bool value) { show_balloon_ = value; }

    const SetHintWinSizeEvent& OnSetHintWinSize() const { return on_set_size_; }
    void SetOnSetHintWinSize(SetHintWinSizeEvent handler);
    const SetHintRectEvent& OnSetHintRect() const { return on_set_rect_; }
    void SetOnSetHintRect(SetHintRectEvent handler);
    // The program's own show-hint handler, called by the window's handler.
    std::function<void(std::wstring& hint, bool& can_show, HintInfo& info)> OnShowHint;

    // The density its sizes and font are for: 96 until its form scales it.
    int Dpi() const { return dpi_; }
    void ScaleComponent(int new_dpi, int old_dpi) override;

    BalloonHintWindow* LinkedHintWindow() const { return window_; }
    // Called by the window that links to this component, and with null when it goes.
    void SetLinkedHintWindow(BalloonHintWindow* window) { window_ = window; }

private:
    TextAlignment alignment_ = taLeftJustify;
    BalloonBitmaps bitmaps_;
    int caption_width_ = 100;
    int dpi_ = kDesignDpi;
    TColor color_ = clInfoBk;
    HintCorner corner_ = hcUpperRight;
    FontSpec font_{L"MS Sans Serif", -11, clWindowText, kDefaultCharset, 0};
    bool shadow_ = false;
    bool show_balloon_ = true;
    SetHintWinSizeEvent on_set_size_;
    SetHintRectEvent on_set_rect_;
    BalloonHintWindow* window_ = nullptr;
    HintManager::WindowFactory old_factory_;
};

// The component a new hint window links to: the newest one alive, or null.
BalloonHints* NewestBalloonHints();

}  // namespace census
