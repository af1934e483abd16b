#include "decor/balloon_geometry.h"

#include <algorithm>

namespace census {

namespace {

constexpr bool IsLeftCorner(HintCorner c) { return c == hcLowerLeft || c == hcUpperLeft; }

// The corner on the other side of the mouse point, horizontally or
// vertically; the other side is kept, so the tail keeps pointing at the point.
constexpr HintCorner FlipSide(HintCorner c) {
    switch (c) {
        case hcLowerRight: return hcLowerLeft;
        case hcLowerLeft: return hcLowerRight;
        case hcUpperLeft: return hcUpperRight;
        default: return hcUpperLeft;
    }
}
constexpr HintCorner Below(HintCorner c) { return IsLeftCorner(c) ? hcLowerLeft : hcLowerRight; }
constexpr HintCorner Above(HintCorner c) { return IsLeftCorner(c) ? hcUpperLeft : hcUpperRight; }
constexpr HintCorner ToLeft(HintCorner c) { return IsLeftCorner(c) ? c : FlipSide(c); }
constexpr HintCorner ToRight(HintCorner c) { return IsLeftCorner(c) ? FlipSide(c) : c; }

BalloonPoint Offset(BalloonPoint p, int dx, int dy) { return {p.x + dx, p.y + dy}; }

BalloonRect Inset(BalloonRect r, int d) { return {r.left + d, r.top + d, r.right - d, r.bottom - d}; }

// The tail and the strip that opens the body's outline where the tail joins it.
void ShapeTail(BalloonShape& s, int client_height, HintCorner used, const BalloonMetrics& m) {
    const BalloonRect& b = s.body;
    const bool upper = IsUpperCorner(used);
    const int base = upper ? b.bottom - 2 : b.top + 1;     // the edge the tail stands on
    const int tip = upper ? client_height - 2 : 1;
    const int x = IsLeftCorner(used) ? b.right - m.tail_near : b.left + m.tail_near;  // the tail's straight side
    const int far = IsLeftCorner(used) ? b.right - m.tail_far : b.left + m.tail_far;
    s.has_tail = true;
    s.tail = {BalloonPoint{x, base}, BalloonPoint{x, tip}, BalloonPoint{far, base}};
    // From the tail's one side to its other, both included.
    const int left = std::min(x, far), right = std::max(x, far) + 1;
    s.join = upper ? BalloonRect{left, b.bottom - 3, right, b.bottom - 1} : BalloonRect{left, b.top + 1, right, b.top + 2};
}

// Shadow triangles offset from the tail, btnshadow first, then 3ddkshadow.
void ShapeTailShadow(BalloonShape& s, HintCorner used) {
    struct Offsets {
        BalloonPoint p1, p2, p3;
    };
    std::array<Offsets, 2> o;
    switch (used) {
        case hcUpperRight: o = {{{{2, 4}, {2, 2}, {0, 4}}, {{1, 3}, {1, 1}, {-1, 3}}}}; break;
        case hcUpperLeft: o = {{{{2, 4}, {2, 2}, {2, 2}}, {{1, 3}, {1, 1}, {1, 1}}}}; break;
        case hcLowerLeft: o = {{{{2, -2}, {2, 2}, {2, 0}}, {{1, -2}, {1, 1}, {1, 0}}}}; break;
        default: return;  // the lower right tail throws no shadow
    }
    s.has_tail_shadow = true;
    for (size_t i = 0; i < 2; ++i)
        s.tail_shadow[i] = {Offset(s.tail[0], o[i].p1.x, o[i].p1.y), Offset(s.tail[1], o[i].p2.x, o[i].p2.y),
                            Offset(s.tail[2], o[i].p3.x, o[i].p3.y)};
}

}  // namespace

BalloonMetrics BalloonMetricsAt(int dpi) {
    const BalloonMetrics design;
    // Rounded as the platform's MulDiv rounds: to the nearest, halves away from zero.
    auto scaled = [dpi](int pixels) {
        const long long n = static_cast<long long>(pixels) * dpi;
        return static_cast<int>(n >= 0 ? (n + 48) / 96 : -((-n + 48) / 96));
    };
    BalloonMetrics m;
    m.min_width = scaled(design.min_width);
    m.tail_height = scaled(design.tail_height);
    m.tail_room = scaled(design.tail_room);
    m.tail_near = scaled(design.tail_near);
    m.tail_far = scaled(design.tail_far);
    m.margin = scaled(design.margin);
    m.text_inset = scaled(design.text_inset);
    m.corner = scaled(design.corner);
    return m;
}

BalloonRect BalloonFrame(BalloonRect hint, HintCorner previous, bool balloon, bool shadow,
                         std::optional<BalloonPoint> anchor, const BalloonMetrics& m) {
    BalloonRect r = hint;
    if (balloon) {
        if (IsUpperCorner(previous)) {
            r.bottom += m.tail_room;
            if (shadow) r.right += 2;
        } else {
            r.top -= m.tail_room;
            if (shadow) {
                r.right += 2;
                r.bottom += 2;
            }
        }
    }
    r = Inset(r, -m.margin);
    if (balloon && anchor) r = {anchor->x, anchor->y, anchor->x + r.Width(), anchor->y + r.Height()};
    return r;
}

BalloonPlacement PlaceBalloon(const BalloonRect& frame, int width, int height, HintCorner preferred,
                              int screen_width, int screen_height) {
    const int right_x = frame.left + 1, left_x = frame.left - width - 1;
    const int below_y = frame.top, above_y = frame.top - height;
    BalloonPlacement p;
    p.corner = preferred;
    p.x = IsLeftCorner(preferred) ? left_x : right_x;
    p.y = IsUpperCorner(preferred) ? above_y : below_y;
    if (p.y < 0) {
        p.corner = Below(p.corner);
        p.y = below_y;
    }
    if (p.y + height > screen_height) {
        p.corner = Above(p.corner);
        p.y = above_y;
    }
    if (p.x + width > screen_width) {
        p.corner = ToLeft(p.corner);
        p.x = left_x;
    }
    if (p.x < 0) {
        p.corner = ToRight(p.corner);
        p.x = right_x;
    }
    return p;
}

BalloonRect BalloonBody(int width, int height, HintCorner used, bool balloon, bool shadow, const BalloonMetrics& m) {
    BalloonRect body{0, 0, width, height};
    if (!balloon) return body;
    if (IsUpperCorner(used)) {
        body.bottom -= m.tail_height;
        if (shadow) body.right -= 2;
    } else {
        body.top += m.tail_height;
        if (shadow) {
            body.right -= 2;
            body.bottom -= 2;
        }
    }
    return body;
}

BalloonShape ShapeBalloon(const BalloonRect& body, int client_height, HintCorner used, bool balloon, bool shadow,
                          int plain_text_dx, const BalloonMetrics& m) {
    BalloonShape s;
    s.body = body;
    if (!balloon) {
        s.text = {body.left + plain_text_dx, body.top + m.margin, body.right + plain_text_dx, body.bottom + m.margin};
        return s;
    }
    ShapeTail(s, client_height, used, m);
    if (shadow) ShapeTailShadow(s, used);
    s.text = Inset(body, m.text_inset);
    return s;
}

std::vector<PixelRun> PaintedRuns(int width, int height, const std::vector<std::uint32_t>& over_black,
                                  const std::vector<std::uint32_t>& over_white) {
    std::vector<PixelRun> runs;
    if (width <= 0 || height <= 0) return runs;
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    if (over_black.size() < count || over_white.size() < count) return runs;
    for (int y = 0; y < height; ++y) {
        const size_t row = static_cast<size_t>(y) * static_cast<size_t>(width);
        int x = 0;
        while (x < width) {
            while (x < width && over_black[row + x] != over_white[row + x]) ++x;
            const int left = x;
            while (x < width && over_black[row + x] == over_white[row + x]) ++x;
            if (x > left) runs.push_back({y, left, x});
        }
    }
    return runs;
}

std::optional<CornerPicture> ChooseCornerPicture(HintCorner used, const std::array<bool, 4>& present) {
    if (present[used]) return CornerPicture{used, false, false};
    for (HintCorner c : {hcUpperRight, hcUpperLeft, hcLowerRight, hcLowerLeft}) {
        if (!present[c]) continue;
        return CornerPicture{c, IsLeftCorner(c) != IsLeftCorner(used), IsUpperCorner(c) != IsUpperCorner(used)};
    }
    return std::nullopt;
}

}  // namespace census
