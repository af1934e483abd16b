#include "editors/paint_math.h"

#include <algorithm>
#include <cstdint>

namespace census {

int MulDiv64(int a, int b, int c) {
    if (c == 0) return -1;
    std::int64_t product = static_cast<std::int64_t>(a) * b;
    std::int64_t half = (c < 0 ? -static_cast<std::int64_t>(c) : c) / 2;
    bool negative = (product < 0) != (c < 0);
    std::int64_t magnitude = (product < 0 ? -product : product) + half;
    std::int64_t quotient = magnitude / (c < 0 ? -static_cast<std::int64_t>(c) : c);
    return static_cast<int>(negative ? -quotient : quotient);
}

TColor BlendColors(TColor face, TColor highlight, TColor window, int face_part, int highlight_part,
                   int window_part) {
    face &= 0xFFFFFF;
    if (face == 0 || face == 0xFFFFFF) return highlight & 0xFFFFFF;
    auto channel = [&](int (*of)(TColor)) {
        int v = MulDiv64(of(face), face_part, 100) + MulDiv64(of(highlight), highlight_part, 100) +
                MulDiv64(of(window), window_part, 100);
        return std::clamp(v, 0, 255);
    };
    return MakeRgb(channel(RedOf), channel(GreenOf), channel(BlueOf));
}

std::array<IntPoint, 3> ArrowTriangle(IntRect r, ArrowDirection direction) {
    int w = r.Width(), h = r.Height();
    if (w > h) {
        r.left += (w - h) / 2;
        r.right = r.left + h;
    } else if (h > w) {
        r.top += (h - w) / 2;
        r.bottom = r.top + w;
    }
    int side = r.Width();
    int base = (side - 1) / 2;
    if (base % 2 == 0) ++base;
    int height = base / 2 + 1;
    bool vertical = direction == adUp || direction == adDown;
    // Along the base and across it, from the square's top-left corner.
    int along = (side - base) / 2;
    int across = (side - height) / 2;
    int mid = along + base / 2;
    auto at = [&](int a, int c) {
        return vertical ? IntPoint{r.left + a, r.top + c} : IntPoint{r.left + c, r.top + a};
    };
    switch (direction) {
        case adUp:
        case adLeft:
            return {at(mid, across), at(along, across + height - 1), at(along + base - 1, across + height - 1)};
        default:
            return {at(along, across), at(along + base - 1, across), at(mid, across + height - 1)};
    }
}

}  // namespace census
