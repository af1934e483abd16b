// The window's push button: a native BUTTON that the program draws itself
// (owner drawing) through a look-and-feel painter, with a hot state that
// follows the mouse, per-state face colours, a glyph and drop-down kinds.
//
// Windows still does the clicking: capture, press, release inside, the space
// key. The button adds what the native one lacks: a double click counts as a
// second press, Enter clicks the focused (or default) button through the
// form's CM_DIALOGKEY, and the hot state. Hot and click decisions come from
// the mouse messages' own positions and flags, so a click posted by an
// accessibility tool clicks even while the real cursor is elsewhere.
#pragma once

#include "editors/button_drawing.h"
#include "editors/look_and_feel.h"
#include "runtime/control.h"

#include <functional>
#include <string>

namespace census {

class PushButton : public Control, private LookAndFeelListener {
public:
    PushButton();
    ~PushButton() override;

    ButtonKind Kind() const { return kind_; }
    void SetKind(ButtonKind kind);
    // Lets Windows draw the button where the look and feel asks for the
    // system's own buttons (lfStandard, or a native style with a theme).
    bool UseSystemPaint() const { return use_system_paint_; }
    void SetUseSystemPaint(bool value);
    LookAndFeel& GetLookAndFeel() { return look_and_feel_; }
    ButtonColors& Colors() { return colors_; }

    HBITMAP Glyph() const { return glyph_.get(); }
    // Any bitmap, even an empty one, makes the program draw the button.
    void SetGlyph(UniqueBitmap glyph);
    int NumGlyphs() const { return num_glyphs_; }
    void SetNumGlyphs(int cells);
    ButtonLayout Layout() const { return layout_; }
    void SetLayout(ButtonLayout layout);
    int Margin() const { return margin_; }
    void SetMargin(int margin);
    int Spacing() const { return spacing_; }
    void SetSpacing(int spacing);

    // The menu of the drop-down kinds; not owned.
    HMENU DropDownMenu() const { return drop_down_menu_; }
    void SetDropDownMenu(HMENU menu) { drop_down_menu_ = menu; }
    bool MenuShown() const { return menu_shown_; }

    bool Default() const { return default_; }
    void SetDefault(bool value);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool value) { cancel_ = value; }

    std::function<void(PushButton& sender, ButtonState state, FontSpec& font, TColor& face_color)>
        OnGetDrawParams;

    bool UsesSystemDrawing() const;
    const LookAndFeelPainter& SelectPainter() const;
    bool IsHotTrackingActive() const;
    ButtonState VisualState() const;
    bool Hot() const { return hot_; }
    bool ActiveDefault() const { return active_default_; }

    void Click() override;

protected:
    void FillCreateParams(CreateParams& params) override;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    bool Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void EnabledChanged() override;
    void FontChanged() override;
    // The drawing the button would make now in the given state.
    ButtonDrawing Drawing(ButtonState state, bool focus_rect);

private:
    void LookAndFeelChanged(LookAndFeel&, LookAndFeelValues) override { RecreateWnd(); }
    void LookAndFeelDestroying(LookAndFeel&) override {}

    void DrawItem(const DRAWITEMSTRUCT& item);
    void BecomeHot();
    void LeaveHot();
    bool InClient(LPARAM lp);
    void FocusMoved(Control* focused);
    bool DialogKey(WPARAM key);
    bool PressOpensMenu(LPARAM lp) const;
    void ShowDropDownMenu();

    ButtonKind kind_ = edbkStandard;
    bool use_system_paint_ = true;
    LookAndFeel look_and_feel_;
    ButtonColors colors_;
    UniqueBitmap glyph_;
    int num_glyphs_ = 1;
    ButtonLayout layout_ = blGlyphLeft;
    int margin_ = -1;
    int spacing_ = 4;
    HMENU drop_down_menu_ = nullptr;
    bool default_ = false;
    bool cancel_ = false;

    bool pressed_draw_ = false;
    bool focused_draw_ = false;
    bool active_default_ = false;
    bool hot_ = false;
    bool menu_shown_ = false;
    POINT last_mouse_{-1, -1};  // client position of the last mouse message
};

}  // namespace census
