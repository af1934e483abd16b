#include "decor/balloon_geometry.h"

#include <gtest/gtest.h>

namespace census {
namespace {

constexpr int kScreenW = 1280, kScreenH = 1024;

TEST(BalloonFrame, GrowsForTailShadowAndMarginAndMovesToTheMousePoint) {
    // The framework's rectangle for a 40 x 14 text: 46 x 16 at the hint position.
    const BalloonRect hint{300, 420, 346, 436};
    const BalloonPoint mouse{300, 400};
    struct Case {
        const char* name;
        HintCorner previous;
        bool balloon, shadow;
        BalloonRect expected;
    } const cases[] = {
        {"upper: tail room below", hcUpperRight, true, false, {300, 400, 350, 448}},
        {"lower: tail room above", hcLowerLeft, true, false, {300, 400, 350, 448}},
        {"upper with shadow", hcUpperLeft, true, true, {300, 400, 352, 448}},
        {"lower with shadow", hcLowerRight, true, true, {300, 400, 352, 450}},
        {"plain rectangle stays at the hint position", hcUpperRight, false, true, {298, 418, 348, 438}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, BalloonFrame(hint, c.previous, c.balloon, c.shadow, mouse)) << c.name;
    EXPECT_EQ(kMinBalloonWidth, BalloonWidth(50));
    EXPECT_EQ(56, BalloonWidth(56));
}

TEST(BalloonPlacement, PreferredCornerAndFlipsAtTheScreenEdges) {
    const int w = 120, h = 50;
    auto frame_at = [](int x, int y) { return BalloonRect{x, y, x + 120, y + 50}; };
    struct Case {
        const char* name;
        BalloonRect frame;
        HintCorner preferred;
        BalloonPlacement expected;
    } const cases[] = {
        {"upper right: lower left corner one pixel right of the point", frame_at(500, 500), hcUpperRight,
         {501, 450, hcUpperRight}},
        {"lower right", frame_at(500, 500), hcLowerRight, {501, 500, hcLowerRight}},
        {"lower left", frame_at(500, 500), hcLowerLeft, {379, 500, hcLowerLeft}},
        {"upper left", frame_at(500, 500), hcUpperLeft, {379, 450, hcUpperLeft}},
        {"top edge: below the point", frame_at(500, 30), hcUpperRight, {501, 30, hcLowerRight}},
        {"top edge from upper left", frame_at(500, 30), hcUpperLeft, {379, 30, hcLowerLeft}},
        {"just fits at the top", frame_at(500, 50), hcUpperRight, {501, 0, hcUpperRight}},
        {"right edge: left of the point", frame_at(1200, 500), hcUpperRight, {1079, 450, hcUpperLeft}},
        {"just fits at the right", frame_at(1159, 500), hcUpperRight, {1160, 450, hcUpperRight}},
        {"top right corner: below and left", frame_at(1200, 10), hcUpperRight, {1079, 10, hcLowerLeft}},
        {"bottom edge: above the point", frame_at(500, 1000), hcLowerRight, {501, 950, hcUpperRight}},
        {"left edge: right of the point", frame_at(50, 500), hcUpperLeft, {51, 450, hcUpperRight}},
        {"bottom left corner: above and right", frame_at(50, 1000), hcLowerLeft, {51, 950, hcUpperRight}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, PlaceBalloon(c.frame, w, h, c.preferred, kScreenW, kScreenH)) << c.name;
}

TEST(BalloonShape, TailJoinAndTextPerCorner) {
    const int w = 120, h = 60;
    using P = BalloonPoint;
    struct Case {
        HintCorner corner;
        BalloonRect body;
        std::array<P, 3> tail;
        BalloonRect join;
    } const cases[] = {
        {hcUpperRight, {0, 0, 120, 40}, {P{10, 38}, P{10, 58}, P{30, 38}}, {10, 37, 31, 39}},
        {hcUpperLeft, {0, 0, 120, 40}, {P{110, 38}, P{110, 58}, P{90, 38}}, {90, 37, 111, 39}},
        {hcLowerRight, {0, 20, 120, 60}, {P{10, 21}, P{10, 1}, P{30, 21}}, {10, 21, 31, 22}},
        {hcLowerLeft, {0, 20, 120, 60}, {P{110, 21}, P{110, 1}, P{90, 21}}, {90, 21, 111, 22}},
    };
    for (const Case& c : cases) {
        const BalloonRect body = BalloonBody(w, h, c.corner, true, false);
        EXPECT_EQ(c.body, body) << c.corner;
        const BalloonShape s = ShapeBalloon(body, h, c.corner, true, false, 2);
        EXPECT_TRUE(s.has_tail);
        EXPECT_EQ(c.tail, s.tail) << c.corner;
        EXPECT_EQ(c.join, s.join) << c.corner;
        EXPECT_FALSE(s.has_tail_shadow);
        EXPECT_EQ((BalloonRect{body.left + 4, body.top + 4, body.right - 4, body.bottom - 4}), s.text) << c.corner;
    }
}

TEST(BalloonShape, AtADenserScreenTheSizesScaleAndTheOutlinesStayOnePixel) {
    EXPECT_EQ(BalloonMetrics{}, BalloonMetricsAt(96));
    const BalloonMetrics m = BalloonMetricsAt(144);
    // 55, 20, 28, 10, 30, 2, 4 and 10 at 96; halves round away from zero.
    EXPECT_EQ((BalloonMetrics{83, 30, 42, 15, 45, 3, 6, 15}), m);
    EXPECT_EQ(83, BalloonWidth(50, m));
    const BalloonRect body = BalloonBody(180, 90, hcUpperRight, true, false, m);
    EXPECT_EQ((BalloonRect{0, 0, 180, 60}), body);
    const BalloonShape s = ShapeBalloon(body, 90, hcUpperRight, true, false, 3, m);
    using P = BalloonPoint;
    // The tail stands on the body's edge (one pixel in) and reaches one pixel above the window's foot.
    EXPECT_EQ((std::array<P, 3>{P{15, 58}, P{15, 88}, P{45, 58}}), s.tail);
    // The join opens the outline from the tail's one side to its other, a line two pixels high.
    EXPECT_EQ((BalloonRect{15, 57, 46, 59}), s.join);
    EXPECT_EQ((BalloonRect{6, 6, 174, 54}), s.text);
    EXPECT_EQ((BalloonRect{-3, -45, 103, 23}), BalloonFrame({0, 0, 100, 20}, hcLowerRight, true, false, std::nullopt, m));
}

TEST(BalloonShape, ShadowTakesTwoPixelsAndThrowsTailShadowsExceptLowerRight) {
    EXPECT_EQ((BalloonRect{0, 0, 118, 40}), BalloonBody(120, 60, hcUpperRight, true, true));
    EXPECT_EQ((BalloonRect{0, 20, 118, 58}), BalloonBody(120, 60, hcLowerLeft, true, true));
    const BalloonShape upper = ShapeBalloon(BalloonBody(120, 60, hcUpperRight, true, true), 60, hcUpperRight, true,
                                            true, 2);
    ASSERT_TRUE(upper.has_tail_shadow);
    EXPECT_EQ((std::array<BalloonPoint, 3>{BalloonPoint{12, 42}, BalloonPoint{12, 60}, BalloonPoint{30, 42}}),
              upper.tail_shadow[0]);
    EXPECT_EQ((std::array<BalloonPoint, 3>{BalloonPoint{11, 41}, BalloonPoint{11, 59}, BalloonPoint{29, 41}}),
              upper.tail_shadow[1]);
    EXPECT_FALSE(ShapeBalloon(BalloonBody(120, 60, hcLowerRight, true, true), 60, hcLowerRight, true, true, 2)
                     .has_tail_shadow);
}

TEST(BalloonShape, PlainRectangleIsTheWholeWindowWithTheTextShifted) {
    const BalloonRect body = BalloonBody(120, 60, hcUpperRight, false, false);
    EXPECT_EQ((BalloonRect{0, 0, 120, 60}), body);
    for (int dx : {2, -2, 0}) {
        const BalloonShape s = ShapeBalloon(body, 60, hcLowerRight, false, false, dx);
        EXPECT_FALSE(s.has_tail);
        EXPECT_EQ((BalloonRect{dx, 2, 120 + dx, 62}), s.text);
    }
}

TEST(PaintedRuns, KeepThePixelsThatCameOutTheSameOverBothBackgrounds) {
    const std::uint32_t B = 0x000000, W = 0xFFFFFF, X = 0x123456;
    // 5 x 2: row 0 painted at 1..2 and 4, row 1 painted nowhere.
    const std::vector<std::uint32_t> over_black = {B, X, X, B, X, B, B, B, B, B};
    const std::vector<std::uint32_t> over_white = {W, X, X, W, X, W, W, W, W, W};
    EXPECT_EQ((std::vector<PixelRun>{{0, 1, 3}, {0, 4, 5}}), PaintedRuns(5, 2, over_black, over_white));
    EXPECT_TRUE(PaintedRuns(5, 3, over_black, over_white).empty()) << "too few pixels for the size";
}

TEST(CornerPicture, OwnCornerFirstThenTheFirstPresentMirrored) {
    struct Case {
        const char* name;
        HintCorner used;
        std::array<bool, 4> present;  // lower right, lower left, upper left, upper right
        std::optional<CornerPicture> expected;
    } const cases[] = {
        {"own picture", hcLowerLeft, {true, true, false, true}, CornerPicture{hcLowerLeft, false, false}},
        {"upper right for lower left: both mirrors", hcLowerLeft, {false, false, false, true},
         CornerPicture{hcUpperRight, true, true}},
        {"upper left before lower right", hcUpperRight, {true, false, true, false},
         CornerPicture{hcUpperLeft, true, false}},
        {"lower right for upper right: flipped", hcUpperRight, {true, false, false, false},
         CornerPicture{hcLowerRight, false, true}},
        {"none", hcUpperRight, {false, false, false, false}, std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(c.expected, ChooseCornerPicture(c.used, c.present)) << c.name;
}

}  // namespace
}  // namespace census
