#include "decor/color_shading.h"
#include "decor/frames.h"
#include "support/gdi_count.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace census {
namespace {

constexpr TColor kPaper = MakeRgb(1, 2, 3);  // a colour no frame uses
constexpr RECT kBox{0, 0, 10, 8};

struct Probe {
    int x, y;
    TColor color;
};

// The seven pixels that show a ring k pixels in from kBox: the top-left
// colour on its top and left lines, the bottom-right colour on its right and
// bottom lines and on the top-right and bottom-left corners.
std::vector<Probe> Ring(int k, TColor top_left, TColor bottom_right) {
    const int r = kBox.right - 1 - k, b = kBox.bottom - 1 - k;
    return {{k, k, top_left},       {5, k, top_left},     {k, 4, top_left},     {r, 4, bottom_right},
            {5, b, bottom_right}, {r, k, bottom_right}, {k, b, bottom_right}};
}

std::vector<Probe> Join(std::vector<Probe> a, const std::vector<Probe>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// An etched ring on kBox: A on the outer top-left and inner bottom-right
// lines, B on the inner top-left and outer bottom-right ones.
std::vector<Probe> Etched(TColor a, TColor b) {
    return {{0, 0, a}, {5, 0, a}, {0, 4, a}, {9, 4, b}, {5, 7, b}, {9, 0, b},
            {0, 7, b}, {5, 1, b}, {1, 4, b}, {8, 4, a}, {5, 6, a}};
}

struct FrameCase {
    const char* name;
    std::function<RECT(Canvas&, const RECT&, Sides)> draw;
    std::vector<Probe> probes;
    int rings;  // how far the returned rectangle moves in on each drawn side
};

TColor Rgb(TColor c) { return ColorToRgb(c); }

class FrameTest : public ::testing::Test {
protected:
    RECT Draw(const FrameCase& c, Sides sides) {
        bitmap_.Fill(kPaper);
        Canvas canvas(bitmap_.Dc());
        return c.draw(canvas, kBox, sides);
    }
    TColor At(int x, int y) const { return bitmap_.PixelAt(x, y); }

    MemoryBitmap bitmap_{kBox.right, kBox.bottom};
};

std::function<RECT(Canvas&, const RECT&, Sides)> System(FrameStyle style) {
    return [style](Canvas& c, const RECT& r, Sides s) { return FrameStyleSystem(c, r, style, s); };
}

std::vector<FrameCase> SystemCases() {
    return {
        {"Flat", System(fsFlat), Ring(0, Rgb(cl3DDkShadow), Rgb(cl3DDkShadow)), 1},
        {"Groove", System(fsGroove), Etched(Rgb(clBtnShadow), Rgb(clBtnHighlight)), 2},
        {"Bump", System(fsBump), Etched(Rgb(clBtnHighlight), Rgb(clBtnShadow)), 2},
        {"Lowered", System(fsLowered),
         Join(Ring(0, Rgb(clBtnShadow), Rgb(clBtnHighlight)), Ring(1, Rgb(cl3DDkShadow), Rgb(cl3DLight))), 2},
        {"ButtonDown", System(fsButtonDown),
         Join(Ring(0, Rgb(clBtnText), Rgb(clBtnText)), Ring(1, Rgb(clBtnShadow), Rgb(clBtnShadow))), 2},
        {"Raised", System(fsRaised),
         Join(Ring(0, Rgb(cl3DLight), Rgb(cl3DDkShadow)), Ring(1, Rgb(clBtnHighlight), Rgb(clBtnShadow))), 2},
        {"ButtonUp", System(fsButtonUp),
         Join(Ring(0, Rgb(clBtnHighlight), Rgb(cl3DDkShadow)), Ring(1, Rgb(cl3DLight), Rgb(clBtnShadow))), 2},
        {"Status", System(fsStatus), Ring(0, Rgb(clBtnShadow), Rgb(clBtnHighlight)), 1},
        {"Popup", System(fsPopup), Ring(0, Rgb(clBtnHighlight), Rgb(clBtnShadow)), 1},
        {"FlatBold", System(fsFlatBold),
         Join(Ring(0, Rgb(clBtnShadow), Rgb(clBtnShadow)), Ring(1, Rgb(clBtnShadow), Rgb(clBtnShadow))), 2},
    };
}

constexpr TColor kFace = MakeRgb(90, 140, 200);

std::vector<FrameCase> FromColorCases() {
    auto draw = [](FrameStyle style) {
        return [style](Canvas& c, const RECT& r, Sides s) { return FrameStyleFromColor(c, r, kFace, style, s); };
    };
    auto d = [](int n) { return ShadeColor(kFace, n); };
    auto l = [](int n) { return TintColor(kFace, n); };
    return {
        {"Flat", draw(fsFlat), Ring(0, d(50), d(50)), 1},
        {"Groove", draw(fsGroove), Etched(d(50), l(100)), 2},
        {"Bump", draw(fsBump), Etched(l(100), d(50)), 2},
        {"Lowered", draw(fsLowered), Join(Ring(0, d(50), l(100)), Ring(1, d(100), l(50))), 2},
        {"Raised", draw(fsRaised), Join(Ring(0, l(50), d(100)), Ring(1, l(100), d(50))), 2},
        {"ButtonDown", draw(fsButtonDown), Join(Ring(0, d(100), d(100)), Ring(1, d(50), d(50))), 2},
        {"ButtonUp", draw(fsButtonUp), Join(Ring(0, l(100), d(100)), Ring(1, l(40), d(50))), 2},
        {"Status", draw(fsStatus), Ring(0, d(50), l(100)), 1},
        {"Popup", draw(fsPopup), Ring(0, l(100), d(50)), 1},
        {"FlatBold", draw(fsFlatBold), Join(Ring(0, d(50), d(50)), Ring(1, d(50), d(50))), 2},
        {"ColorButtonUp", [](Canvas& c, const RECT& r, Sides s) { return FrameColorButtonEdge(c, r, kFace, false, s); },
         Join(Ring(0, l(100), d(100)), Ring(1, l(40), d(50))), 2},
    };
}

void ExpectPicture(const FrameTest& t, const FrameCase& c, const std::function<TColor(int, int)>& at) {
    for (const Probe& p : c.probes)
        EXPECT_EQ(p.color, at(p.x, p.y)) << c.name << " at (" << p.x << ", " << p.y << ")";
    EXPECT_EQ(kPaper, at(5, 4)) << c.name << ": the middle stays untouched";
}

TEST_F(FrameTest, EverySystemStyleOnAllSides) {
    for (const FrameCase& c : SystemCases()) {
        RECT inner = Draw(c, sdAll);
        ExpectPicture(*this, c, [this](int x, int y) { return At(x, y); });
        EXPECT_EQ(c.rings, inner.left) << c.name;
        EXPECT_EQ(c.rings, inner.top) << c.name;
        EXPECT_EQ(kBox.right - c.rings, inner.right) << c.name;
        EXPECT_EQ(kBox.bottom - c.rings, inner.bottom) << c.name;
    }
}

TEST_F(FrameTest, EveryDerivedStyleOnAllSides) {
    for (const FrameCase& c : FromColorCases()) {
        RECT inner = Draw(c, sdAll);
        ExpectPicture(*this, c, [this](int x, int y) { return At(x, y); });
        EXPECT_EQ(c.rings, inner.left) << c.name;
        EXPECT_EQ(kBox.bottom - c.rings, inner.bottom) << c.name;
    }
}

TEST_F(FrameTest, OnlyTheChosenSidesAreDrawnAndMoveIn) {
    auto cases = SystemCases();
    auto derived = FromColorCases();
    cases.insert(cases.end(), derived.begin(), derived.end());
    for (const FrameCase& c : cases) {
        RECT inner = Draw(c, sdTop | sdRight);
        EXPECT_EQ(kPaper, At(0, 4)) << c.name << ": left side";
        EXPECT_EQ(kPaper, At(5, 7)) << c.name << ": bottom side";
        EXPECT_NE(kPaper, At(5, 0)) << c.name << ": top side";
        EXPECT_NE(kPaper, At(9, 4)) << c.name << ": right side";
        RECT expected{0, c.rings, kBox.right - c.rings, kBox.bottom};
        EXPECT_TRUE(EqualRect(&expected, &inner)) << c.name;
    }
}

TEST_F(FrameTest, NoSidesDrawNothing) {
    for (const FrameCase& c : SystemCases()) {
        RECT inner = Draw(c, 0);
        EXPECT_TRUE(EqualRect(&kBox, &inner)) << c.name;
        for (int x = 0; x < kBox.right; ++x)
            for (int y = 0; y < kBox.bottom; ++y) ASSERT_EQ(kPaper, At(x, y)) << c.name << " " << x << "," << y;
    }
}

TEST_F(FrameTest, NoneStyleLeavesRectangleAndPixelsAlone) {
    RECT inner = Draw({"None", System(fsNone), {}, 0}, sdAll);
    EXPECT_TRUE(EqualRect(&kBox, &inner));
    EXPECT_EQ(kPaper, At(0, 0));
}

// A partial groove ends with its top-left colour at the open corners.
TEST_F(FrameTest, PartialGrooveClosesItsOpenCorners) {
    const TColor a = Rgb(clBtnShadow), b = Rgb(clBtnHighlight);
    Draw({"Groove", System(fsGroove), {}, 2}, sdLeft | sdTop);
    EXPECT_EQ(a, At(9, 0));
    EXPECT_EQ(a, At(0, 7));
    EXPECT_EQ(b, At(9, 1));
    EXPECT_EQ(b, At(1, 7));
    EXPECT_EQ(kPaper, At(9, 4));
}

TEST_F(FrameTest, RingsOfOneColourPairGoInward) {
    bitmap_.Fill(kPaper);
    Canvas canvas(bitmap_.Dc());
    canvas.SetPen({clRed, 3});
    RECT inner = FrameSideRings(canvas, kBox, clRed, clBlue, 3, sdAll);
    EXPECT_EQ(3, inner.left);
    EXPECT_EQ(7, inner.right);
    EXPECT_EQ(clRed, At(2, 4));   // third ring, top-left colour
    EXPECT_EQ(clBlue, At(7, 4));  // third ring, bottom-right colour
    EXPECT_EQ(kPaper, At(3, 3));  // a one-pixel pen: nothing beyond three rings
}

struct ControlFrameCase {
    const char* name;
    FrameStyle style;
    TColor face;
    bool skip_erase;
    std::vector<Probe> probes;
    int rings;
};

TEST_F(FrameTest, ControlFrameErasesThenDrawsByStyleAndFace) {
    const TColor frame = MakeRgb(200, 0, 0);
    const std::vector<ControlFrameCase> cases = {
        // Flat styles use the frame colour whatever the face; the second ring
        // still shows the erase in the face colour.
        {"flat on window", fsFlat, clWindow, false, Join(Ring(0, frame, frame), Ring(1, Rgb(clWindow), Rgb(clWindow))), 1},
        {"flat on colour", fsFlat, kFace, false, Join(Ring(0, frame, frame), Ring(1, kFace, kFace)), 1},
        {"bold flat", fsFlatBold, kFace, false, Join(Ring(0, frame, frame), Ring(1, frame, frame)), 2},
        {"groove on window: system colours", fsGroove, clWindow, false,
         Etched(Rgb(clBtnShadow), Rgb(clBtnHighlight)), 2},
        {"groove on colour: derived colours", fsGroove, kFace, false,
         Etched(ShadeColor(kFace, 50), TintColor(kFace, 100)), 2},
        {"none erases only", fsNone, kFace, false, Join(Ring(0, kFace, kFace), Ring(1, kFace, kFace)), 0},
        {"none without erase", fsNone, kFace, true, Ring(0, kPaper, kPaper), 0},
        {"flat without erase", fsFlat, kFace, true, Join(Ring(0, frame, frame), Ring(1, kPaper, kPaper)), 1},
    };
    for (const ControlFrameCase& c : cases) {
        bitmap_.Fill(kPaper);
        RECT inner;
        {
            Canvas canvas(bitmap_.Dc());
            inner = PaintControlFrame(canvas, kBox.right, kBox.bottom, c.style, c.face, frame, sdAll, c.skip_erase);
        }
        for (const Probe& p : c.probes)
            EXPECT_EQ(p.color, At(p.x, p.y)) << c.name << " at (" << p.x << ", " << p.y << ")";
        EXPECT_EQ(c.rings, inner.left) << c.name;
        EXPECT_EQ(kBox.bottom - c.rings, inner.bottom) << c.name;
    }
}

TEST_F(FrameTest, ControlFrameErasesAllSidesButFramesOnlyTheChosenOnes) {
    bitmap_.Fill(kPaper);
    const TColor frame = MakeRgb(200, 0, 0);
    RECT inner;
    {
        Canvas canvas(bitmap_.Dc());
        inner = PaintControlFrame(canvas, kBox.right, kBox.bottom, fsFlat, kFace, frame, sdLeft, false);
    }
    EXPECT_EQ(frame, At(0, 4));
    EXPECT_EQ(kFace, At(9, 4));
    EXPECT_EQ(kFace, At(5, 0));
    EXPECT_EQ(kFace, At(8, 6));
    RECT expected{1, 0, 10, 8};
    EXPECT_TRUE(EqualRect(&expected, &inner));
}

TEST_F(FrameTest, DrawingLeavesNoGdiObjectsBehind) {
    DWORD before = testing::LiveGdiObjects();
    for (const FrameCase& c : FromColorCases()) Draw(c, sdAll);
    {
        Canvas canvas(bitmap_.Dc());
        PaintControlFrame(canvas, 10, 8, fsGroove, kFace, clRed, sdAll, false);
    }
    EXPECT_EQ(before, testing::LiveGdiObjects());
}

}  // namespace
}  // namespace census
