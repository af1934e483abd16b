// The window's check box: an edit control with a three-state value, its own
// square and caption, toggled by a click (press and release on the control,
// caption included), or by the space key's release.
//
// Its looks follow the mouse messages' own positions and button flags, not
// the cursor, so a posted click toggles like a real one. The mouse is
// captured from the press, so a release outside is seen and does not toggle.
// A space held on the box and released elsewhere would leave it pressed for
// good; losing the focus clears that state without toggling.
#pragma once

#include "editors/check_box_layout.h"
#include "editors/custom_edit.h"

#include <string>

namespace census {

enum class CheckNullStyle { Unchecked, Inactive, GrayedChecked };

class CheckBoxProperties : public EditProperties {
public:
    // The caption; until one is set the control shows its Name.
    const std::wstring& Caption() const { return caption_; }
    bool CaptionAssigned() const { return caption_assigned_; }
    void SetCaption(const std::wstring& v);
    CheckAlignment Alignment() const { return alignment_; }
    void SetAlignment(CheckAlignment v) { Set(alignment_, v); }
    bool AllowGrayed() const { return allow_grayed_; }
    void SetAllowGrayed(bool v) { Set(allow_grayed_, v); }

    // Edit values for each state. The empty string stands for the Null
    // value: it may mean grayed, never checked or unchecked, and a value
    // equal to one of the three in use is refused.
    const std::wstring& ValueChecked() const { return value_checked_; }
    const std::wstring& ValueUnchecked() const { return value_unchecked_; }
    const std::wstring& ValueGrayed() const { return value_grayed_; }
    void SetValueChecked(const std::wstring& v);
    void SetValueUnchecked(const std::wstring& v);
    void SetValueGrayed(const std::wstring& v);

    // Texts that stand for each value when a value is shown as text.
    std::wstring DisplayChecked = L"True";
    std::wstring DisplayUnchecked = L"False";
    std::wstring DisplayGrayed;
    std::wstring DisplayText(const std::wstring& value) const;

    bool FullFocusRect() const { return full_focus_rect_; }
    void SetFullFocusRect(bool v) { Set(full_focus_rect_, v); }
    bool MultiLine() const { return multi_line_; }
    void SetMultiLine(bool v) { Set(multi_line_, v); }
    // A strip of equal cells that replaces the drawn square.
    HBITMAP Glyph() const { return glyph_.get(); }
    void SetGlyph(UniqueBitmap glyph);
    int GlyphCount() const { return glyph_count_; }
    void SetGlyphCount(int v) { Set(glyph_count_, v); }
    // Only a theme-drawn square shows it.
    CheckNullStyle NullStyle() const { return null_style_; }
    void SetNullStyle(CheckNullStyle v) { Set(null_style_, v); }

private:
    bool IsValueInUse(const std::wstring& v) const;

    std::wstring caption_;
    bool caption_assigned_ = false;
    CheckAlignment alignment_ = CheckAlignment::Left;
    bool allow_grayed_ = false;
    std::wstring value_checked_ = L"True";
    std::wstring value_unchecked_ = L"False";
    std::wstring value_grayed_;
    bool full_focus_rect_ = false;
    bool multi_line_ = false;
    UniqueBitmap glyph_;
    int glyph_count_ = 6;
    CheckNullStyle null_style_ = CheckNullStyle::GrayedChecked;
};

class CheckBox : public CustomEdit {
public:
    CheckBox();
    ~CheckBox() override;

    CheckBoxProperties& Properties() override { return properties_; }

    bool Checked() { return State() == chkChecked; }
    void SetChecked(bool checked) { SetState(checked ? chkChecked : chkUnchecked); }
    CheckBoxState State();
    void SetState(CheckBoxState state);
    void Toggle();
    // Sets the value and runs the change handling (OnClick, OnChange).
    void SetEditValue(const std::wstring& value);

    CheckVisual Visual() const { return visual_; }
    bool SpacePressed() const { return space_pressed_; }
    const CheckLayout& Layout() const { return layout_; }
    // The caption as drawn: the properties' caption once set, else the name.
    std::wstring ShownCaption() const;
    // The square's border style: the style's, turned up while hot or focused.
    ContainerBorderStyle CheckBorderStyle();
    // The square's size: the glyph's cell, else the system's check box at the control's density.
    IntSize CheckSize() const;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void Paint(Canvas& canvas) override;
    bool DrawsBorder() const override { return false; }
    void BoundsChanged() override;
    void FontChanged() override;
    void DpiChanged(int old_dpi) override;
    void ColorChanged() override;
    void EnabledChanged() override;
    void WindowCreated() override;
    void MouseDown(MouseButton button, unsigned shift, int x, int y) override;
    void MouseUp(MouseButton button, unsigned shift, int x, int y) override;
    void MouseMove(unsigned shift, int x, int y) override;
    void MouseLeave() override;
    void KeyDown(WORD& key, unsigned shift) override;
    void KeyUp(WORD& key, unsigned shift) override;

private:
    void Recalculate();
    void ValueChanged();
    void UserToggle();
    void SetVisual(CheckVisual visual);
    void MouseEvent(unsigned shift, int x, int y, bool is_left_press);
    void ClearSpacePressed();
    void InvalidateSquare();
    void PaintSquare(PainterCanvas& canvas);
    void PaintUltraFlatInterior(PainterCanvas& canvas, RECT interior);
    void PaintGlyph(PainterCanvas& canvas);
    void PaintCaption(PainterCanvas& canvas);
    unsigned CaptionFlags() const;

    CheckBoxProperties properties_;
    CheckLayout layout_;
    CheckVisual visual_ = ckvNormal;
    CheckBoxState last_state_ = chkUnchecked;
    bool space_pressed_ = false;
};

}  // namespace census
