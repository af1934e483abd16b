#include "editors/check_box.h"

#include "editors/painter_colors.h"
#include "editors/painters.h"
#include "editors/push_button.h"
#include "editors/system_check.h"
#include "runtime/application.h"
#include "runtime/form.h"
#include "support/painting.h"
#include "support/real_input.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <atomic>

namespace census {
namespace {

using testing::MoveMouseTo;
using testing::PumpUntil;
using testing::ScreenPixel;

TEST(CheckLayoutRule, SquareCaptionAndFocusRectangle) {
    struct Case {
        const char* name;
        CheckAlignment alignment;
        IntSize check;
        bool enabled, full_focus, captioned;
        IntRect square, caption, focus;
    };
    // The window's box: 161 x 24, content inside the 2-pixel margin; caption text 100 x 15.
    const Case cases[] = {
        {"left", CheckAlignment::Left, {14, 13}, true, false, true, {4, 5, 18, 18}, {21, 4, 157, 20}, {20, 3, 122, 20}},
        {"left, a square of another size", CheckAlignment::Left, {13, 13}, true, false, true, {4, 5, 17, 18},
         {20, 4, 157, 20}, {19, 3, 121, 20}},
        {"right", CheckAlignment::Right, {14, 13}, true, false, true, {143, 5, 157, 18}, {4, 4, 140, 20},
         {39, 3, 141, 20}},
        {"centre", CheckAlignment::Center, {14, 13}, true, false, true, {73, 5, 87, 18}, {4, 4, 157, 20},
         {29, 3, 131, 20}},
        {"full focus rectangle", CheckAlignment::Left, {14, 13}, true, true, true, {4, 5, 18, 18}, {21, 4, 157, 20},
         {20, 3, 158, 21}},
        {"disabled: room for the emboss", CheckAlignment::Left, {14, 13}, false, false, true, {4, 5, 18, 18},
         {21, 4, 158, 21}, {20, 4, 122, 21}},
        {"no caption, no focus rectangle", CheckAlignment::Left, {14, 13}, true, false, false, {4, 5, 18, 18},
         {21, 4, 157, 20}, {}},
        {"a square taller than the box fills it", CheckAlignment::Left, {14, 30}, true, false, false, {4, 4, 18, 20},
         {21, 4, 157, 20}, {}},
        {"a square wider than the box leaves no caption", CheckAlignment::Left, {200, 13}, true, false, false,
         {4, 5, 157, 18}, {4, 4, 4, 20}, {}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        CheckLayoutInput in;
        in.content = {2, 2, 159, 22};
        in.check = test.check;
        in.alignment = test.alignment;
        in.enabled = test.enabled;
        in.full_focus_rect = test.full_focus;
        if (test.captioned) in.caption = {100, 15};
        in.control_width = 161;
        CheckLayout l = CalcCheckLayout(in);
        EXPECT_EQ(test.square, l.square);
        EXPECT_EQ(test.caption, l.caption);
        EXPECT_EQ(test.focus, l.focus);
    }
}

TEST(CheckVisualRule, MouseEventsGiveTheSquaresLook) {
    struct Case {
        const char* name;
        CheckMouseEvent e;
        CheckVisual visual;
    };
    auto ev = [](bool inside, bool nothing, bool only_left, bool press, CheckVisual previous) {
        CheckMouseEvent e;
        e.inside = inside;
        e.nothing_held = nothing;
        e.only_left_held = only_left;
        e.is_left_press = press;
        e.previous = previous;
        return e;
    };
    CheckMouseEvent disabled = ev(true, true, false, false, ckvHot);
    disabled.enabled = false;
    CheckMouseEvent space = ev(false, true, false, false, ckvNormal);
    space.space_pressed = true;
    const Case cases[] = {
        {"hovering", ev(true, true, false, false, ckvNormal), ckvHot},
        {"outside", ev(false, true, false, false, ckvHot), ckvNormal},
        {"left press", ev(true, false, true, true, ckvHot), ckvPressed},
        {"held and moved", ev(true, false, true, false, ckvPressed), ckvPressed},
        {"held and dragged out", ev(false, false, true, false, ckvPressed), ckvNormal},
        {"held and dragged back", ev(true, false, true, false, ckvNormal), ckvNormal},
        {"right button", ev(true, false, false, false, ckvHot), ckvNormal},
        {"released inside", ev(true, true, false, false, ckvPressed), ckvHot},
        {"disabled", disabled, ckvDisabled},
        {"space held", space, ckvPressed},
    };
    for (const auto& test : cases) EXPECT_EQ(test.visual, CheckVisualAfter(test.e)) << test.name;
    EXPECT_EQ(chkChecked, ToggledState(chkUnchecked, false));
    EXPECT_EQ(chkGrayed, ToggledState(chkUnchecked, true));
    EXPECT_EQ(chkChecked, ToggledState(chkGrayed, true));
    EXPECT_EQ(chkUnchecked, ToggledState(chkChecked, true));
}

int BlackPixels(const SystemCheckMetrics& m) {
    MemoryBitmap b(m.size.cx, m.size.cy);
    b.Fill(clWhite);
    PaintCheckMark(b.Dc(), m, 0, 0, {0, 0, m.size.cx, m.size.cy}, RGB(0, 0, 0));
    int n = 0;
    for (int y = 0; y < m.size.cy; ++y)
        for (int x = 0; x < m.size.cx; ++x) n += b.PixelAt(x, y) == 0;
    return n;
}

TEST(SystemCheckMetricsTest, MeasuredFromTheSystemBitmapWithAMenuMarkWhenItIsMissing) {
    UniqueBitmap checkboxes(::LoadBitmapW(nullptr, MAKEINTRESOURCEW(32759)));
    BITMAP bm{};
    ASSERT_TRUE(::GetObjectW(checkboxes.get(), sizeof(bm), &bm));
    const SystemCheckMetrics& system = SystemCheck();
    EXPECT_FALSE(system.from_menu_check);
    EXPECT_EQ(bm.bmWidth / 4, system.size.cx);
    EXPECT_EQ(bm.bmHeight / 3, system.size.cy);
    int mark = BlackPixels(system);
    EXPECT_GT(mark, 4);
    EXPECT_LT(mark, system.size.cx * system.size.cy / 2);

    // Without the bitmap the square keeps a size and a mark.
    SystemCheckMetrics fallback = MeasureSystemCheck(nullptr);
    EXPECT_TRUE(fallback.from_menu_check);
    EXPECT_EQ(::GetSystemMetrics(SM_CXMENUCHECK), fallback.size.cx);
    EXPECT_EQ(::GetSystemMetrics(SM_CYMENUCHECK), fallback.size.cy);
    EXPECT_GT(BlackPixels(fallback), 4);
}

class PaintedCheckBox : public CheckBox {
public:
    using CheckBox::Paint;
};

// The window's box on a shown window, with a button beside it.
class CheckBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        form.SetBounds(200, 200, 400, 200);
        form.SetColor(cl3DLight);
        box.SetParent(&form);
        box.SetBounds(20, 20, 161, 24);
        box.SetTabOrder(0);
        box.Style().SetFont(FontSpec{L"Arial", -13, clWindowText, 204, 0});
        box.Properties().SetCaption(L"C главным каталогом");
        box.OnClick = [this](Control&) { ++clicks; };
        button.SetParent(&form);
        button.SetBounds(220, 20, 100, 25);
        button.SetTabOrder(1);
        button.SetCaption(L"Другая");
        form.Show();
        MoveMouseTo(form.ClientToScreen({150, 150}));
        testing::MakeForeground(form.Handle());
        box.SetFocus();
        PumpUntil([this] { return Application::Instance().Mouse().UnderMouse() == &form; });
    }
    void TearDown() override {
        testing::MouseButton(false);
        testing::Key(VK_SPACE, false);
        box.SetParent(nullptr);
        button.SetParent(nullptr);
        Application::Instance().ProcessMessages();
    }
    std::unique_ptr<MemoryBitmap> Picture() { return PaintOf(box, clFuchsia); }
    // Outline, interior and mark of the square as a picture shows it.
    struct Square {
        COLORREF ring, outline, interior;
        int mark_pixels;  // of colour mark inside the interior
    };
    Square Read(const MemoryBitmap& b, TColor mark) {
        IntRect s = box.Layout().square;
        Square q{b.PixelAt(s.left, s.top + 6), b.PixelAt(s.left + 1, s.top + 6), 0, 0};
        for (int y = s.top + 2; y < s.bottom - 2; ++y)
            for (int x = s.left + 2; x < s.right - 2; ++x) q.mark_pixels += b.PixelAt(x, y) == ColorToRgb(mark);
        POINT plain = PlainInteriorPixel();
        q.interior = b.PixelAt(plain.x, plain.y);
        return q;
    }
    // A pixel of the square's interior that the system's mark (a tick or an X) leaves alone.
    POINT PlainInteriorPixel() {
        IntRect s = box.Layout().square;
        const SystemCheckMetrics& m = SystemCheck();
        MemoryBitmap mask(m.size.cx, m.size.cy);
        mask.Fill(clWhite);
        PaintCheckMark(mask.Dc(), m, 0, 0, {0, 0, m.size.cx, m.size.cy}, RGB(0, 0, 0));
        for (int y = 2; y < m.size.cy - 2; ++y)
            for (int x = 2; x < m.size.cx - 2; ++x)
                if (mask.PixelAt(x, y) == clWhite) return {s.left + x, s.top + y};
        return {s.left + 2, s.top + 2};
    }
    POINT OnCaption() { return box.ClientToScreen({80, 12}); }

    Form form;
    PaintedCheckBox box;
    PushButton button;
    int clicks = 0;
};

TEST_F(CheckBoxTest, PixelsOfEachLook) {
    IntSize s = box.CheckSize();
    EXPECT_EQ(SystemCheck().size.cx, s.width);
    EXPECT_EQ(SystemCheck().size.cy, s.height);
    box.Perform(WM_KILLFOCUS, 0, 0);
    button.SetFocus();
    HWND h = box.Handle();
    struct Step {
        const char* name;
        std::function<void()> act;
        TColor outline, interior, mark;
        bool checked;
    };
    const Step steps[] = {
        {"normal", [] {}, clBtnShadow, clWindow, clBtnText, false},
        {"hot anywhere over the box", [&] { ::SendMessageW(h, WM_MOUSEMOVE, 0, MAKELPARAM(120, 12)); }, clHighlight,
         BlendedHotColor(), clBtnText, false},
        {"pressed", [&] { ::SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(120, 12)); }, clHighlight,
         BlendedPressedColor(), clBtnText, false},
        {"released inside: ticked and hot", [&] { ::SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(120, 12)); },
         clHighlight, BlendedHotColor(), clBtnText, true},
        {"focused, mouse gone", [&] {
             box.Perform(CM_MOUSELEAVE);
             box.SetFocus();
         },
         clHighlight, clWindow, clBtnText, true},
        {"grayed", [&] { box.SetEditValue(L"something else"); }, clHighlight, clWindow, clBtnShadow, true},
        {"disabled", [&] {
             box.SetChecked(true);
             box.SetEnabled(false);
         },
         clBtnShadow, clBtnFace, clBtnShadow, true},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        step.act();
        auto picture = Picture();
        Square q = Read(*picture, step.mark);
        // The background is the window's own colour (btnface while disabled).
        const COLORREF back = ColorToRgb(box.ViewInfo().background);
        EXPECT_EQ(box.Enabled() ? ColorToRgb(cl3DLight) : ColorToRgb(clBtnFace), back);
        EXPECT_EQ(back, q.ring);
        EXPECT_EQ(ColorToRgb(step.outline), q.outline);
        EXPECT_EQ(ColorToRgb(step.interior), q.interior);
        if (step.checked)
            EXPECT_GT(q.mark_pixels, 4);
        else
            EXPECT_EQ(0, q.mark_pixels);
        EXPECT_EQ(back, picture->PixelAt(box.Layout().caption.left - 2, 12));
        IntRect c = box.Layout().caption;
        int text = 0, emboss = 0;
        for (int y = c.top; y < c.bottom; ++y)
            for (int x = c.left; x < c.right; ++x) {
                text += picture->PixelAt(x, y) == ColorToRgb(box.Enabled() ? clWindowText : clBtnShadow);
                emboss += picture->PixelAt(x, y) == ColorToRgb(clBtnHighlight);
            }
        EXPECT_GT(text, 50);
        EXPECT_EQ(!box.Enabled(), emboss > 20);
    }
    EXPECT_EQ(chkChecked, box.State());
    EXPECT_EQ(3, clicks);  // ticked by the click, grayed, ticked again
}

TEST_F(CheckBoxTest, HoverClickAndReleaseOutsideWithTheMouse) {
    IntRect s = box.Layout().square;
    auto outline = [&] { return ScreenPixel(box.ClientToScreen({s.left + 1, s.top + 6})); };
    auto interior = [&] { return ScreenPixel(box.ClientToScreen(PlainInteriorPixel())); };
    button.SetFocus();
    EXPECT_TRUE(PumpUntil([&] { return outline() == ColorToRgb(clBtnShadow); }));
    MoveMouseTo(OnCaption());
    EXPECT_TRUE(PumpUntil([&] { return interior() == ColorToRgb(BlendedHotColor()); }));
    EXPECT_EQ(ColorToRgb(clHighlight), outline());
    MoveMouseTo(form.ClientToScreen({150, 150}));
    EXPECT_TRUE(PumpUntil([&] { return interior() == ColorToRgb(clWindow); }));

    // A click on the caption ticks the box once.
    testing::ClickAt(OnCaption());
    EXPECT_TRUE(PumpUntil([&] { return box.Checked(); }));
    EXPECT_EQ(1, clicks);

    // Pressed inside, released outside: pressed look, then no toggle.
    MoveMouseTo(OnCaption());
    testing::MouseButton(true);
    EXPECT_TRUE(PumpUntil([&] { return interior() == ColorToRgb(BlendedPressedColor()); }));
    MoveMouseTo(form.ClientToScreen({150, 150}));
    testing::MouseButton(false);
    testing::InputBarrier();
    EXPECT_TRUE(box.Checked());
    EXPECT_EQ(1, clicks);

    // A quick double click is two presses and two releases: two toggles.
    testing::ClickAt(OnCaption());
    testing::MouseButton(true);
    testing::MouseButton(false);
    EXPECT_TRUE(PumpUntil([&] { return clicks == 3; }));
    EXPECT_TRUE(box.Checked());
}

TEST_F(CheckBoxTest, SpaceToggleOnReleaseAndAHeldSpaceIsDroppedWithTheFocus) {
    testing::Key(VK_SPACE, true);
    EXPECT_TRUE(PumpUntil([&] { return box.Visual() == ckvPressed; }));
    testing::Key(VK_SPACE, true);  // auto-repeat
    testing::InputBarrier();
    EXPECT_FALSE(box.Checked());
    testing::Key(VK_SPACE, false);
    EXPECT_TRUE(PumpUntil([&] { return box.Checked(); }));
    EXPECT_EQ(1, clicks);

    // Held on the box, then a click elsewhere takes the focus and the release with it.
    testing::Key(VK_SPACE, true);
    EXPECT_TRUE(PumpUntil([&] { return box.SpacePressed(); }));
    testing::ClickAt(button.ClientToScreen({50, 12}));
    EXPECT_TRUE(PumpUntil([&] { return button.Focused(); }));
    testing::Key(VK_SPACE, false);
    testing::InputBarrier();
    EXPECT_FALSE(box.SpacePressed());
    EXPECT_NE(ckvPressed, box.Visual());
    EXPECT_TRUE(box.Checked());
    EXPECT_EQ(ColorToRgb(clWindow), ScreenPixel(box.ClientToScreen(PlainInteriorPixel())));
    // The box still answers clicks.
    testing::ClickAt(OnCaption());
    EXPECT_TRUE(PumpUntil([&] { return !box.Checked(); }));
    EXPECT_EQ(2, clicks);
}

// Alt+Space is the window menu's key, not a press of the box: the menu takes
// the release, and the box must not be left drawn pressed, deaf to clicks.
TEST_F(CheckBoxTest, AltSpaceLeavesTheBoxUnpressedAndAClickStillToggles) {
    // The user closes the window menu with Escape once it is open (its loop
    // runs inside this thread's pumping, so the keys come from another).
    std::atomic<bool> done{false};
    std::atomic<int> menus{0};
    std::thread user([&, ui = ::GetCurrentThreadId()] {
        for (int i = 0; i < 1000 && !done; ++i) {
            GUITHREADINFO gui{sizeof(gui)};
            ::GetGUIThreadInfo(ui, &gui);
            if (gui.flags & (GUI_INMENUMODE | GUI_POPUPMENUMODE | GUI_SYSTEMMENUMODE)) {
                ++menus;
                testing::Key(VK_ESCAPE, true);
                testing::Key(VK_ESCAPE, false);
            }
            ::Sleep(10);
        }
    });
    testing::Key(VK_MENU, true);
    testing::Key(VK_SPACE, true);
    testing::Key(VK_SPACE, false);
    testing::Key(VK_MENU, false);
    // Whether the window menu opens is the platform's affair; if it does,
    // its loop takes the keys after the Alt, and the user closes it.
    testing::InputBarrier();
    PumpUntil([] {
        GUITHREADINFO gui{sizeof(gui)};
        ::GetGUIThreadInfo(::GetCurrentThreadId(), &gui);
        return !(gui.flags & (GUI_INMENUMODE | GUI_POPUPMENUMODE | GUI_SYSTEMMENUMODE));
    });
    done = true;
    user.join();
    testing::ExpectNothingFor(100);
    EXPECT_FALSE(box.SpacePressed());
    EXPECT_FALSE(box.Checked());
    EXPECT_EQ(ColorToRgb(clWindow), ScreenPixel(box.ClientToScreen(PlainInteriorPixel())));
    testing::ClickAt(OnCaption());
    EXPECT_TRUE(PumpUntil([&] { return box.Checked(); }));
    EXPECT_EQ(1, clicks);
}

// Another window takes the mouse in the middle of a press: the release will
// never reach the box, which is drawn unpressed at once and does not toggle.
TEST_F(CheckBoxTest, APressWhoseCaptureIsTakenEndsUnpressed) {
    auto interior = [&] { return ScreenPixel(box.ClientToScreen(PlainInteriorPixel())); };
    MoveMouseTo(OnCaption());
    testing::MouseButton(true);
    ASSERT_TRUE(PumpUntil([&] { return interior() == ColorToRgb(BlendedPressedColor()); }));
    ::SetCapture(form.Handle());
    EXPECT_TRUE(PumpUntil([&] { return interior() != ColorToRgb(BlendedPressedColor()); }));
    MoveMouseTo(form.ClientToScreen({150, 150}));
    testing::MouseButton(false);
    testing::InputBarrier();
    ::ReleaseCapture();
    Application::Instance().ProcessMessages();
    EXPECT_EQ(ColorToRgb(clWindow), interior());
    EXPECT_FALSE(box.Checked());
    EXPECT_EQ(0, clicks);
    // The next click toggles as ever.
    testing::ClickAt(OnCaption());
    EXPECT_TRUE(PumpUntil([&] { return box.Checked(); }));
}

TEST_F(CheckBoxTest, APostedClickTogglesWhileTheCursorIsElsewhere) {
    MoveMouseTo({5, 5});
    HWND h = box.Handle();
    ::PostMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(80, 12));
    ::PostMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(80, 12));
    EXPECT_TRUE(PumpUntil([&] { return box.Checked(); }));
    // Released outside by the message's own position: no toggle.
    ::PostMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(80, 12));
    ::PostMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(400, 12));
    Application::Instance().ProcessMessages();
    EXPECT_TRUE(box.Checked());
    // Read-only: the user cannot change it, the program can.
    box.Properties().SetReadOnly(true);
    ::PostMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(80, 12));
    ::PostMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(80, 12));
    Application::Instance().ProcessMessages();
    EXPECT_TRUE(box.Checked());
    box.SetChecked(false);
    EXPECT_FALSE(box.Checked());
}

TEST_F(CheckBoxTest, OtherBorderStylesOfTheSquare) {
    struct Case {
        const char* name;
        ContainerBorderStyle style;
        bool hot_track;
        TColor at0, at1;  // the square's left column, then one pixel in
    };
    const Case cases[] = {
        {"single", cbsSingle, false, cl3DLight, clBtnText},
        {"thick", cbsThick, false, clBtnText, clBtnText},
        {"flat", cbsFlat, false, clBtnShadow, clBtnFace},
        {"flat turns 3D while focused", cbsFlat, true, clBtnShadow, cl3DDkShadow},
        {"none turns flat while focused", cbsNone, true, clBtnShadow, clBtnFace},
        {"3D", cbs3D, false, clBtnShadow, cl3DDkShadow},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        box.Style().SetBorderStyle(test.style);
        box.Style().SetHotTrack(test.hot_track);
        ASSERT_TRUE(box.IsFocused());
        auto picture = Picture();
        IntRect s = box.Layout().square;
        EXPECT_EQ(ColorToRgb(test.at0), picture->PixelAt(s.left, s.top + 6));
        EXPECT_EQ(ColorToRgb(test.at1), picture->PixelAt(s.left + 1, s.top + 6));
    }
}

TEST(CheckBoxValues, StateFollowsTheEditValue) {
    CheckBox box;
    int changes = 0;
    box.Properties().OnChange = [&](CustomEdit&) { ++changes; };
    EXPECT_EQ(chkUnchecked, box.State());
    EXPECT_EQ(L"False", box.EditValue());
    box.Properties().SetAllowGrayed(true);
    box.Toggle();
    EXPECT_EQ(chkGrayed, box.State());
    EXPECT_FALSE(box.Checked());
    box.Toggle();
    EXPECT_TRUE(box.Checked());
    EXPECT_EQ(2, changes);
    // A value already in use, or Null for checked, is refused.
    box.Properties().SetValueChecked(L"False");
    box.Properties().SetValueChecked(L"");
    EXPECT_EQ(L"True", box.Properties().ValueChecked());
    box.Properties().SetValueChecked(L"Да");
    EXPECT_EQ(chkGrayed, box.State());
    EXPECT_EQ(L"True", box.Properties().DisplayText(L"Да"));
    EXPECT_EQ(L"False", box.Properties().DisplayText(L"False"));
    // Until a caption is set the control shows its name.
    box.SetName(L"CheckBox1");
    EXPECT_EQ(L"CheckBox1", box.ShownCaption());
}

}  // namespace
}  // namespace census
