#include "decor/color_shading.h"

#include <algorithm>
#include <cmath>

namespace census {

namespace {

// Nearest integer, halves to even (the default floating-point rounding).
int RoundEven(double v) { return static_cast<int>(std::nearbyint(v)); }

int ToByte(double v) { return RoundEven(std::min(v, 1.0) * 255.0); }

}  // namespace

HueSatLum ColorToHueSatLum(TColor color) {
    TColor rgb = ColorToRgb(color);
    double r = RedOf(rgb) / 255.0, g = GreenOf(rgb) / 255.0, b = BlueOf(rgb) / 255.0;
    double max = std::max({r, g, b});
    double min = std::min({r, g, b});
    double lum = (max + min) / 2;
    double hue = 0, sat = 0;
    if (max != min) {
        double d = max - min;
        sat = lum < 0.5 ? d / (max + min) : d / (2 - max - min);
        if (r == max)
            hue = (g - b) / d;
        else if (g == max)
            hue = 2 + (b - r) / d;
        else
            hue = 4 + (r - g) / d;
        hue /= 6;
        if (hue < 0) hue += 1;
    }
    return {RoundEven(hue * 240), RoundEven(sat * 240), RoundEven(lum * 240)};
}

TColor HueSatLumToColor(int hue, int sat, int lum) {
    // 239 rather than 240: a hue of 239 wraps round to red again.
    double h = hue / 239.0, s = sat / 240.0, l = lum / 240.0;
    double v = l < 0.5 ? l * (1 + s) : l + s - l * s;
    if (v <= 0) return clBlack;
    double m = 2 * l - v;
    double sv = (v - m) / v;
    double h6 = h * 6;
    int sextant = static_cast<int>(h6);
    double fract = h6 - sextant;
    double vsf = v * sv * fract;
    double mid1 = m + vsf, mid2 = v - vsf;
    double r, g, b;
    switch (sextant) {
        case 1: r = mid2, g = v, b = m; break;
        case 2: r = m, g = v, b = mid1; break;
        case 3: r = m, g = mid2, b = v; break;
        case 4: r = mid1, g = m, b = v; break;
        case 5: r = v, g = m, b = mid2; break;
        default: r = v, g = mid1, b = m; break;
    }
    return MakeRgb(ToByte(r), ToByte(g), ToByte(b));
}

TColor ShadeColor(TColor color, int amount) {
    HueSatLum hsl = ColorToHueSatLum(color);
    return HueSatLumToColor(hsl.hue, hsl.sat, std::max(hsl.lum - amount, 0));
}

TColor TintColor(TColor color, int amount) {
    HueSatLum hsl = ColorToHueSatLum(color);
    return HueSatLumToColor(hsl.hue, hsl.sat, std::min(hsl.lum + amount, 255));
}

}  // namespace census
