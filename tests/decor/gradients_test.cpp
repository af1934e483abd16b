#include "decor/gradient_bands.h"
#include "decor/gradients.h"
#include "support/gdi_count.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace census {
namespace {

constexpr TColor kPaper = MakeRgb(1, 2, 3);

TColor Gray(int v) { return MakeRgb(v, v, v); }

// A colour `num`/`den` of the way from `from` to `to`, per component.
TColor Between(TColor from, TColor to, int num, int den) {
    auto mix = [&](int a, int b) { return a + (b - a) * num / den; };
    return MakeRgb(mix(RedOf(from), RedOf(to)), mix(GreenOf(from), GreenOf(to)), mix(BlueOf(from), BlueOf(to)));
}

bool Near(TColor a, TColor b) {
    return std::abs(RedOf(a) - RedOf(b)) <= 1 && std::abs(GreenOf(a) - GreenOf(b)) <= 1 &&
           std::abs(BlueOf(a) - BlueOf(b)) <= 1;
}

std::vector<int> Widths(const std::vector<GradientBand>& bands) {
    std::vector<int> w;
    for (const GradientBand& b : bands) w.push_back(b.last - b.first);
    return w;
}

TEST(GradientBands, StepsGroupColumnsAndEqualColoursMerge) {
    struct Case {
        const char* name;
        int n;
        TColor start, end;
        int steps;
        std::vector<int> widths;
    } const cases[] = {
        {"one band per column", 5, clWhite, clBlack, 1, {1, 1, 1, 1, 1}},
        {"equal colours share a band", 8, clBlack, Gray(2), 1, {4, 4}},
        {"four columns a band", 10, clWhite, clBlack, 4, {4, 4, 2}},
        {"large steps count colours", 10, clWhite, clBlack, 64, {4, 4, 2}},  // 255 div 64 + 1 = 4
        {"no columns", 0, clWhite, clBlack, 1, {}},
    };
    for (const Case& c : cases) EXPECT_EQ(c.widths, Widths(GradientBands(c.n, c.n, c.start, c.end, c.steps))) << c.name;
}

TEST(GradientBands, PassRunsDownwardFromTheStartColour) {
    auto bands = GradientBands(7, 4, clWhite, clBlack, 1);
    ASSERT_EQ(4u, bands.size());
    EXPECT_EQ((GradientBand{6, 7, clWhite}), bands.front());
    EXPECT_EQ((GradientBand{3, 4, Gray(63)}), bands.back());  // 3/4 of the way, truncated
}

class GradientTest : public ::testing::Test {
protected:
    void Paint(int w, int h, GradientKind kind, TColor first, TColor second, int steps = 1) {
        bitmap_ = std::make_unique<MemoryBitmap>(w + 4, h + 4);
        bitmap_->Fill(kPaper);
        Canvas canvas(bitmap_->Dc());
        PaintGradientRect(canvas, {2, 2, 2 + w, 2 + h}, kind, first, second, steps);
    }
    // Pixel of the gradient itself (it was painted at (2, 2)).
    TColor At(int x, int y) const { return bitmap_->PixelAt(x + 2, y + 2); }
    TColor Raw(int x, int y) const { return bitmap_->PixelAt(x, y); }

    std::unique_ptr<MemoryBitmap> bitmap_;
};

TEST_F(GradientTest, HorizontalBlackToWhiteInTenColumns) {
    Paint(10, 20, gkHorizontal, clBlack, clWhite);
    const int expected[] = {25, 51, 76, 102, 127, 153, 178, 204, 229, 255};
    for (int x = 0; x < 10; ++x)
        for (int y = 0; y < 20; ++y) ASSERT_EQ(Gray(expected[x]), At(x, y)) << x << "," << y;
    EXPECT_EQ(kPaper, Raw(1, 5));   // nothing outside the rectangle
    EXPECT_EQ(kPaper, Raw(12, 5));
    EXPECT_EQ(kPaper, Raw(5, 22));
}

TEST_F(GradientTest, CentreKindsHaveTheSecondColourInTheMiddle) {
    const TColor face = MakeRgb(236, 233, 216), highlight = MakeRgb(49, 106, 197);
    struct Case {
        GradientKind kind;
        int w, h;
    } const cases[] = {{gkHorizontalCenter, 545, 3}, {gkVerticalCenter, 3, 545}};
    for (const Case& c : cases) {
        Paint(c.w, c.h, c.kind, face, highlight);
        const bool horizontal = c.kind == gkHorizontalCenter;
        auto line = [&](int i, int across) { return horizontal ? At(i, across) : At(across, i); };
        EXPECT_EQ(highlight, line(272, 0));
        EXPECT_EQ(face, line(544, 0));
        EXPECT_TRUE(Near(Between(highlight, face, 272, 273), line(0, 0))) << std::hex << line(0, 0);
        EXPECT_TRUE(Near(Between(face, highlight, 271, 272), line(273, 0))) << std::hex << line(273, 0);
        for (int i = 0; i < 545; ++i)
            for (int across = 1; across < 3; ++across) ASSERT_EQ(line(i, 0), line(i, across)) << i;
    }
}

TEST_F(GradientTest, VerticalRunsTopToBottom) {
    Paint(12, 10, gkVertical, clBlack, clWhite);
    EXPECT_EQ(Gray(25), At(11, 0));
    EXPECT_EQ(Gray(255), At(0, 9));
    EXPECT_EQ(Gray(127), At(6, 4));
}

TEST_F(GradientTest, WidthOneCentreIsTheSecondColour) {
    Paint(1, 3, gkHorizontalCenter, clWhite, clRed);
    for (int y = 0; y < 3; ++y) EXPECT_EQ(clRed, At(0, y));
}

// The shapes no control uses: they must cover the rectangle and run from the
// first colour at the edge toward the second.
TEST_F(GradientTest, DiagonalAndBoxKindsFillTheWholeRectangle) {
    struct Case {
        const char* name;
        GradientKind kind;
        POINT first_at, second_at;
    } const cases[] = {
        {"diagonal down", gkDiagonalDown, {0, 0}, {39, 19}},
        {"diagonal up", gkDiagonalUp, {0, 19}, {39, 0}},
        {"box", gkBox, {0, 0}, {20, 10}},
        {"big box", gkBigBox, {39, 19}, {20, 10}},
        {"vertical box", gkVerticalBox, {0, 19}, {20, 10}},
        {"horizontal box", gkHorizontalBox, {39, 0}, {20, 10}},
    };
    for (const Case& c : cases) {
        Paint(40, 20, c.kind, clBlack, clWhite);
        for (int x = 0; x < 40; ++x)
            for (int y = 0; y < 20; ++y) ASSERT_NE(kPaper, At(x, y)) << c.name << " " << x << "," << y;
        EXPECT_LT(RedOf(At(c.first_at.x, c.first_at.y)), 64) << c.name;
        EXPECT_GT(RedOf(At(c.second_at.x, c.second_at.y)), 215) << c.name;
        EXPECT_EQ(kPaper, Raw(1, 1)) << c.name;
        EXPECT_EQ(kPaper, Raw(42, 22)) << c.name;
    }
}

TEST_F(GradientTest, DiagonalOfOneColourIsPlain) {
    Paint(9, 5, gkDiagonalDown, clTeal, clTeal);
    EXPECT_EQ(clTeal, At(0, 0));
    EXPECT_EQ(clTeal, At(8, 4));
}

TEST_F(GradientTest, EmptyRectanglePaintsNothingAndNothingLeaks) {
    DWORD before = testing::LiveGdiObjects();
    Paint(0, 5, gkHorizontal, clBlack, clWhite);
    EXPECT_EQ(kPaper, Raw(2, 2));
    for (int kind = gkDiagonalDown; kind <= gkBigBox; ++kind)
        Paint(30, 12, static_cast<GradientKind>(kind), clBtnFace, clHighlight);
    bitmap_.reset();
    EXPECT_EQ(before, testing::LiveGdiObjects());
}

TEST_F(GradientTest, SystemColoursAreResolvedWhenPainting) {
    Paint(545, 3, gkHorizontalCenter, clBtnFace, clHighlight);
    EXPECT_EQ(ColorToRgb(clHighlight), At(272, 1));
    EXPECT_EQ(ColorToRgb(clBtnFace), At(544, 1));
}

class TransparentDrawTest : public ::testing::TestWithParam<TColor> {};

// A 2 x 2 source, stretched to 4 x 4 at (1, 1): the keyed quarter lets the
// canvas show through, the others show their colour.
TEST_P(TransparentDrawTest, KeyedPixelsLeaveTheCanvasAlone) {
    const TColor key = GetParam();
    // A bitmap can be selected into one DC only, so the source is drawn on
    // and then let go, as a loaded bitmap would be.
    WindowDc screen(nullptr);
    UniqueBitmap source(::CreateCompatibleBitmap(screen.get(), 2, 2));
    {
        UniqueMemoryDc dc(::CreateCompatibleDC(screen.get()));
        SelectGuard held(dc.get(), source.get());
        ::SetPixel(dc.get(), 0, 0, key);
        ::SetPixel(dc.get(), 1, 0, clRed);
        ::SetPixel(dc.get(), 0, 1, key == clBlack ? clWhite : clBlack);
        ::SetPixel(dc.get(), 1, 1, clBlue);
    }
    MemoryBitmap target(6, 6);
    target.Fill(kPaper);
    DWORD before = testing::LiveGdiObjects();
    {
        Canvas canvas(target.Dc());
        StretchDrawTransparent(canvas, source.get(), {1, 1, 5, 5}, {0, 0, 2, 2}, key);
    }
    EXPECT_EQ(before, testing::LiveGdiObjects());
    EXPECT_EQ(kPaper, target.PixelAt(1, 1));
    EXPECT_EQ(kPaper, target.PixelAt(2, 2));
    EXPECT_EQ(clRed, target.PixelAt(3, 1));
    EXPECT_EQ(clRed, target.PixelAt(4, 2));
    EXPECT_EQ(key == clBlack ? clWhite : clBlack, target.PixelAt(1, 3));
    EXPECT_EQ(clBlue, target.PixelAt(4, 4));
    EXPECT_EQ(kPaper, target.PixelAt(0, 0));
    EXPECT_EQ(kPaper, target.PixelAt(5, 5));
}

INSTANTIATE_TEST_SUITE_P(Keys, TransparentDrawTest, ::testing::Values(clOlive, clBlack));

TEST(ScreenColors, XServerScreenIsFullColour) { EXPECT_TRUE(ScreenHasFullColor()); }

}  // namespace
}  // namespace census
