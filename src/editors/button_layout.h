// Where a push button puts its glyph and caption, and how a glyph strip is
// cut into cells. No platform calls: the caller measures the caption.
#pragma once

#include "editors/paint_math.h"

namespace census {

enum ButtonLayout { blGlyphLeft = 0, blGlyphRight = 1, blGlyphTop = 2, blGlyphBottom = 3 };

struct IntSize {
    int width = 0, height = 0;
    bool operator==(const IntSize&) const = default;
};

struct GlyphCaptionInput {
    IntSize client;           // the button's client size
    IntSize glyph;            // one cell; (0, 0) without a glyph
    IntSize caption;          // the measured caption; (0, 0) when empty
    ButtonLayout layout = blGlyphLeft;
    int margin = -1;          // -1: centre the glyph-and-caption block
    int spacing = 4;          // -1: share the free space evenly
    bool right_to_left = false;
    IntPoint offset;          // the pressed shift, when the painter has one
};

struct GlyphCaptionPlacement {
    IntPoint glyph;
    IntRect caption;  // empty for an empty caption
};

GlyphCaptionPlacement LayoutGlyphAndCaption(const GlyphCaptionInput& in);

// NumGlyphs as a loaded bitmap suggests it: width / height when the width is
// a multiple of the height and that gives fewer than five cells, else 1. A
// bitmap without height or width has one (empty) cell.
int GlyphCellsFor(int width, int height);
// NumGlyphs as the program sets it: 1 to 4.
int ClampGlyphCells(int cells);

// The cell (0-based) a state draws from, given the cell count; disabled with
// a single cell answers 0 and the caller embosses it.
enum class GlyphCell { Up = 0, Disabled = 1, Down = 2, Exclusive = 3 };
int GlyphCellIndex(GlyphCell wanted, int cells);

}  // namespace census
