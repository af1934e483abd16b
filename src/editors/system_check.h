// The size of the system's check-box square and the shape of its mark,
// measured once per process from the system's check-box bitmap: a grid of
// 4 x 3 equal cells whose first two (unchecked, checked) differ exactly in
// the mark. Systems draw different marks (a tick, or an X) in different
// sizes, so nothing here assumes one.
#pragma once

#include "runtime/handles.h"

namespace census {

struct SystemCheckMetrics {
    SIZE size{};
    // Monochrome, of that size: black where the mark is, white elsewhere.
    UniqueBitmap mask;
    // True when the check-box bitmap was missing or empty and the menu
    // check mark stands in, so the square never vanishes.
    bool from_menu_check = false;
};

// Measured on first use and kept for the process's life.
const SystemCheckMetrics& SystemCheck();

// The mark for a square of `size` (the system's scaled to a density): the
// system's own where the sizes agree; else that mark taken to the size pixel
// by pixel, so it keeps its shape and its edges stay sharp. Kept for the
// process's life, one per size asked for.
const SystemCheckMetrics& SystemCheckOfSize(SIZE size);

// Measures a given check-box bitmap; null (or one too small to hold the
// grid) gives the menu check mark at the system's menu-check size.
SystemCheckMetrics MeasureSystemCheck(HBITMAP checkboxes);

// Paints the mark's black pixels in colour, the mask's top-left at (x, y),
// clipped to clip; the white pixels leave the picture as it is.
void PaintCheckMark(HDC dc, const SystemCheckMetrics& check, int x, int y, const RECT& clip, COLORREF color);

}  // namespace census
