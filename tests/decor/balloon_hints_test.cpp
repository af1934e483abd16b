#include "decor/balloon_hints.h"
#include "runtime/application.h"
#include "runtime/form.h"

#include "support/painting.h"
#include "support/gdi_count.h"
#include "support/real_input.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

namespace census {
namespace {

using testing::MoveMouseTo;
using testing::PumpUntil;
using testing::ScreenPixel;

const FontSpec kHintFont{L"Arial", -13, clWindowText, kRussianCharset, 0};
const std::wstring kHint = L"Подсказка & co";

class TestBalloon : public BalloonHintWindow {
public:
    using BalloonHintWindow::Paint;
    using BalloonHintWindow::SetUsedCorner;
};

HintManager& Hints() { return Application::Instance().Hints(); }

BalloonHintWindow* CurrentBalloon() { return dynamic_cast<BalloonHintWindow*>(Hints().Window()); }

SIZE MeasuredText(const FontSpec& font, const std::wstring& text, int width) {
    WindowDc screen(nullptr);
    UniqueFont f = CreateFontFor(font);
    SelectGuard held(screen.get(), f.get());
    RECT r{0, 0, width, 0};
    ::DrawTextW(screen.get(), text.c_str(), static_cast<int>(text.size()), &r,
                DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    return {r.right - r.left, r.bottom - r.top};
}

// --- painting -----------------------------------------------------------------------

// Text in red, so that its ink is told apart from the black outline.
std::unique_ptr<TestBalloon> PaintedBalloon(HintCorner corner, int width, int height) {
    auto w = std::make_unique<TestBalloon>();
    FontSpec red = kHintFont;
    red.color = clRed;
    w->SetFont(red);
    w->SetColor(clInfoBk);
    w->SetCaption(L"Ww");
    w->SetBounds(0, 0, width, height);
    w->SetUsedCorner(corner);
    return w;
}

TEST(BalloonPaint, BodyOutlineTailAndTextInsetPerCorner) {
    const int w = 120, h = 60;
    const TColor body = ColorToRgb(clInfoBk), line = ColorToRgb(clInfoText);
    for (HintCorner corner : {hcUpperRight, hcUpperLeft, hcLowerRight, hcLowerLeft}) {
        auto balloon = PaintedBalloon(corner, w, h);
        auto bitmap = PaintOf(*balloon);
        const BalloonRect b = BalloonBody(w, h, corner, true, false);
        const BalloonShape s = ShapeBalloon(b, h, corner, true, false, 2);
        const bool upper = IsUpperCorner(corner), left_tail = corner == hcUpperLeft || corner == hcLowerLeft;
        const int mid_y = (b.top + b.bottom) / 2;
        SCOPED_TRACE(corner);
        EXPECT_EQ(body, bitmap->PixelAt(b.right - 8, b.bottom - 4));
        EXPECT_EQ(line, bitmap->PixelAt(60, b.top));
        EXPECT_EQ(line, bitmap->PixelAt(60, b.bottom - 1));
        EXPECT_EQ(line, bitmap->PixelAt(b.left, mid_y));
        EXPECT_EQ(line, bitmap->PixelAt(b.right - 1, mid_y));
        EXPECT_EQ(kUnpainted, bitmap->PixelAt(b.left, b.top)) << "rounded corner";
        EXPECT_EQ(kUnpainted, bitmap->PixelAt(b.right - 1, b.bottom - 1)) << "rounded corner";
        // The tail: outline at the tip, the hint colour inside, the body's outline open where it joins.
        EXPECT_EQ(line, bitmap->PixelAt(s.tail[1].x, s.tail[1].y));
        EXPECT_EQ(body, bitmap->PixelAt(s.tail[1].x + (left_tail ? -2 : 2), s.tail[1].y + (upper ? -5 : 5)));
        EXPECT_EQ(body, bitmap->PixelAt(left_tail ? b.right - 20 : b.left + 20, upper ? b.bottom - 1 : b.top));
        // Beside the tail, in its band, nothing is painted.
        EXPECT_EQ(kUnpainted, bitmap->PixelAt(60, upper ? h - 10 : 10));
        EXPECT_EQ(kUnpainted, bitmap->PixelAt(left_tail ? 10 : w - 10, upper ? h - 3 : 2));
        // The text's ink starts at the 4-pixel inset and stays inside it.
        RECT ink{w, h, 0, 0};
        for (int x = 0; x < w; ++x)
            for (int y = 0; y < h; ++y) {
                TColor p = bitmap->PixelAt(x, y);
                if (p == body || p == line || p == kUnpainted) continue;
                ink = {std::min<LONG>(ink.left, x), std::min<LONG>(ink.top, y), std::max<LONG>(ink.right, x + 1),
                       std::max<LONG>(ink.bottom, y + 1)};
            }
        EXPECT_GE(ink.left, s.text.left);
        EXPECT_LE(ink.left, s.text.left + 2);
        EXPECT_GE(ink.top, s.text.top);
        EXPECT_LE(ink.bottom, s.text.bottom);
    }
}

// The other pictures, each painted by a window linked to a component with the setting.
class LinkedPaint : public ::testing::Test {
protected:
    LinkedPaint() : hints(owner.Add<BalloonHints>()) { hints.SetColor(clAqua); }
    std::unique_ptr<MemoryBitmap> Paint(HintCorner corner, int width, int height, const std::wstring& caption = L"") {
        TestBalloon window;
        window.SetCaption(caption);
        window.SetBounds(0, 0, width, height);
        window.SetUsedCorner(corner);
        return PaintOf(window);
    }
    Form owner;
    BalloonHints& hints;
};

TEST_F(LinkedPaint, PlainRectangleWithAndWithoutShadow) {
    hints.SetShowBalloon(false);
    auto plain = Paint(hcUpperRight, 80, 30);
    EXPECT_EQ(ColorToRgb(clInfoText), plain->PixelAt(0, 0));
    EXPECT_EQ(ColorToRgb(clInfoText), plain->PixelAt(79, 29));
    EXPECT_EQ(ColorToRgb(clAqua), plain->PixelAt(1, 1));
    hints.SetShadow(true);
    auto shadowed = Paint(hcUpperRight, 80, 30);
    EXPECT_EQ(ColorToRgb(clBtnHighlight), shadowed->PixelAt(0, 5));
    EXPECT_EQ(ColorToRgb(clBlack), shadowed->PixelAt(79, 5));
    EXPECT_EQ(ColorToRgb(clAqua), shadowed->PixelAt(1, 5));
    EXPECT_EQ(ColorToRgb(clBtnShadow), shadowed->PixelAt(78, 5));
    for (int x = 0; x < 80; ++x) EXPECT_NE(kUnpainted, shadowed->PixelAt(x, 15)) << x;
}

TEST_F(LinkedPaint, BalloonShadowLiesOffsetBelowRight) {
    hints.SetShadow(true);
    const int w = 120, h = 60;
    auto bitmap = Paint(hcUpperRight, w, h);
    const BalloonRect body = BalloonBody(w, h, hcUpperRight, true, true);
    const int mid = body.bottom / 2;
    EXPECT_EQ(ColorToRgb(clInfoText), bitmap->PixelAt(body.right - 1, mid));
    EXPECT_EQ(ColorToRgb(cl3DDkShadow), bitmap->PixelAt(body.right, mid));
    EXPECT_EQ(ColorToRgb(clBtnShadow), bitmap->PixelAt(body.right + 1, mid));
    EXPECT_EQ(ColorToRgb(clBtnShadow), bitmap->PixelAt(60, body.bottom + 1));
    int tail_shadow = 0;
    for (int y = body.bottom + 2; y < h; ++y)
        for (int x = 0; x < 40; ++x) tail_shadow += bitmap->PixelAt(x, y) == ColorToRgb(clBtnShadow);
    EXPECT_GT(tail_shadow, 10) << "the tail throws a shadow";
}

TEST_F(LinkedPaint, CornerPictureReplacesTheBalloonMirroredForOtherCorners) {
    // 20 x 10: the left half red, the right half the transparent olive.
    MemoryBitmap picture(20, 10);
    picture.Fill(clOlive);
    UniqueBrush red(::CreateSolidBrush(ColorToRgb(clRed)));
    RECT left_half{0, 0, 10, 10};
    ::FillRect(picture.Dc(), &left_half, red.get());
    hints.Bitmaps().SetPicture(hcUpperRight, picture.Bitmap());
    ASSERT_TRUE(hints.Bitmaps().HasPicture(hcUpperRight));
    auto own = Paint(hcUpperRight, 80, 40);
    EXPECT_EQ(ColorToRgb(clRed), own->PixelAt(10, 20));
    EXPECT_EQ(kUnpainted, own->PixelAt(70, 20));
    auto mirrored = Paint(hcLowerLeft, 80, 40);
    EXPECT_EQ(kUnpainted, mirrored->PixelAt(10, 20));
    EXPECT_EQ(ColorToRgb(clRed), mirrored->PixelAt(70, 20));
}

// --- on the screen, driven by the mouse --------------------------------------------------

constexpr TColor kFormColor = MakeRgb(0, 128, 255);
constexpr TColor kBelowColor = MakeRgb(40, 160, 40);

class BalloonOnScreen : public ::testing::Test {
protected:
    void SetUp() override { MakeForm(300, 300); }
    void TearDown() override {
        form.reset();
        PumpUntil([] { return !Shown(); });
    }

    void MakeForm(int left, int top) {
        form.reset();
        form = std::make_unique<Form>();
        form->SetBorderStyle(BorderStyle::None);
        form->SetBounds(left, top, 400, 300);
        form->SetColor(kFormColor);
        below = &Place(60, 40, 200, 55, kBelowColor);
        target = &Place(20, 100, 120, 40, kFormColor);
        target->SetHint(kHint + L"|long text");
        target->SetShowHint(true);
        hints = &form->Add<BalloonHints>();
        hints->SetCaptionWidth(200);
        hints->SetFont(kHintFont);
        hints->SetHintPause(100);
        form->Show();
        const POINT free_corner = form->ClientToScreen({10, 290});  // none of the controls is there
        PumpUntil([&] { return ScreenPixel(free_corner) == ColorToRgb(kFormColor); });
    }
    Control& Place(int left, int top, int width, int height, TColor color) {
        Control& c = form->Add<Control>();
        c.SetBounds(left, top, width, height);
        c.SetColor(color);
        c.SetParent(form.get());
        return c;
    }
    static bool Shown() {
        BalloonHintWindow* b = CurrentBalloon();
        return b && b->HandleAllocated() && ::IsWindowVisible(b->Handle());
    }
    // Rests the mouse on `target` at a client point until the balloon shows.
    POINT HoverTarget(POINT client) {
        MoveMouseTo(form->ClientToScreen({390, 290}));  // off the target, on the window
        PumpUntil([] { return !Shown(); }, 1000);
        POINT screen = target->ClientToScreen(client);
        MoveMouseTo(screen);
        EXPECT_TRUE(PumpUntil(Shown)) << "no balloon";
        if (Shown()) testing::PumpUntilPainted(CurrentBalloon()->Handle());
        return screen;
    }
    static RECT BalloonRectOnScreen() {
        RECT r{};
        ::GetWindowRect(CurrentBalloon()->Handle(), &r);
        return r;
    }

    std::unique_ptr<Form> form;
    Control* below = nullptr;
    Control* target = nullptr;
    BalloonHints* hints = nullptr;
};

TEST_F(BalloonOnScreen, ShowsAboveRightOfTheMouseSizedFromItsText) {
    const POINT p = HoverTarget({30, 20});
    BalloonHintWindow* balloon = CurrentBalloon();
    EXPECT_EQ(kHint, balloon->Caption());
    EXPECT_EQ(hcUpperRight, balloon->UsedCorner());
    // The framework's rectangle (text + 6, + 2), the margin of 2 around it and the tail's 28.
    const SIZE text = MeasuredText(kHintFont, kHint, 200);
    const RECT r = BalloonRectOnScreen();
    EXPECT_EQ(std::max<LONG>(55, text.cx + 10), r.right - r.left);
    EXPECT_EQ(text.cy + 34, r.bottom - r.top);
    EXPECT_EQ(p.x + 1, r.left);
    EXPECT_EQ(p.y, r.bottom);
}

TEST_F(BalloonOnScreen, TheWindowBelowShowsBesideTheTailAndAClickReachesIt) {
    // What the screen shows beside the tail and in the body before the hint.
    const POINT at = target->ClientToScreen({30, 20});
    const POINT beside_tail{at.x + 1 + 40, at.y - 10};
    const COLORREF before = ScreenPixel(beside_tail);
    ASSERT_EQ(ColorToRgb(kFormColor), before);

    const POINT p = HoverTarget({30, 20});
    ASSERT_EQ(at.x, p.x);
    const RECT r = BalloonRectOnScreen();
    const int h = r.bottom - r.top;
    EXPECT_EQ(before, ScreenPixel(beside_tail));
    EXPECT_EQ(ColorToRgb(clInfoBk), ScreenPixel({r.left + 12, p.y - 10})) << "inside the tail";
    const POINT in_body{r.left + 30, r.top + 8};
    EXPECT_EQ(ColorToRgb(clInfoBk), ScreenPixel({r.left + (r.right - r.left) / 2, r.top + h - 23}));

    // The body lies over the other control: a click there reaches it and ends the hint.
    const POINT in_below = below->ScreenToClient(in_body);
    const RECT below_client{0, 0, below->Width(), below->Height()};
    ASSERT_TRUE(::PtInRect(&below_client, in_below));
    int presses = 0;
    below->OnMouseDown = [&](Control&, MouseButton, unsigned, int x, int y) {
        ++presses;
        EXPECT_EQ(in_below.x, x);
        EXPECT_EQ(in_below.y, y);
    };
    testing::ClickAtOnce(in_body);
    EXPECT_TRUE(PumpUntil([&] { return presses == 1 && !Shown(); }));
}

TEST_F(BalloonOnScreen, AKeyPressHidesTheBalloonAndAShowingLeavesNoGdiObjectBehind) {
    HoverTarget({30, 20});
    testing::TapKey(VK_SHIFT);
    EXPECT_TRUE(PumpUntil([] { return !Shown(); }));
    const unsigned long before = testing::LiveGdiObjects();
    HoverTarget({32, 20});
    testing::TapKey(VK_SHIFT);
    EXPECT_TRUE(PumpUntil([] { return !Shown(); }));
    EXPECT_EQ(before, testing::LiveGdiObjects());
}

TEST_F(BalloonOnScreen, AMoveOntoTheBalloonHidesItAndSmallMovesDoNot) {
    const POINT p = HoverTarget({30, 20});
    MoveMouseTo({p.x + 2, p.y - 1});
    testing::ExpectNothingFor(100);  // time to hide, which it must not
    EXPECT_TRUE(Shown()) << "a move of two pixels";
    const RECT r = BalloonRectOnScreen();
    MoveMouseTo({r.left + 30, r.top + 10});
    EXPECT_TRUE(PumpUntil([] { return !Shown(); }));
}

TEST_F(BalloonOnScreen, FlipsBelowAtTheTopOfTheScreenAndLeftAtTheRight) {
    MakeForm(300, -95);  // the target's top at screen row 5
    POINT p = HoverTarget({30, 5});
    RECT r = BalloonRectOnScreen();
    EXPECT_EQ(hcLowerRight, CurrentBalloon()->UsedCorner());
    EXPECT_EQ(p.x + 1, r.left);
    EXPECT_EQ(p.y, r.top);
    const COLORREF tail_inside = ScreenPixel({r.left + 12, p.y + 10});
    EXPECT_EQ(ColorToRgb(clInfoBk), tail_inside);
    EXPECT_EQ(ColorToRgb(kFormColor), ScreenPixel({r.left + 40, p.y + 10})) << "beside the tail";

    MakeForm(::GetSystemMetrics(SM_CXSCREEN) - 150, 300);
    p = HoverTarget({100, 20});
    r = BalloonRectOnScreen();
    EXPECT_EQ(hcUpperLeft, CurrentBalloon()->UsedCorner());
    EXPECT_EQ(p.x - 1, r.right);
    EXPECT_EQ(p.y, r.bottom);
}

// --- the component and the application's hint mechanism -----------------------------------

TEST(BalloonHintsComponent, InstallsItsWindowAndHandlerAndPutsBackWhatWasThere) {
    int program_handler_calls = 0;
    Hints().OnShowHint = [&](std::wstring&, bool&, HintInfo&) { ++program_handler_calls; };
    ASSERT_EQ(nullptr, CurrentBalloon());
    {
        Form owner;
        BalloonHints& hints = owner.Add<BalloonHints>();
        hints.SetCaptionWidth(200);
        hints.SetColor(clAqua);
        ASSERT_NE(nullptr, CurrentBalloon());
        EXPECT_EQ(&hints, CurrentBalloon()->LinkedComponent());
        EXPECT_EQ(CurrentBalloon(), hints.LinkedHintWindow());
        EXPECT_EQ(50u, hints.HintShortPause());

        // The window's handler now: the component's colour and width, then the component's own handler.
        std::wstring text = L"x";
        bool show = false;
        HintInfo info;
        int component_calls = 0;
        hints.OnShowHint = [&](std::wstring&, bool&, HintInfo& i) {
            ++component_calls;
            i.max_width = 150;
        };
        Hints().OnShowHint(text, show, info);
        EXPECT_TRUE(show);
        EXPECT_EQ(clAqua, info.color);
        EXPECT_EQ(150, info.max_width);
        EXPECT_EQ(1, component_calls);
        EXPECT_EQ(0, program_handler_calls);

        // A second component, made and destroyed, leaves the first one linked to a new window.
        owner.Release(owner.Add<BalloonHints>());
        ASSERT_NE(nullptr, CurrentBalloon());
        EXPECT_EQ(&hints, CurrentBalloon()->LinkedComponent());
        hints.SetCaptionWidth(210);
        EXPECT_EQ(210, CurrentBalloon()->CaptionWidth());
    }
    // Gone: the plain hint window and the program's handler again.
    EXPECT_EQ(nullptr, CurrentBalloon());
    ASSERT_TRUE(Hints().Window());
    std::wstring text = L"x";
    bool show = true;
    HintInfo info;
    Hints().OnShowHint(text, show, info);
    EXPECT_EQ(1, program_handler_calls);
    Hints().OnShowHint = nullptr;
}

TEST(BalloonHintsComponent, SettingsReachTheWindowAndItsEventsShapeTheShowing) {
    Form owner;
    BalloonHints& hints = owner.Add<BalloonHints>();
    BalloonHintWindow* window = CurrentBalloon();
    ASSERT_NE(nullptr, window);
    hints.SetCorner(hcLowerLeft);
    hints.SetAlignment(taCenter);
    hints.SetColor(clLime);
    hints.SetFont(kHintFont);
    hints.SetHintPause(120);
    EXPECT_EQ(hcLowerLeft, window->Corner());
    EXPECT_EQ(taCenter, window->Alignment());
    EXPECT_EQ(clLime, window->Color());
    EXPECT_EQ(kHintFont, window->Font());
    EXPECT_EQ(120u, Hints().HintPause);
    hints.SetCorner(hcUpperRight);

    // Without a hint control the balloon opens from the rectangle's corner.
    hints.SetOnSetHintRect([](BalloonHintWindow&, Canvas&, HintCorner, const std::wstring&, RECT& r) {
        ::OffsetRect(&r, 100, 0);
    });
    hints.SetOnSetHintWinSize([](BalloonHintWindow&, Canvas&, HintCorner, const std::wstring& caption, int& height,
                                 int& width) {
        EXPECT_EQ(L"x", caption);
        width = 300;
        height += 10;
    });
    window->ActivateHint({100, 100, 150, 116}, L"x");
    RECT r;
    ::GetWindowRect(window->Handle(), &r);
    EXPECT_EQ(201, r.left);
    EXPECT_EQ(42, r.top);
    EXPECT_EQ(501, r.right);
    EXPECT_EQ(100, r.bottom);
    hints.SetOnSetHintWinSize([](BalloonHintWindow&, Canvas&, HintCorner, const std::wstring&, int&, int& width) {
        width = 10;
    });
    window->ActivateHint({100, 100, 150, 116}, L"x");
    ::GetWindowRect(window->Handle(), &r);
    EXPECT_EQ(kMinBalloonWidth, r.right - r.left);
    window->ReleaseHint();
}

TEST(BalloonHintsComponent, AWindowLeftWithoutItsComponentStillShowsHints) {
    TestBalloon window;  // links to no component: none exists
    ASSERT_EQ(nullptr, window.LinkedComponent());
    std::wstring text = L"x";
    bool show = false;
    HintInfo info;
    Hints().OnShowHint(text, show, info);
    EXPECT_TRUE(show);
    EXPECT_EQ(100, info.max_width);
    window.ActivateHint({100, 100, 150, 120}, text);
    EXPECT_TRUE(::IsWindowVisible(window.Handle()));
    window.ReleaseHint();
}

}  // namespace
}  // namespace census
