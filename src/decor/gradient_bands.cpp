#include "decor/gradient_bands.h"

#include <algorithm>

namespace census {

namespace {

struct FixedColor {
    int r, g, b;  // 16.16
    TColor Rgb() const { return MakeRgb(r >> 16, g >> 16, b >> 16); }
};

int Increment(int from_fixed, int to_byte, int n) { return n > 0 ? ((to_byte << 16) - from_fixed) / n : 0; }

}  // namespace

std::vector<GradientBand> GradientBands(int top, int n, TColor start, TColor end, int steps) {
    int group = steps > 8 ? 255 / steps + 1 : steps;
    group = std::max(group - 1, 0);

    FixedColor cur{RedOf(start) << 16, GreenOf(start) << 16, BlueOf(start) << 16};
    const FixedColor inc{Increment(cur.r, RedOf(end), n), Increment(cur.g, GreenOf(end), n),
                         Increment(cur.b, BlueOf(end), n)};

    std::vector<GradientBand> bands;
    int pos = top, left = n;
    while (left > 0) {
        const TColor band_color = cur.Rgb();
        const int band_end = pos;
        int advances = 0;
        do {
            cur.r += inc.r;
            cur.g += inc.g;
            cur.b += inc.b;
            --pos;
            --left;
            ++advances;
        } while (left > 0 && (cur.Rgb() == band_color || advances < group + 1));
        bands.push_back({pos, band_end, band_color});
    }
    return bands;
}

}  // namespace census
