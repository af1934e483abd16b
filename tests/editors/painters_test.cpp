#include "editors/painters.h"

#include "editors/paint_math.h"
#include "editors/painter_colors.h"

#include <gtest/gtest.h>

#include <vector>

namespace census {
namespace {

constexpr TColor kBackdrop = clFuchsia;  // never a colour a painter uses

struct Probe {
    int x, y;
    TColor expected;  // system colours are resolved before comparing
};

void ExpectPixels(const MemoryBitmap& bitmap, const std::vector<Probe>& probes) {
    for (const Probe& p : probes) {
        EXPECT_EQ(ColorToRgb(p.expected), bitmap.PixelAt(p.x, p.y)) << "at (" << p.x << ", " << p.y << ")";
    }
}

template <typename Draw>
void DrawOn(MemoryBitmap& bitmap, Draw draw) {
    bitmap.Fill(kBackdrop);
    Canvas canvas(bitmap.Dc());
    PainterCanvas surface(canvas);
    draw(surface);
}

TEST(Painters, EditBorderPerPainter) {
    struct Case {
        const char* name;
        const LookAndFeelPainter& painter;
        int width;
        std::vector<Probe> probes;
    };
    const Case cases[] = {
        {"custom", CustomPainter(), 0, {{0, 0, kBackdrop}, {5, 5, kBackdrop}}},
        {"flat", FlatPainter(), 1,
         {{0, 0, clBtnShadow}, {0, 4, clBtnShadow}, {5, 0, clBtnHighlight}, {5, 5, clBtnHighlight},
          {0, 5, clBtnHighlight}, {1, 1, kBackdrop}}},
        {"standard", StandardPainter(), 2,
         {{0, 0, clBtnShadow}, {5, 5, clBtnHighlight}, {1, 1, cl3DDkShadow}, {4, 4, cl3DLight},
          {2, 2, kBackdrop}}},
        {"ultra flat", UltraFlatPainter(), 1,
         {{0, 0, clBtnShadow}, {5, 5, clBtnShadow}, {5, 0, clBtnShadow}, {1, 1, kBackdrop}}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        EXPECT_EQ(test.width, test.painter.EditBorderWidth());
        MemoryBitmap bitmap(6, 6);
        DrawOn(bitmap, [&](PainterCanvas& c) { test.painter.PaintEditBorder(c, {0, 0, 6, 6}); });
        ExpectPixels(bitmap, test.probes);
    }
}

TEST(Painters, ArrowTrianglePointsInEachDirection) {
    // A 15 x 15 square: base 7, height 4, centred.
    struct Case {
        ArrowDirection direction;
        std::array<IntPoint, 3> corners;
    };
    const Case cases[] = {
        {adUp, {{{7, 5}, {4, 8}, {10, 8}}}},
        {adDown, {{{4, 5}, {10, 5}, {7, 8}}}},
        {adLeft, {{{5, 7}, {8, 4}, {8, 10}}}},
        {adRight, {{{5, 4}, {5, 10}, {8, 7}}}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.direction);
        EXPECT_EQ(test.corners, ArrowTriangle({0, 0, 15, 15}, test.direction));
    }
    // A long rectangle is squared from both ends first; an even base grows to odd.
    EXPECT_EQ((std::array<IntPoint, 3>{{{12, 3}, {16, 3}, {14, 5}}}), ArrowTriangle({0, 0, 30, 10}, adDown));
}

TEST(Painters, ArrowPixelsAndDisabledEmboss) {
    struct Case {
        ButtonState state;
        std::vector<Probe> probes;
    };
    const Case cases[] = {
        {edbsNormal, {{7, 5, clBtnText}, {4, 8, clBtnText}, {10, 8, clBtnText}, {4, 7, kBackdrop}, {7, 9, kBackdrop}}},
        // The flat painter shifts a pressed arrow by one pixel.
        {edbsPressed, {{8, 6, clBtnText}, {7, 5, kBackdrop}, {11, 9, clBtnText}}},
        {edbsDisabled, {{7, 5, clBtnShadow}, {11, 9, clBtnHighlight}, {8, 9, clBtnHighlight}}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.state);
        MemoryBitmap bitmap(15, 15);
        DrawOn(bitmap, [&](PainterCanvas& c) { FlatPainter().PaintButtonArrow(c, {0, 0, 15, 15}, adUp, test.state); });
        ExpectPixels(bitmap, test.probes);
    }
}

TEST(Painters, ScrollBarPartsInEveryState) {
    struct Case {
        const char* name;
        const LookAndFeelPainter& painter;
        ScrollPart part;
        ButtonState state;
        std::vector<Probe> probes;
    };
    // 17 x 17 vertical parts: frame at the edge, face inside, the up arrow
    // (after the flat painter's one-pixel shrink) with its apex at (8, 6).
    const Case cases[] = {
        {"flat arrow normal", FlatPainter(), spLineBack, edbsNormal,
         {{0, 0, clBtnHighlight}, {16, 16, clBtnShadow}, {16, 0, clBtnShadow}, {1, 1, clBtnFace}, {8, 6, clBtnText}}},
        {"flat arrow hot shows normal", FlatPainter(), spLineBack, edbsHot,
         {{0, 0, clBtnHighlight}, {1, 1, clBtnFace}, {8, 6, clBtnText}}},
        {"flat arrow pressed", FlatPainter(), spLineBack, edbsPressed,
         {{0, 0, clBtnShadow}, {16, 16, clBtnHighlight}, {9, 7, clBtnText}, {8, 6, clBtnFace}}},
        {"flat arrow disabled", FlatPainter(), spLineBack, edbsDisabled,
         {{0, 0, clBtnHighlight}, {8, 6, clBtnShadow}, {12, 10, clBtnHighlight}}},
        {"flat down arrow", FlatPainter(), spLineForward, edbsNormal,
         {{5, 6, clBtnText}, {8, 9, clBtnText}, {8, 10, clBtnFace}, {8, 5, clBtnFace}}},
        {"flat thumb", FlatPainter(), spThumb, edbsNormal,
         {{0, 0, clBtnHighlight}, {16, 16, clBtnShadow}, {8, 8, clBtnFace}}},
        {"flat thumb disabled draws nothing", FlatPainter(), spThumb, edbsDisabled, {{0, 0, kBackdrop}, {8, 8, kBackdrop}}},
        {"flat page normal", FlatPainter(), spPageBack, edbsNormal,
         {{0, 0, clBtnFace}, {1, 0, clBtnHighlight}, {9, 8, clBtnHighlight}, {16, 16, clBtnFace}}},
        {"flat page pressed", FlatPainter(), spPageForward, edbsPressed,
         {{0, 0, clBlack}, {1, 0, cl3DDkShadow}, {0, 1, cl3DDkShadow}}},
        {"ultra flat arrow normal", UltraFlatPainter(), spLineBack, edbsNormal,
         {{0, 0, clBtnText}, {16, 16, clBtnText}, {1, 1, clBtnFace}}},
        {"ultra flat arrow hot", UltraFlatPainter(), spLineBack, edbsHot,
         {{0, 0, clHighlight}, {1, 1, BlendedHotColor()}}},
        {"ultra flat arrow pressed", UltraFlatPainter(), spLineBack, edbsPressed,
         {{0, 0, clHighlight}, {1, 1, BlendedPressedColor()}}},
        {"ultra flat thumb disabled draws nothing", UltraFlatPainter(), spThumb, edbsDisabled, {{0, 0, kBackdrop}}},
        {"custom draws nothing", CustomPainter(), spLineBack, edbsNormal, {{0, 0, kBackdrop}, {8, 8, kBackdrop}}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        MemoryBitmap bitmap(17, 17);
        DrawOn(bitmap, [&](PainterCanvas& c) {
            test.painter.PaintScrollBarPart(c, false, {0, 0, 17, 17}, test.part, test.state);
        });
        ExpectPixels(bitmap, test.probes);
    }
}

TEST(Painters, UltraFlatArrowUsesTheWholeButton) {
    // Without the one-pixel shrink the 17-pixel square gives base 9, height 5.
    MemoryBitmap bitmap(17, 17);
    DrawOn(bitmap, [](PainterCanvas& c) {
        UltraFlatPainter().PaintScrollBarPart(c, true, {0, 0, 17, 17}, spLineForward, edbsPressed);
    });
    auto corners = ArrowTriangle({0, 0, 17, 17}, adRight);
    ExpectPixels(bitmap, {{corners[0].x, corners[0].y, clHighlightText}, {corners[2].x, corners[2].y, clHighlightText}});
}

TEST(Painters, ScrollPatternsAreCheckeredFromSystemColours) {
    MemoryBitmap normal(8, 8), pressed(8, 8);
    Canvas nc(normal.Dc()), pc(pressed.Dc());
    nc.Draw(0, 0, ScrollPatternNormal());
    pc.Draw(0, 0, ScrollPatternPressed());
    for (int j = 0; j < 8; ++j) {
        for (int i = 0; i < 8; ++i) {
            bool odd = (i + j) % 2 != 0;
            EXPECT_EQ(ColorToRgb(odd ? clBtnHighlight : clBtnFace), normal.PixelAt(i, j));
            EXPECT_EQ(ColorToRgb(odd ? cl3DDkShadow : clBlack), pressed.PixelAt(i, j));
        }
    }
}

TEST(Painters, ButtonFramesAndFacesOfTheUltraFlatPainter) {
    struct Case {
        ButtonState state;
        std::vector<Probe> probes;
    };
    const Case cases[] = {
        {edbsNormal, {{0, 0, clBtnText}, {1, 1, clBtnFace}}},
        {edbsDefault, {{0, 0, clWindowFrame}, {1, 1, clWindowFrame}, {2, 2, clBtnFace}}},
        {edbsHot, {{0, 0, clHighlight}, {1, 1, BlendedHotColor()}}},
        {edbsPressed, {{9, 9, clHighlight}, {8, 8, BlendedPressedColor()}}},
        {edbsDisabled, {{0, 9, clHighlight}, {1, 1, clBtnFace}}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.state);
        MemoryBitmap bitmap(10, 10);
        DrawOn(bitmap, [&](PainterCanvas& c) {
            UltraFlatPainter().PaintButton(c, {0, 0, 10, 10}, L"", test.state, true, clDefault, clDefault);
        });
        ExpectPixels(bitmap, test.probes);
    }
}

TEST(PaintMath, BlendingAndRounding) {
    EXPECT_EQ(3, MulDiv64(5, 1, 2));     // 2.5 rounds up
    EXPECT_EQ(-3, MulDiv64(-5, 1, 2));   // and away from zero
    EXPECT_EQ(-1, MulDiv64(1, 1, 0));
    // Pure black or white faces give the highlight itself.
    EXPECT_EQ(MakeRgb(1, 2, 3), BlendColors(clBlack, MakeRgb(1, 2, 3), clWhite, -2, 30, 72));
    EXPECT_EQ(MakeRgb(1, 2, 3), BlendColors(clWhite, MakeRgb(1, 2, 3), clWhite, -2, 30, 72));
    // 192*-2% + 10*30% + 255*72% = -3.84 + 3 + 183.6 -> -4 + 3 + 184 = 183.
    EXPECT_EQ(MakeRgb(183, 183, 183), BlendColors(clSilver, MakeRgb(10, 10, 10), clWhite, -2, 30, 72));
    // Channels are clamped.
    EXPECT_EQ(MakeRgb(255, 1, 1), BlendColors(MakeRgb(200, 1, 1), MakeRgb(255, 0, 0), clBlack, 100, 100, 0));
}

}  // namespace
}  // namespace census
