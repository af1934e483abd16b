// Colour shading on the 0..240 hue/saturation/luminance scale the platform's
// colour dialog uses. System colours are resolved to RGB first.
#pragma once

#include "runtime/colors.h"

namespace census {

struct HueSatLum {
    int hue = 0;
    int sat = 0;
    int lum = 0;
    bool operator==(const HueSatLum&) const = default;
};

HueSatLum ColorToHueSatLum(TColor color);
// Luminance may exceed 240 (up to 255): such colours come out clipped to
// white per channel rather than wrapping.
TColor HueSatLumToColor(int hue, int sat, int lum);

// The colour with its luminance lowered / raised by `amount`.
TColor ShadeColor(TColor color, int amount);
TColor TintColor(TColor color, int amount);

}  // namespace census
