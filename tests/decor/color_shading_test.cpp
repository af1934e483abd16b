#include "decor/color_shading.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace census {
namespace {

TEST(ColorShading, HueSatLumOfKnownColours) {
    struct Case {
        TColor color;
        HueSatLum hsl;
    } const cases[] = {
        {clBlack, {0, 0, 0}},
        {clWhite, {0, 0, 240}},
        {clRed, {0, 240, 120}},
        {clLime, {80, 240, 120}},
        {clBlue, {160, 240, 120}},
        {clGreen, {80, 240, 60}},      // 128/255 of half the scale: 60.2
        {clGray, {0, 0, 120}},          // 120.47
        {MakeRgb(255, 0, 128), {220, 240, 120}},  // the hue comes out below 0 and gets a full turn added
        {MakeRgb(64, 128, 192), {140, 121, 120}},
    };
    for (const Case& c : cases) EXPECT_EQ(c.hsl, ColorToHueSatLum(c.color)) << std::hex << c.color;
}

TEST(ColorShading, SystemColoursAreResolvedFirst) {
    EXPECT_EQ(ColorToHueSatLum(ColorToRgb(clHighlight)), ColorToHueSatLum(clHighlight));
}

TEST(ColorShading, HueSatLumBackToColour) {
    struct Case {
        int hue, sat, lum;
        TColor color;
    } const cases[] = {
        {0, 240, 120, clRed},
        // The hue is read on a scale of 239, so the primaries drift a little.
        {80, 240, 120, MakeRgb(0, 255, 2)},
        {160, 240, 120, MakeRgb(4, 0, 255)},
        {0, 0, 0, clBlack},
        {0, 0, 240, clWhite},
        {0, 0, 255, clWhite},  // above the scale: clipped, not wrapped
        {239, 240, 120, clRed},  // 239 is a full turn
        {240, 240, 120, MakeRgb(255, 6, 0)},  // just past it
        {40, 240, 60, MakeRgb(127, 128, 0)},  // 127.5 rounds to the even 128
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.color, HueSatLumToColor(c.hue, c.sat, c.lum)) << c.hue << "/" << c.sat << "/" << c.lum;
}

TEST(ColorShading, ShadeAndTintStayInRange) {
    EXPECT_EQ(clBlack, ShadeColor(clBlack, 50));
    EXPECT_EQ(clWhite, TintColor(clWhite, 100));
    EXPECT_EQ(clBlack, ShadeColor(clGray, 200));
    EXPECT_EQ(clWhite, TintColor(clGray, 200));
}

TEST(ColorShading, ShadeDarkensAndTintLightensKeepingHue) {
    const TColor base = MakeRgb(200, 100, 50);
    const HueSatLum hsl = ColorToHueSatLum(base);
    struct Case {
        TColor shaded;
        int lum_change;
    } const cases[] = {{ShadeColor(base, 50), -50}, {TintColor(base, 60), 60}};
    for (const Case& c : cases) {
        HueSatLum got = ColorToHueSatLum(c.shaded);
        EXPECT_LE(std::abs(got.hue - hsl.hue), 1);
        EXPECT_LE(std::abs(got.sat - hsl.sat), 2);
        EXPECT_LE(std::abs(got.lum - (hsl.lum + c.lum_change)), 1);
    }
    EXPECT_GT(RedOf(TintColor(clGray, 100)), 128);
    EXPECT_LT(RedOf(ShadeColor(clGray, 50)), 128);
}

}  // namespace
}  // namespace census
