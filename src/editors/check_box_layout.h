// The check box's geometry and its reaction to the mouse, as rules on plain
// numbers: where the square, the caption and the focus rectangle go, which
// look the square has after a mouse event, and what a toggle leads to.
#pragma once

#include "editors/button_layout.h"
#include "editors/paint_math.h"

namespace census {

enum CheckBoxState { chkUnchecked = 0, chkChecked = 1, chkGrayed = 2 };
enum CheckVisual { ckvNormal = 0, ckvHot = 1, ckvPressed = 2, ckvDisabled = 3 };
enum class CheckAlignment { Left, Right, Center };

struct CheckLayoutInput {
    IntRect content;     // the edit's client rectangle
    IntSize check;       // the square's size
    CheckAlignment alignment = CheckAlignment::Left;
    bool native = false;  // the theme draws the square: no 2-pixel inset
    bool enabled = true;
    IntSize caption;      // the caption text's extent; (0, 0) without caption
    bool multi_line = false;
    bool full_focus_rect = false;
    int control_width = 0;
    // Room around the square and the caption, and between them (2 and 3 at 96 pixels per inch).
    int inset = 2;
    int caption_gap = 3;
};

struct CheckLayout {
    IntRect square;
    IntRect caption;
    IntRect focus;  // empty without a caption
};

CheckLayout CalcCheckLayout(const CheckLayoutInput& in);

struct CheckMouseEvent {
    bool enabled = true;
    bool space_pressed = false;
    bool designing = false;
    bool inside = false;          // the event's position is within the control
    bool nothing_held = true;     // no mouse button and no modifier key
    bool only_left_held = false;  // exactly the left button
    bool is_left_press = false;   // the event is the left button going down
    CheckVisual previous = ckvNormal;
};

CheckVisual CheckVisualAfter(const CheckMouseEvent& e);

CheckBoxState ToggledState(CheckBoxState state, bool allow_grayed);

}  // namespace census
