// A control that hosts one native inner control inside a painted border.
//
// Whenever the style or the state (focus, enabled, mouse) changes, the view
// info is recomputed, the inner control is placed in its client rectangle and
// given the container's colours and font, and only the border ring is
// repainted so the inner window does not flicker. The container hands the
// focus to its inner control.
#pragma once

#include "editors/container_view_info.h"
#include "editors/edit_style.h"
#include "editors/painter_canvas.h"
#include "runtime/control.h"

namespace census {

class EditContainer : public Control, private LookAndFeelListener {
public:
    EditContainer();
    ~EditContainer() override;

    EditStyle& Style() { return style_; }
    const ContainerViewInfo& ViewInfo() const { return view_; }
    LookAndFeel& GetLookAndFeel() { return look_and_feel_; }
    Control* InnerControl() const { return inner_; }

    // The container window or its inner control has the focus.
    bool IsFocused() const;
    void SetFocus();

    // Recomputes the view, places the inner control and repaints the ring.
    void ShortRefreshContainer(bool consider_mouse);

protected:
    void SetInnerControl(Control* inner) { inner_ = inner; }
    bool IsDestroyingContainer() const { return destroying_container_; }
    void BeginDestroyingContainer() { destroying_container_ = true; }

    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void Paint(Canvas& canvas) override;
    bool EraseBackground(HDC) override { return true; }
    void BoundsChanged() override;
    void ScaleFont(int new_dpi, int old_dpi) override;
    void DpiChanged(int old_dpi) override;
    void EnabledChanged() override;
    void MouseEnter() override;
    void MouseLeave() override;
    void MouseMove(unsigned shift, int x, int y) override;
    void MouseDown(MouseButton button, unsigned shift, int x, int y) override;
    void MouseUp(MouseButton button, unsigned shift, int x, int y) override;
    void WindowCreated() override;

    // Where the inner control goes (editors keep a ring of background round it).
    virtual IntRect InnerBounds() const { return view_.client_rect; }
    // Content drawn after the border and background (editors frame their inner control).
    virtual void PaintContent(PainterCanvas& canvas) {}
    // False for editors that never draw the style's border (a check box).
    virtual bool DrawsBorder() const { return true; }
    virtual void StyleChanged();
    // Called by the inner control when it gains or loses the focus.
    void InnerFocusChanged();

private:
    void LookAndFeelChanged(LookAndFeel&, LookAndFeelValues) override { ShortRefreshContainer(style_.HotTrack()); }
    void LookAndFeelDestroying(LookAndFeel&) override {}
    void CalculateViewInfo(bool consider_mouse);
    void PlaceInnerControl();
    void UpdateWindowRegion();
    void InvalidateBorderRing();
    void PaintView(PainterCanvas& canvas);
    RECT ScreenBounds();

    EditStyle style_;
    LookAndFeel look_and_feel_;
    ContainerViewInfo view_;
    Control* inner_ = nullptr;
    Region region_;
    bool moving_inner_ = false;
    bool destroying_container_ = false;
};

}  // namespace census
