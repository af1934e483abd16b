// Geometry of a painted scroll bar: where the arrows, the thumb and the page
// areas are, which part a point hits, and the position a thumb stands for.
// No platform calls; the system metrics come in as numbers.
#pragma once

#include "editors/paint_math.h"

namespace census {

struct ScrollBarMetrics {
    bool horizontal = true;
    int width = 0, height = 0;
    int arrow_size = 16;      // SM_CYHSCROLL (horizontal) or SM_CXVSCROLL (vertical)
    int fixed_thumb = 16;     // SM_CXHTHUMB or SM_CYVTHUMB, used when the page is 0
    int min_thumb = 8;
    bool enabled = true;
};

struct ScrollRange {
    int min = 0, max = 100, page = 0, position = 0;
};

struct ScrollBarLayout {
    IntRect line_back, line_forward, thumb, page_back, page_forward;
};

ScrollBarLayout LayoutScrollBar(const ScrollBarMetrics& m, const ScrollRange& range);
// The page areas either side of the thumb (after the thumb has moved).
void LayoutPages(const ScrollBarMetrics& m, ScrollBarLayout& layout);
ScrollPart HitTestScrollBar(const ScrollBarMetrics& m, const ScrollBarLayout& layout, int x, int y);
int PositionFromThumb(const ScrollBarMetrics& m, const ScrollRange& range, const ScrollBarLayout& layout);

}  // namespace census
