#include "decor/gradient_separator.h"

#include "support/painting.h"

#include <gtest/gtest.h>

#include <memory>

namespace census {
namespace {

class PaintableSeparator : public Separator {
public:
    using Separator::Paint;
    void Load(const std::function<void(Separator&)>& settings) {
        BeginLoading();
        settings(*this);
        EndLoading();
    }
};

// The main window's separator: 545 x 3, highlight in the middle.
std::unique_ptr<PaintableSeparator> MainWindowSeparator() {
    auto s = std::make_unique<PaintableSeparator>();
    s->SetBounds(0, 40, 545, 3);
    s->SetShowGradient(true);
    s->SetColor(clBtnFace);
    return s;
}

TEST(SeparatorGradient, HighlightLiesWhereTheLocationSays) {
    const TColor c = clBtnFace, h = clHighlight;
    struct Case {
        SeparatorOrientation orientation;
        HighlightPlace location;
        SeparatorGradient expected;
    } const cases[] = {
        {orHorizontal, hlCenter, {gkHorizontalCenter, c, h}}, {orHorizontal, hlUpperLeft, {gkHorizontal, h, c}},
        {orHorizontal, hlLowerRight, {gkHorizontal, c, h}},   {orVertical, hlCenter, {gkVerticalCenter, c, h}},
        {orVertical, hlUpperLeft, {gkVertical, h, c}},        {orVertical, hlLowerRight, {gkVertical, c, h}},
    };
    for (const Case& k : cases) {
        PaintableSeparator s;
        s.SetOrientation(k.orientation);
        s.SetHighlightLocation(k.location);
        EXPECT_EQ(k.expected, s.Gradient()) << k.orientation << "/" << k.location;
    }
}

TEST(SeparatorGradient, CreatedWithItsDefaults) {
    PaintableSeparator s;
    EXPECT_EQ(200, s.Width());
    EXPECT_EQ(2, s.Height());
    EXPECT_EQ(clBtnFace, s.Color());
    EXPECT_FALSE(s.ParentColor());
    EXPECT_TRUE(s.ShowGradient());
    EXPECT_EQ((SeparatorGradient{gkHorizontalCenter, clBtnFace, clHighlight}), s.Gradient());
}

TEST(SeparatorGradient, ColourChangesReachTheGradient) {
    PaintableSeparator s;
    s.SetColor(clWindow);
    s.SetHighlightColor(clRed);
    EXPECT_EQ((SeparatorGradient{gkHorizontalCenter, clWindow, clRed}), s.Gradient());
}

TEST(SeparatorPaint, MainWindowLineHasItsHighlightInColumn272) {
    auto s = MainWindowSeparator();
    auto bitmap = PaintOf(*s);
    EXPECT_EQ(ColorToRgb(clHighlight), bitmap->PixelAt(272, 0));
    EXPECT_EQ(ColorToRgb(clBtnFace), bitmap->PixelAt(544, 0));
    EXPECT_NE(ColorToRgb(clHighlight), bitmap->PixelAt(0, 0));
    for (int x = 0; x < 545; ++x)
        for (int y = 1; y < 3; ++y) ASSERT_EQ(bitmap->PixelAt(x, 0), bitmap->PixelAt(x, y)) << x;
}

TEST(SeparatorPaint, WidthOneShowsOnlyTheHighlight) {
    auto s = MainWindowSeparator();
    s->SetWidth(1);
    auto bitmap = PaintOf(*s);
    for (int y = 0; y < 3; ++y) EXPECT_EQ(ColorToRgb(clHighlight), bitmap->PixelAt(0, y));
}

TEST(SeparatorPaint, AnEmptyLineIsGivenOnePixel) {
    auto s = MainWindowSeparator();
    s->SetHeight(0);
    auto bitmap = PaintOf(*s);
    EXPECT_EQ(1, s->Height());
    EXPECT_EQ(ColorToRgb(clHighlight), bitmap->PixelAt(272, 0));
}

TEST(SeparatorPaint, PlainFills) {
    const TColor face = ColorToRgb(clBtnFace), highlight = ColorToRgb(clHighlight);
    struct Case {
        const char* name;
        bool show_gradient, full_color;
        HighlightPlace location;
        TColor expected;
    } const cases[] = {
        {"no gradient: the colour", false, true, hlCenter, face},
        {"palette screen, centre: the highlight", true, false, hlCenter, highlight},
        {"palette screen, lower right: the highlight", true, false, hlLowerRight, highlight},
        {"palette screen, upper left: the colour", true, false, hlUpperLeft, face},
    };
    for (const Case& c : cases) {
        auto s = MainWindowSeparator();
        s->SetShowGradient(c.show_gradient);
        s->SetHighlightLocation(c.location);
        s->FullColorScreen = [&] { return c.full_color; };
        auto bitmap = PaintOf(*s);
        for (int x : {0, 272, 544}) EXPECT_EQ(c.expected, bitmap->PixelAt(x, 1)) << c.name << " column " << x;
    }
}

TEST(SeparatorOrientation, TurningAtRunTimeSwapsTheSize) {
    auto s = MainWindowSeparator();
    s->SetOrientation(orVertical);
    EXPECT_EQ(3, s->Width());
    EXPECT_EQ(545, s->Height());
    EXPECT_EQ(gkVerticalCenter, s->Gradient().kind);
    auto bitmap = PaintOf(*s);
    EXPECT_EQ(ColorToRgb(clHighlight), bitmap->PixelAt(2, 272));
    EXPECT_EQ(ColorToRgb(clBtnFace), bitmap->PixelAt(0, 544));
}

TEST(SeparatorOrientation, TurningWhileLoadingKeepsTheStoredSize) {
    PaintableSeparator s;
    s.Load([](Separator& loading) {
        loading.SetBounds(0, 0, 3, 545);
        loading.SetOrientation(orVertical);
    });
    EXPECT_EQ(3, s.Width());
    EXPECT_EQ(545, s.Height());
    EXPECT_EQ(gkVerticalCenter, s.Gradient().kind);
}

}  // namespace
}  // namespace census
