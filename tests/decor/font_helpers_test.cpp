#include "decor/font_helpers.h"

#include <gtest/gtest.h>

namespace census {
namespace {

LOGFONTW Describe(HFONT font) {
    LOGFONTW lf{};
    ::GetObjectW(font, sizeof(lf), &lf);
    return lf;
}

TEST(RotatedFont, CarriesTheFontTurnedInTenthsOfADegree) {
    FontSpec spec{L"Arial", -13, clRed, kRussianCharset, fsBold | fsUnderline};
    UniqueFont turned = CreateRotatedFont(spec, 90);
    LOGFONTW lf = Describe(turned.get());
    EXPECT_EQ(900, lf.lfEscapement);
    EXPECT_EQ(0, lf.lfOrientation);
    EXPECT_EQ(-13, lf.lfHeight);
    EXPECT_EQ(FW_BOLD, lf.lfWeight);
    EXPECT_TRUE(lf.lfUnderline);
    EXPECT_FALSE(lf.lfItalic);
    EXPECT_EQ(DEFAULT_CHARSET, lf.lfCharSet);
    EXPECT_STREQ(L"Arial", lf.lfFaceName);
}

TEST(RotatedFont, AngleZeroIsTheFontInTheDefaultCharacterSet) {
    FontSpec spec{L"Verdana", -11, clHighlight, kRussianCharset, fsUnderline};
    UniqueFont turned = CreateRotatedFont(spec, 0);
    FontSpec plain = spec;
    plain.charset = kDefaultCharset;
    UniqueFont reference = CreateFontFor(plain);
    LOGFONTW a = Describe(turned.get()), b = Describe(reference.get());
    EXPECT_EQ(0, memcmp(&a, &b, sizeof(a)));
}

TEST(TrueTypeCheck, OutlineFontsAreTrueTypeAndRasterFontsAreNot) {
    EXPECT_TRUE(IsTrueTypeFont({L"Arial", -13}));
    // The window's own font is a bitmap font.
    EXPECT_FALSE(IsTrueTypeFont({L"MS Sans Serif", -11}));
}

}  // namespace
}  // namespace census
