#include "editors/check_box_layout.h"

#include <algorithm>

namespace census {

namespace {

IntRect Inflated(IntRect r, int by) { return {r.left - by, r.top - by, r.right + by, r.bottom + by}; }

IntRect Intersection(IntRect a, IntRect b) {
    IntRect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
    return r;
}

// The caption text's own rectangle inside the caption area, placed as the
// caption's drawing flags place it.
IntRect TextExtentIn(const IntRect& area, IntSize text, CheckAlignment alignment, bool multi_line) {
    int w = std::min(text.width, area.Width());
    int left = area.left;
    if (alignment == CheckAlignment::Right)
        left = area.right - w;
    else if (alignment == CheckAlignment::Center)
        left = area.left + (area.Width() - w) / 2;
    int top = multi_line ? area.top : area.top + (area.Height() - text.height) / 2;
    return {left, top, left + w, top + text.height};
}

}  // namespace

CheckLayout CalcCheckLayout(const CheckLayoutInput& in) {
    CheckLayout out;
    const IntRect c = in.content;
    out.caption = Inflated(c, -in.inset);
    IntRect area = in.native ? c : Inflated(c, -in.inset);
    IntSize s = in.check;

    out.square = area;
    if (s.height < area.Height()) {
        out.square.top = area.top + (area.Height() - s.height) / 2;
        out.square.bottom = out.square.top + s.height;
    }
    if (s.width < area.Width()) {
        switch (in.alignment) {
            case CheckAlignment::Center:
                out.square.left = area.left + (area.Width() - s.width) / 2;
                out.square.right = out.square.left + s.width;
                break;
            case CheckAlignment::Right:
                out.square.left = area.right - s.width;
                out.square.right = area.right;
                out.caption.right = out.square.left - in.caption_gap;
                break;
            case CheckAlignment::Left:
                out.square.right = area.left + s.width;
                out.caption.left = out.square.right + in.caption_gap;
                break;
        }
    } else {
        out.caption.right = out.caption.left;
    }
    if (!in.enabled) {
        ++out.caption.right;
        ++out.caption.bottom;
    }

    if (in.caption.width <= 0 || in.caption.height <= 0) return out;
    IntRect focus = in.full_focus_rect ? out.caption : TextExtentIn(out.caption, in.caption, in.alignment, in.multi_line);
    focus = Intersection(Inflated(focus, 1), Inflated(out.caption, 1));
    focus.right = std::min(focus.right, in.control_width - 1);
    out.focus = focus;
    return out;
}

CheckVisual CheckVisualAfter(const CheckMouseEvent& e) {
    if (!e.enabled) return ckvDisabled;
    if (e.space_pressed) return ckvPressed;
    if (e.designing || !e.inside) return ckvNormal;
    if (e.nothing_held) return ckvHot;
    if (e.only_left_held && (e.is_left_press || e.previous == ckvPressed)) return ckvPressed;
    return ckvNormal;
}

CheckBoxState ToggledState(CheckBoxState state, bool allow_grayed) {
    switch (state) {
        case chkUnchecked: return allow_grayed ? chkGrayed : chkChecked;
        case chkChecked: return chkUnchecked;
        default: return chkChecked;
    }
}

}  // namespace census
