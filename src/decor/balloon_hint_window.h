// The hint window of the balloon hints: a speech balloon beside the mouse
// point, its tail pointing at the point, opened from the preferred corner
// unless a screen edge forces another.
//
// The window has exactly the shape it paints (a window region made from the
// paint itself), so whatever lies around the balloon shows through and stays
// current. It never takes the activation or the focus, and the mouse passes
// through it: a click at a point the balloon covers reaches the window below
// (and ends the hint, as any click does).
//
// While it exists the window is the application's show-hint handler; it gives
// the previous handler back when it goes. Settings come from the linked
// balloon hints component; without one it shows hints with its own.
#pragma once

#include "decor/balloon_geometry.h"
#include "decor/decorated_label.h"
#include "runtime/hint.h"

#include <functional>
#include <string>

namespace census {

class BalloonHints;
class BalloonHintWindow;

// May change the window's height and width.
using SetHintWinSizeEvent = std::function<void(BalloonHintWindow& window, Canvas& canvas, HintCorner corner,
                                               const std::wstring& caption, int& height, int& width)>;
// May change the rectangle the hint is placed and drawn in.
using SetHintRectEvent = std::function<void(BalloonHintWindow& window, Canvas& canvas, HintCorner corner,
                                            const std::wstring& caption, RECT& rect)>;

class BalloonHintWindow : public HintWindow {
public:
    BalloonHintWindow();
    ~BalloonHintWindow() override;

    int CaptionWidth() const { return caption_width_; }
    void SetCaptionWidth(int width) { caption_width_ = width; }
    TextAlignment Alignment() const { return alignment_; }
    void SetAlignment(TextAlignment alignment);
    HintCorner Corner() const { return corner_; }
    void SetCorner(HintCorner corner) { corner_ = corner; }
    // The corner the last showing used.
    HintCorner UsedCorner() const { return used_corner_; }
    // The density of the balloon's tail, margins and corners: its settings'.
    void SetDpi(int dpi) { AdoptDpi(dpi); }

    SetHintWinSizeEvent OnSetHintWinSize;
    SetHintRectEvent OnSetHintRect;

    BalloonHints* LinkedComponent() const { return component_; }
    // Takes every setting of `component` (null: none, keep the window's own).
    void Link(BalloonHints* component);

    // The application's show-hint handler while this window is the hint window.
    void HandleShowHint(std::wstring& hint, bool& can_show, HintInfo& info);

    void ActivateHint(RECT rect, const std::wstring& hint) override;
    void ReleaseHint() override;
    // Keys, mouse buttons and the wheel, commands; not non-client mouse moves.
    bool IsHintMsg(const MSG& msg) const override;
    // A move onto the balloon more than 2 pixels (at 96 pixels per inch) from the hint's point ends the hint.
    void MouseMoved(POINT screen) override;

protected:
    void FillCreateParams(CreateParams& params) override;
    void Paint(Canvas& canvas) override;
    bool EraseBackground(HDC) override { return true; }
    void TextChanged() override;
    void WindowCreated() override;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

    void SetUsedCorner(HintCorner corner) { used_corner_ = corner; }
    bool ShowBalloon() const;
    bool Shadow() const;

private:
    void SizeFromText();
    void ApplyShape();
    void DrawBalloon(Canvas& canvas, RECT body);
    void DrawBalloonShape(Canvas& canvas, const BalloonShape& shape, bool shadow);
    void DrawPlainRectangle(Canvas& canvas, const RECT& body, bool shadow);
    bool DrawCornerPicture(Canvas& canvas);
    void DrawCaption(Canvas& canvas, const RECT& r);

    BalloonHints* component_ = nullptr;
    int caption_width_ = 100;
    TextAlignment alignment_ = taLeftJustify;
    HintCorner corner_ = hcUpperRight;
    HintCorner used_corner_ = hcUpperRight;
    // The mouse point of the hint on the screen, while one is known.
    bool has_anchor_ = false;
    POINT anchor_{};
    bool track_mouse_ = false;
    std::function<void(std::wstring&, bool&, HintInfo&)> previous_handler_;
};

// Takes the window away from a component that is going.
void UnlinkBalloonHintWindows(BalloonHints& component);

}  // namespace census
