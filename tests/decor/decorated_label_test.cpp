#include "decor/blink_list.h"
#include "decor/decorated_label.h"
#include "support/gdi_count.h"

#include "support/painting.h"

#include <gtest/gtest.h>

#include <memory>

namespace census {
namespace {

const FontSpec kBitmapFont{L"MS Sans Serif", -11};
const FontSpec kOutlineFont{L"Arial", -13};

class TestLabel : public DecoratedLabel {
public:
    using DecoratedLabel::Paint;
    void Load(const std::function<void(DecoratedLabel&)>& settings) {
        BeginLoading();
        settings(*this);
        EndLoading();
    }
};

TEST(LabelTurning, TurningABitmapFontSwitchesToTheFallbackFace) {
    struct Case {
        const char* name;
        std::function<void(DecoratedLabel&)> turn;
    } const cases[] = {
        {"flat rotation", [](DecoratedLabel& l) { l.SetRotation(roFlat); }},
        {"curve rotation", [](DecoratedLabel& l) { l.SetRotation(roCurve); }},
        {"an angle", [](DecoratedLabel& l) { l.SetAngle(45); }},
    };
    for (const Case& c : cases) {
        TestLabel label;
        label.SetFont(kBitmapFont);
        c.turn(label);
        EXPECT_EQ(L"Verdana", label.Font().name) << c.name;
    }
    TestLabel outline;
    outline.SetFont(kOutlineFont);
    outline.SetRotation(roFlat);
    EXPECT_EQ(L"Arial", outline.Font().name);
}

TEST(LabelTurning, AnglesAreKeptInOneTurn) {
    struct Case {
        int set, kept;
    } const cases[] = {{90, 90}, {-90, 270}, {450, 90}, {360, 0}, {-400, 320}, {719, 359}};
    for (const Case& c : cases) {
        TestLabel label;
        label.SetFont(kOutlineFont);
        label.SetAngle(c.set);
        EXPECT_EQ(c.kept, label.Angle()) << c.set;
        EXPECT_EQ(c.kept ? roFlat : roNone, label.Rotation()) << c.set;
    }
}

TEST(LabelTurning, RotationResetsTheAngleAndAFontThatCannotTurnToo) {
    TestLabel label;
    label.SetFont(kOutlineFont);
    label.SetRotation(roCurve);
    label.SetAngle(30);
    label.SetCenterPoint(cpLowerLeft);
    EXPECT_EQ(roCurve, label.Rotation());
    label.SetRotation(roFlat);
    EXPECT_EQ(0, label.Angle());
    EXPECT_EQ(cpCenter, label.GetCenterPoint());
    label.SetAngle(30);
    label.SetFont(kBitmapFont);
    EXPECT_EQ(0, label.Angle());
}

TEST(LabelTurning, LoadingFinishesTheTurningSettings) {
    // The font is stored after the rotation: the check has to wait for the end.
    TestLabel turned;
    turned.Load([](DecoratedLabel& l) {
        l.SetRotation(roFlat);
        l.SetFont(kBitmapFont);
    });
    EXPECT_EQ(L"Verdana", turned.Font().name);
}

TEST(LabelTurning, TurnedLabelSizesToTheTurnedText) {
    TestLabel label;
    label.SetFont(kOutlineFont);
    label.SetCaption(L"Turned text");
    const int width = label.Width(), height = label.Height();
    label.SetAngle(90);
    EXPECT_NEAR(height, label.Width(), 1);
    EXPECT_NEAR(width, label.Height(), 1);
}

TEST(LabelColors, FontColourAndCurrentColourFollowTheFont) {
    TestLabel label;
    FontSpec font = kOutlineFont;
    font.color = clRed;
    label.SetFont(font);
    EXPECT_EQ(clRed, label.CurrentColor());
}

TEST(LabelColors, FlyByChangesTheFontWhileTheMouseIsOver) {
    TestLabel label;
    FontSpec font = kOutlineFont;
    font.color = clGreen;
    label.SetFont(font);
    label.SetFlyByEnabled(true);
    int enters = 0, leaves = 0;
    label.OnMouseEnter = [&](Control&) { ++enters; };
    label.OnMouseLeave = [&](Control&) { ++leaves; };
    label.Perform(CM_MOUSEENTER);
    EXPECT_EQ(clHighlight, label.Font().color);
    label.Perform(CM_MOUSELEAVE);
    EXPECT_EQ(clGreen, label.Font().color);
    EXPECT_EQ(1, enters);
    EXPECT_EQ(1, leaves);
}

TEST(LabelBlinking, SharedListRunsItsTimerOnlyForBlinkingLabels) {
    ASSERT_EQ(nullptr, BlinkList::Current());
    {
        TestLabel a, b;
        BlinkList* list = BlinkList::Current();
        ASSERT_NE(nullptr, list);
        EXPECT_EQ(2u, list->Count());
        EXPECT_FALSE(list->TimerRunning());

        FontSpec font = kOutlineFont;
        font.color = clNavy;
        a.SetFont(font);
        b.SetFont(font);
        a.SetBlinkColor(clRed);
        a.SetBlinking(true);
        EXPECT_TRUE(list->TimerRunning());

        list->Switch();
        EXPECT_TRUE(list->PhaseOn());
        EXPECT_EQ(clRed, a.CurrentColor());
        EXPECT_EQ(clNavy, b.CurrentColor());
        list->Switch();
        EXPECT_EQ(clNavy, a.CurrentColor());
        list->Switch();
        a.SetBlinking(false);
        EXPECT_EQ(clNavy, a.CurrentColor());
        EXPECT_FALSE(list->TimerRunning());
    }
    EXPECT_EQ(nullptr, BlinkList::Current());
}

bool Shows(const MemoryBitmap& bitmap, TColor color) {
    for (int x = 0; x < bitmap.Width(); ++x)
        for (int y = 0; y < bitmap.Height(); ++y)
            if (bitmap.PixelAt(x, y) == color) return true;
    return false;
}

TEST(LabelPaint, CopiesOfTheTextByStateAndStyle) {
    const TColor text = MakeRgb(200, 0, 0), shadow = MakeRgb(0, 0, 200), light = MakeRgb(0, 200, 0);
    struct Case {
        const char* name;
        bool enabled;
        TextStyle style;
        std::vector<TColor> shown, hidden;
    } const cases[] = {
        {"normal", true, tsNormal, {text}, {shadow, light}},
        {"shadow", true, tsShadow, {text, shadow}, {light}},
        {"raised", true, tsRaised, {text, shadow, light}, {}},
        {"disabled", false, tsNormal, {ColorToRgb(clBtnShadow)}, {text}},
    };
    for (const Case& c : cases) {
        TestLabel label;
        FontSpec font = kOutlineFont;
        font.color = text;
        label.SetFont(font);
        label.SetColor(clWhite);
        label.SetShadowColor(shadow);
        label.SetHighlightColor(light);
        label.SetTextStyle(c.style);
        label.SetEnabled(c.enabled);
        label.SetCaption(L"WMW");
        auto bitmap = PaintOf(label);
        for (TColor color : c.shown) EXPECT_TRUE(Shows(*bitmap, color)) << c.name << " " << std::hex << color;
        for (TColor color : c.hidden) EXPECT_FALSE(Shows(*bitmap, color)) << c.name << " " << std::hex << color;
    }
}

TEST(LabelPaint, FramesNestOutsideInAndLeaveNoGdiObjects) {
    TestLabel label;
    label.SetAutoSize(false);
    label.SetBounds(0, 0, 40, 20);
    label.SetBorderOuter(fsPopup);
    label.SetBevelWidth(2);
    label.SetBorderHighlight(clRed);
    label.SetBorderShadow(clBlue);
    label.SetBorderWidth(1);
    label.SetBorderColor(clLime);
    label.SetBorderInner(fsStatus);
    label.SetColor(clWhite);
    PaintOf(label);  // the label keeps its font once made
    DWORD before = testing::LiveGdiObjects();
    auto bitmap = PaintOf(label);
    EXPECT_EQ(clRed, bitmap->PixelAt(0, 5));    // popup, two rings
    EXPECT_EQ(clRed, bitmap->PixelAt(1, 5));
    EXPECT_EQ(clBlue, bitmap->PixelAt(39, 5));
    EXPECT_EQ(clLime, bitmap->PixelAt(2, 5));   // border width ring
    EXPECT_EQ(clBlue, bitmap->PixelAt(3, 5));   // status: shadow at top-left
    EXPECT_EQ(clBlue, bitmap->PixelAt(4, 5));
    EXPECT_EQ(clRed, bitmap->PixelAt(35, 5));
    EXPECT_EQ(clWhite, bitmap->PixelAt(5, 5));
    RECT text = label.TextRect();
    EXPECT_EQ(5, text.left);
    EXPECT_EQ(35, text.right);
    bitmap.reset();
    EXPECT_EQ(before, testing::LiveGdiObjects());
}

}  // namespace
}  // namespace census
