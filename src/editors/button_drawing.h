// How a push button is drawn, apart from the window: its per-state face
// colours and one drawing of frame, face, glyph, caption and drop-down arrow
// through a look-and-feel painter.
#pragma once

#include "editors/button_layout.h"
#include "editors/painters.h"

#include <array>
#include <functional>
#include <string>

namespace census {

enum ButtonKind { edbkStandard = 0, edbkDropDown = 1, edbkDropDownButton = 2 };

// Width of the arrow part of edbkDropDownButton, at 96 pixels per inch.
constexpr int kDropDownArrowWidth = 15;

// Face colour per state; clDefault lets the painter choose.
class ButtonColors {
public:
    TColor Color(ButtonState state) const { return colors_[state]; }
    // clDefault or clNone resets the state's colour to the painter's.
    void SetColor(ButtonState state, TColor color);
    // Bit (1 << state) for each state with a colour of its own.
    unsigned AssignedColors() const { return assigned_; }
    // States that leave the set go back to the painter's colour.
    void SetAssignedColors(unsigned states);

    std::function<void()> OnChanged;

private:
    std::array<TColor, 5> colors_{clDefault, clDefault, clDefault, clDefault, clDefault};
    unsigned assigned_ = 0;
};

// Everything one drawing of a button needs.
struct ButtonDrawing {
    const LookAndFeelPainter* painter = nullptr;  // null: the ultra-flat painter
    RECT bounds{};
    std::wstring caption;
    ButtonState state = edbsNormal;
    TColor face_color = clDefault;
    FontSpec font;  // its colour is replaced by the painter's glyph colour
    bool focus_rect = false;
    ButtonKind kind = edbkStandard;
    ButtonLayout layout = blGlyphLeft;
    int margin = -1;
    int spacing = 4;
    HBITMAP glyph = nullptr;  // not owned
    int glyph_cells = 1;
    bool right_to_left = false;
    // Called after font and face colour are chosen; may change both.
    std::function<void(FontSpec& font, TColor& face_color)> adjust;
};

// Frame, face, glyph, caption, drop-down arrow and focus rectangle.
void DrawButton(PainterCanvas& canvas, const ButtonDrawing& drawing);

// The visual state, highest priority first: disabled, pressed (or menu
// open), hot, focused or active default, normal.
ButtonState ButtonVisualState(bool enabled, bool pressed, bool menu_shown, bool hot, bool focused);

}  // namespace census
