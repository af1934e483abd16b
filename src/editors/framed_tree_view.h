// A tree view with its own flat frame in the non-client area, colours that
// follow its state (enabled, focused), a node-oriented context-menu step and
// wheel scrolling by whole wheel steps.
//
// Colours: Color() is what the control shows now. NormalColor is the colour
// when enabled and not focused; setting Color from outside sets it, and
// FocusColor follows when it was the same as the old normal colour.
#pragma once

#include "decor/frames.h"
#include "editors/tree_view.h"

namespace census {

enum class FramingPreference { XPThemes, CustomFraming };

class FramedTreeView : public TreeView {
public:
    FramedTreeView();
    ~FramedTreeView() override;

    bool FrameVisible() const { return frame_visible_; }
    void SetFrameVisible(bool value);
    FrameStyle GetFrameStyle() const { return frame_style_; }
    void SetFrameStyle(FrameStyle value) { SetFrameValue(frame_style_, value); }
    TColor FrameColor() const { return frame_color_; }
    void SetFrameColor(TColor value) { SetFrameValue(frame_color_, value); }
    Sides FrameSides() const { return frame_sides_; }
    void SetFrameSides(Sides value) { SetFrameValue(frame_sides_, value); }
    bool FrameHotTrack() const { return frame_hot_track_; }
    void SetFrameHotTrack(bool value);
    FrameStyle FrameHotStyle() const { return frame_hot_style_; }
    void SetFrameHotStyle(FrameStyle value) { SetFrameValue(frame_hot_style_, value); }
    TColor FrameHotColor() const { return frame_hot_color_; }
    void SetFrameHotColor(TColor value) { SetFrameValue(frame_hot_color_, value); }
    FramingPreference GetFramingPreference() const { return framing_preference_; }
    void SetFramingPreference(FramingPreference value);

    TColor FocusColor() const { return focus_color_; }
    void SetFocusColor(TColor value);
    TColor DisabledColor() const { return disabled_color_; }
    void SetDisabledColor(TColor value);
    TColor NormalColor() const { return normal_color_; }

    bool RightClickSelect() const { return right_click_select_; }
    void SetRightClickSelect(bool value) { right_click_select_ = value; }
    // Not owned.
    HMENU PopupMenu() const { return popup_menu_; }
    void SetPopupMenu(HMENU menu) { popup_menu_ = menu; }
    bool MenuShown() const { return menu_shown_; }
    bool MouseOver() const { return mouse_over_; }
    TreeNode RightClickNode() const { return right_click_node_; }

    // The selection as users of the tree see it: the right-clicked node during
    // its menu when RightClickSelect is on, else the platform's selection.
    TreeNode Selected();

    bool ThemedBorderInForce() const;
    void RepaintFrame();
    // The frame as the non-client paint draws it, on any canvas of the window's size.
    void PaintFrame(Canvas& canvas);

    // Legacy stored properties: "FrameFlat" ("True"/"False"), "FrameFocusStyle"
    // (a frame style name such as "fsLowered") and "FrameFlatStyle" (ignored).
    // False for any other name.
    bool ReadLegacyProperty(const std::wstring& name, const std::wstring& value);

    std::function<void(FramedTreeView& sender, TreeNode node, POINT& point, HMENU& menu)> OnNodeContextMenu;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void Loaded() override;
    void ColorChanged() override;
    void EnabledChanged() override;
    void DoEnter() override;
    void DoExit() override;
    void MouseEnter() override;
    void MouseLeave() override;
    void KeyDown(WORD& key, unsigned shift) override;
    void BoundsChanged() override;
    bool RightClicked() override;

    virtual void UpdateColors();
    virtual void UpdateFrameState(bool mouse_changed, bool mouse_over);
    // The node context-menu step: may change the point (client coordinates)
    // and the menu, or clear the menu. Fires OnNodeContextMenu.
    virtual void NodeContextMenu(TreeNode node, POINT& point, HMENU& menu);

private:
    template <typename T>
    void SetFrameValue(T& field, T value) {
        if (field == value) return;
        field = value;
        RepaintFrame();
    }
    void ShowMenuFor(TreeNode node, POINT client_point);
    void PopUp(HMENU menu, POINT client_point);
    bool MouseWheel(int delta);
    void PaintSelectionOutline();

    bool frame_visible_ = false;
    FrameStyle frame_style_ = fsFlat;
    TColor frame_color_ = clBtnShadow;
    Sides frame_sides_ = sdAll;
    bool frame_hot_track_ = false;
    FrameStyle frame_hot_style_ = fsFlatBold;
    TColor frame_hot_color_ = clBtnShadow;
    FramingPreference framing_preference_ = FramingPreference::XPThemes;
    TColor focus_color_ = clWindow;
    TColor disabled_color_ = clBtnFace;
    TColor normal_color_ = clWindow;
    bool updating_color_ = false;
    bool mouse_over_ = false;
    bool menu_shown_ = false;
    bool right_click_select_ = false;
    TreeNode right_click_node_ = nullptr;
    HMENU popup_menu_ = nullptr;
    PenSpec selection_pen_{clBtnShadow, 1, PenStyle::Solid};
};

}  // namespace census
