#include "editors/scroll_bar_geometry.h"

#include <algorithm>

namespace census {

namespace {

// The layout is computed along a vertical axis; a horizontal bar is the same
// with x and y swapped.
IntRect Swap(const IntRect& r) { return {r.top, r.left, r.bottom, r.right}; }

}  // namespace

ScrollBarLayout LayoutScrollBar(const ScrollBarMetrics& m, const ScrollRange& range) {
    const int across = m.horizontal ? m.height : m.width;
    const int along = m.horizontal ? m.width : m.height;
    const int a = std::min(m.arrow_size, along / 2);
    ScrollBarLayout v;  // vertical orientation
    v.line_back = {0, 0, across, a};
    v.line_forward = {0, along - a, across, along};
    if (m.enabled) {
        const int track = v.line_forward.top - v.line_back.bottom;
        if (range.page != 0) {
            int length = std::min(track, MulDiv64(range.page, track, range.max - range.min + 1));
            if (track >= m.min_thumb && range.max != range.min) {
                length = std::max(length, m.min_thumb);
                int d = range.max - range.min - range.page + 1;
                int top = v.line_back.bottom + MulDiv64(track - length, std::min(range.position - range.min, d), d);
                v.thumb = {0, top, across, top + length};
            }
        } else {
            int length = m.fixed_thumb;
            if (track >= length) {
                int top = v.line_back.bottom;
                if (track != length && range.max != range.min) {
                    top += MulDiv64(track - length, range.position - range.min, range.max - range.min);
                }
                v.thumb = {0, top, across, top + length};
            }
        }
    }
    ScrollBarLayout out = v;
    if (m.horizontal) {
        out.line_back = Swap(v.line_back);
        out.line_forward = Swap(v.line_forward);
        out.thumb = Swap(v.thumb);
    }
    LayoutPages(m, out);
    return out;
}

void LayoutPages(const ScrollBarMetrics& m, ScrollBarLayout& l) {
    if (l.thumb.Empty()) {
        l.page_back = l.page_forward = {};
        return;
    }
    if (m.horizontal) {
        l.page_back = {l.line_back.right, 0, l.thumb.left, m.height};
        l.page_forward = {l.thumb.right, 0, l.line_forward.left, m.height};
    } else {
        l.page_back = {0, l.line_back.bottom, m.width, l.thumb.top};
        l.page_forward = {0, l.thumb.bottom, m.width, l.line_forward.top};
    }
}

ScrollPart HitTestScrollBar(const ScrollBarMetrics& m, const ScrollBarLayout& l, int x, int y) {
    if (!IntRect{0, 0, m.width, m.height}.Contains(x, y)) return spNone;
    if (l.line_back.Contains(x, y)) return spLineBack;
    if (l.line_forward.Contains(x, y)) return spLineForward;
    if (l.thumb.Empty()) return spNone;
    if (l.thumb.Contains(x, y)) return spThumb;
    if (l.page_back.Contains(x, y)) return spPageBack;
    if (l.page_forward.Contains(x, y)) return spPageForward;
    return spNone;
}

int PositionFromThumb(const ScrollBarMetrics& m, const ScrollRange& range, const ScrollBarLayout& l) {
    int span = range.max - range.min;
    if (range.page > 0) span -= range.page - 1;
    // A thumb that fills the whole track has nowhere to go.
    int travel = m.horizontal ? l.line_forward.left - l.line_back.right - l.thumb.Width()
                              : l.line_forward.top - l.line_back.bottom - l.thumb.Height();
    if (travel <= 0) return range.min;
    if (m.horizontal) {
        return range.min + MulDiv64(span, l.thumb.left - l.line_back.right,
                                    l.line_forward.left - l.line_back.right - l.thumb.Width());
    }
    return range.min + MulDiv64(span, l.thumb.top - l.line_back.bottom,
                                l.line_forward.top - l.line_back.bottom - l.thumb.Height());
}

}  // namespace census
