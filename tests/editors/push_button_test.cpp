#include "editors/push_button.h"

#include "editors/painter_colors.h"
#include "runtime/application.h"
#include "runtime/form.h"
#include "support/gdi_count.h"
#include "support/real_input.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace census {
namespace {

using testing::ClickAt;
using testing::MoveMouseTo;
using testing::PumpUntil;
using testing::ScreenPixel;

constexpr TColor kBackdrop = clFuchsia;

TEST(ButtonLayoutRule, GlyphAndCaptionPlacement) {
    struct Case {
        const char* name;
        GlyphCaptionInput in;
        IntPoint glyph;
        IntRect caption;
    };
    auto input = [](IntSize glyph, IntSize text, ButtonLayout layout, int margin, int spacing) {
        GlyphCaptionInput in;
        in.client = {105, 25};
        in.glyph = glyph;
        in.caption = text;
        in.layout = layout;
        in.margin = margin;
        in.spacing = spacing;
        return in;
    };
    GlyphCaptionInput pressed = input({}, {40, 13}, blGlyphLeft, -1, 4);
    pressed.offset = {1, 1};
    GlyphCaptionInput rtl = input({16, 16}, {40, 13}, blGlyphLeft, -1, 4);
    rtl.right_to_left = true;
    const Case cases[] = {
        // No glyph: the caption is centred on the whole button, halves rounding up.
        {"caption only", input({}, {40, 13}, blGlyphLeft, -1, 4), {33, 13}, {33, 6, 73, 19}},
        {"caption only, odd width", input({}, {41, 14}, blGlyphLeft, -1, 4), {32, 13}, {32, 6, 73, 20}},
        {"pressed shift", pressed, {34, 14}, {34, 7, 74, 20}},
        {"glyph left, centred block", input({16, 16}, {40, 13}, blGlyphLeft, -1, 4), {23, 5}, {43, 6, 83, 19}},
        {"glyph right", input({16, 16}, {40, 13}, blGlyphRight, -1, 4), {66, 5}, {22, 6, 62, 19}},
        {"right to left swaps the sides", rtl, {66, 5}, {22, 6, 62, 19}},
        {"even spread", input({16, 16}, {40, 13}, blGlyphLeft, -1, -1), {16, 5}, {48, 6, 88, 19}},
        {"margin given, spacing shared", input({16, 16}, {40, 13}, blGlyphLeft, 5, -1), {5, 5}, {43, 6, 83, 19}},
        {"both given", input({16, 16}, {40, 13}, blGlyphLeft, 2, 3), {2, 5}, {21, 6, 61, 19}},
        {"glyph on top, too tall: the margin truncates toward zero", input({16, 16}, {40, 13}, blGlyphTop, -1, 0), {45, -1}, {33, 15, 73, 28}},
        {"glyph only: no spacing", input({16, 16}, {}, blGlyphLeft, -1, 4), {45, 5}, {}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        GlyphCaptionPlacement p = LayoutGlyphAndCaption(test.in);
        EXPECT_EQ(test.glyph, p.glyph);
        EXPECT_EQ(test.caption, p.caption);
    }
}

TEST(ButtonLayoutRule, GlyphCellsFromTheBitmapNeverDivideByZero) {
    struct Case {
        int width, height, cells;
    };
    for (const Case& c : {Case{64, 16, 4}, Case{32, 16, 2}, Case{80, 16, 1}, Case{30, 16, 1}, Case{16, 0, 1},
                          Case{0, 0, 1}, Case{0, 16, 1}}) {
        EXPECT_EQ(c.cells, GlyphCellsFor(c.width, c.height)) << c.width << " x " << c.height;
    }
    EXPECT_EQ(4, ClampGlyphCells(9));
    EXPECT_EQ(1, ClampGlyphCells(0));
    EXPECT_EQ(2, GlyphCellIndex(GlyphCell::Down, 3));
    EXPECT_EQ(0, GlyphCellIndex(GlyphCell::Down, 2));
    EXPECT_EQ(1, GlyphCellIndex(GlyphCell::Disabled, 2));
}

TEST(ButtonVisualStateRule, PressedBeatsHotAndHotBeatsFocus) {
    EXPECT_EQ(edbsDisabled, ButtonVisualState(false, true, true, true, true));
    EXPECT_EQ(edbsPressed, ButtonVisualState(true, true, false, true, true));
    EXPECT_EQ(edbsPressed, ButtonVisualState(true, false, true, false, false));
    EXPECT_EQ(edbsHot, ButtonVisualState(true, false, false, true, true));
    EXPECT_EQ(edbsDefault, ButtonVisualState(true, false, false, false, true));
    EXPECT_EQ(edbsNormal, ButtonVisualState(true, false, false, false, false));
}

// Pixels of colour c inside r.
int CountColour(const MemoryBitmap& b, RECT r, TColor c) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) n += b.PixelAt(x, y) == ColorToRgb(c);
    return n;
}

// The leftmost and rightmost columns holding colour c.
std::pair<int, int> InkColumns(const MemoryBitmap& b, TColor c) {
    int first = -1, last = -1;
    for (int x = 2; x < b.Width() - 2; ++x)
        for (int y = 2; y < b.Height() - 2; ++y)
            if (b.PixelAt(x, y) == ColorToRgb(c)) {
                if (first < 0) first = x;
                last = x;
            }
    return {first, last};
}

TEST(PushButtonPainting, EachStateOfTheWindowsButtons) {
    struct Case {
        const char* name;
        ButtonState state;
        bool focus;
        TColor outer, inner, face, caption;
    };
    // The start button: 105 x 25, "П Л И !", MS Sans Serif 13, ultra-flat.
    const Case cases[] = {
        {"normal", edbsNormal, false, clBtnText, clBtnFace, clBtnFace, clBtnText},
        {"focused", edbsDefault, true, clWindowFrame, clWindowFrame, clBtnFace, clBtnText},
        {"hot", edbsHot, false, clHighlight, BlendedHotColor(), BlendedHotColor(), clBtnText},
        {"pressed", edbsPressed, false, clHighlight, BlendedPressedColor(), BlendedPressedColor(), clHighlightText},
        {"disabled", edbsDisabled, false, clHighlight, clBtnFace, clBtnFace, clBtnShadow},
    };
    std::pair<int, int> normal_ink{};
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        MemoryBitmap bitmap(105, 25);
        bitmap.Fill(kBackdrop);
        {
            Canvas canvas(bitmap.Dc());
            PainterCanvas surface(canvas);
            ButtonDrawing d;
            d.bounds = {0, 0, 105, 25};
            d.caption = L"П Л И !";
            d.state = test.state;
            d.focus_rect = test.focus;
            d.font.height = -13;
            DrawButton(surface, d);
        }
        for (POINT p : {POINT{0, 0}, POINT{104, 24}, POINT{104, 0}, POINT{0, 24}, POINT{52, 0}})
            EXPECT_EQ(ColorToRgb(test.outer), bitmap.PixelAt(p.x, p.y)) << p.x << "," << p.y;
        EXPECT_EQ(ColorToRgb(test.inner), bitmap.PixelAt(1, 1));
        EXPECT_EQ(ColorToRgb(test.face), bitmap.PixelAt(2, 12));
        EXPECT_GT(CountColour(bitmap, {2, 2, 103, 23}, test.caption), 10);
        auto ink = InkColumns(bitmap, test.caption);
        if (test.state == edbsNormal) normal_ink = ink;
        // Centred on the whole button; the ultra-flat caption never shifts.
        if (test.state == edbsPressed) {
            EXPECT_EQ(normal_ink, ink);
        }
        EXPECT_NEAR(105 - 1 - ink.second, ink.first, 3);
        if (test.state == edbsDisabled) {
            EXPECT_GT(CountColour(bitmap, {2, 2, 103, 23}, clBtnHighlight), 10);  // embossed
        }
        // The dotted focus rectangle 3 pixels inside the edge, on the focused button only.
        int dotted = 0;
        for (int x = 3; x < 102; ++x) dotted += bitmap.PixelAt(x, 3) != ColorToRgb(test.face);
        if (test.focus)
            EXPECT_GT(dotted, 30);
        else
            EXPECT_EQ(0, dotted);
    }
}

// A bitmap of its own (not selected into any DC), as a program loads one.
UniqueBitmap TwoCellGlyph() {
    WindowDc screen(nullptr);
    UniqueBitmap bitmap(::CreateCompatibleBitmap(screen.get(), 16, 8));
    UniqueMemoryDc dc(::CreateCompatibleDC(screen.get()));
    SelectGuard select(dc.get(), bitmap.get());
    Canvas g(dc.get());
    g.SetBrushColor(clOlive);
    g.FillRect({0, 0, 16, 8});
    g.SetBrushColor(clRed);
    g.FillRect({2, 2, 6, 6});
    g.SetBrushColor(clWhite);
    g.FillRect({10, 2, 14, 6});
    return bitmap;
}

TEST(PushButtonPainting, ColoursGlyphAndDropDownArrow) {
    MemoryBitmap bitmap(80, 25);
    bitmap.Fill(kBackdrop);
    // A two-cell glyph: red up, white disabled; olive is transparent.
    UniqueBitmap glyph = TwoCellGlyph();
    {
        Canvas canvas(bitmap.Dc());
        PainterCanvas surface(canvas);
        ButtonDrawing d;
        d.bounds = {0, 0, 80, 25};
        d.face_color = clYellow;
        d.kind = edbkDropDownButton;
        d.glyph = glyph.get();
        d.glyph_cells = 2;
        DrawButton(surface, d);
    }
    EXPECT_EQ(clYellow, bitmap.PixelAt(10, 12));
    // The 8 x 8 glyph centred in the 67-pixel main part: at (30, 9); its olive stays face.
    EXPECT_EQ(clRed, bitmap.PixelAt(33, 12));
    EXPECT_EQ(clYellow, bitmap.PixelAt(30, 9));
    // The arrow part: its own frame from x = 65 and a down arrow in btntext.
    EXPECT_EQ(ColorToRgb(clBtnText), bitmap.PixelAt(65, 12));
    EXPECT_GT(CountColour(bitmap, {66, 1, 79, 24}, clBtnText), 3);

    // Disabled: the second cell, its white turned btnhighlight.
    bitmap.Fill(kBackdrop);
    {
        Canvas canvas(bitmap.Dc());
        PainterCanvas surface(canvas);
        ButtonDrawing d;
        d.bounds = {0, 0, 80, 25};
        d.state = edbsDisabled;
        d.glyph = glyph.get();
        d.glyph_cells = 2;
        DrawButton(surface, d);
    }
    EXPECT_EQ(ColorToRgb(clBtnHighlight), bitmap.PixelAt(39, 12));
    EXPECT_EQ(0, CountColour(bitmap, {0, 0, 80, 25}, clRed));
}

TEST(PushButtonSettings, ColoursLookAndFeelAndSystemDrawing) {
    PushButton button;
    EXPECT_FALSE(button.UsesSystemDrawing());
    EXPECT_EQ(&UltraFlatPainter(), &button.SelectPainter());
    EXPECT_EQ(75, button.Width());
    EXPECT_EQ(25, button.Height());

    button.Colors().SetColor(edbsHot, clRed);
    EXPECT_EQ(1u << edbsHot, button.Colors().AssignedColors());
    button.Colors().SetColor(edbsHot, clNone);
    EXPECT_EQ(clDefault, button.Colors().Color(edbsHot));
    EXPECT_EQ(0u, button.Colors().AssignedColors());

    button.GetLookAndFeel().SetKind(lfStandard);
    EXPECT_TRUE(button.UsesSystemDrawing());
    EXPECT_FALSE(button.IsHotTrackingActive());
    button.SetKind(edbkDropDown);
    EXPECT_FALSE(button.UsesSystemDrawing());
    button.SetKind(edbkStandard);
    // A glyph, even an empty one, makes the program draw it.
    button.SetGlyph(UniqueBitmap());
    EXPECT_FALSE(button.UseSystemPaint());
    EXPECT_FALSE(button.UsesSystemDrawing());
    button.GetLookAndFeel().SetKind(lfFlat);
    EXPECT_EQ(&FlatPainter(), &button.SelectPainter());
    EXPECT_FALSE(button.IsHotTrackingActive());
}

// Two buttons on a shown window, driven with the system's own input.
class PushButtonInput : public ::testing::Test {
protected:
    void SetUp() override {
        form.SetBounds(200, 200, 400, 200);
        form.SetColor(cl3DLight);
        for (PushButton* b : {&first, &second}) {
            b->SetParent(&form);
            b->SetTabOrder(b == &first ? 0 : 1);
        }
        first.SetBounds(20, 20, 105, 25);
        first.SetCaption(L"П Л И !");
        second.SetBounds(200, 20, 105, 25);
        second.SetCaption(L"С Т О П !");
        first.OnClick = [this](Control&) { ++first_clicks; };
        second.OnClick = [this](Control&) { ++second_clicks; };
        form.Show();
        testing::MakeForeground(form.Handle());
        MoveMouseTo(Outside());
        PumpUntil([] { return Application::Instance().Mouse().UnderMouse() == nullptr; });
    }
    void TearDown() override {
        testing::MouseButton(false);
        MoveMouseTo(Outside());
        form.Close();
        for (PushButton* b : {&first, &second}) b->SetParent(nullptr);
        Application::Instance().ProcessMessages();
    }
    POINT Outside() { return {20, 20}; }
    POINT At(PushButton& b, int x, int y) { return b.ClientToScreen({x, y}); }
    POINT Centre(PushButton& b) { return At(b, b.Width() / 2, b.Height() / 2); }
    // The outline and the face as the screen shows them.
    bool Shows(PushButton& b, TColor outline, TColor face) {
        return ScreenPixel(At(b, 0, 0)) == ColorToRgb(outline) && ScreenPixel(At(b, 2, 12)) == ColorToRgb(face);
    }

    Form form;
    PushButton first, second;
    int first_clicks = 0, second_clicks = 0;
};

TEST_F(PushButtonInput, HotFollowsTheMouseAcrossButtonsAndOffTheWindow) {
    // The first button has the focus: two-pixel window-frame outline.
    ASSERT_TRUE(Shows(first, clWindowFrame, clBtnFace));
    ASSERT_TRUE(Shows(second, clBtnText, clBtnFace));
    MoveMouseTo(Centre(first));
    EXPECT_TRUE(PumpUntil([&] { return Shows(first, clHighlight, BlendedHotColor()); }));
    EXPECT_TRUE(first.Hot());
    // Onto the other button: the first goes back to its focused look, the second lights up.
    MoveMouseTo(Centre(second));
    EXPECT_TRUE(PumpUntil([&] { return Shows(second, clHighlight, BlendedHotColor()); }));
    EXPECT_TRUE(PumpUntil([&] { return Shows(first, clWindowFrame, clBtnFace); }));
    // Off the window altogether, where no message of the program comes.
    MoveMouseTo(Outside());
    EXPECT_TRUE(PumpUntil([&] { return Shows(second, clBtnText, clBtnFace); }));
    EXPECT_FALSE(second.Hot());
    EXPECT_EQ(nullptr, Application::Instance().Mouse().UnderMouse());
    EXPECT_FALSE(Application::Instance().Mouse().Checking());
    EXPECT_EQ(0, first_clicks + second_clicks);
}

TEST_F(PushButtonInput, AGlyphGivenToAShownSystemDrawnButtonIsDrawn) {
    // Windows draws this one until the glyph comes; then the program must.
    first.GetLookAndFeel().SetKind(lfStandard);
    ASSERT_TRUE(first.UsesSystemDrawing());
    first.SetGlyph(TwoCellGlyph());
    EXPECT_FALSE(first.UsesSystemDrawing());
    MoveMouseTo(Centre(first));
    // The red of the glyph's up cell, on the row through its middle.
    auto shows_glyph = [&] {
        std::vector<COLORREF> row = testing::ScreenRow(At(first, 0, 12), first.Width());
        return std::count(row.begin(), row.end(), ColorToRgb(clRed)) >= 4;
    };
    EXPECT_TRUE(PumpUntil(shows_glyph));
    EXPECT_TRUE(first.Focused());
}

TEST_F(PushButtonInput, ReleaseOutsideDoesNotClickAndAQuickDoubleClickClicksTwice) {
    MoveMouseTo(Centre(first));
    testing::MouseButton(true);
    EXPECT_TRUE(PumpUntil([&] { return Shows(first, clHighlight, BlendedPressedColor()); }));
    MoveMouseTo(Centre(second));
    testing::MouseButton(false);
    testing::InputBarrier();
    EXPECT_EQ(0, first_clicks);
    EXPECT_EQ(0, second_clicks);

    ClickAt(Centre(first));
    EXPECT_TRUE(PumpUntil([&] { return first_clicks == 1; }));
    // Hot again where the release left the mouse.
    EXPECT_TRUE(PumpUntil([&] { return Shows(first, clHighlight, BlendedHotColor()); }));

    ClickAt(Centre(second));
    testing::MouseButton(true);
    testing::MouseButton(false);
    EXPECT_TRUE(PumpUntil([&] { return second_clicks == 2; }));
    testing::InputBarrier();  // and no third
    EXPECT_EQ(2, second_clicks);
}

// Windows of the class "Button" made on this thread while alive.
class ButtonCreations {
public:
    ButtonCreations() {
        count_ = 0;
        hook_ = ::SetWindowsHookExW(WH_CBT, &ButtonCreations::Hook, nullptr, ::GetCurrentThreadId());
    }
    ~ButtonCreations() { ::UnhookWindowsHookEx(hook_); }
    int Count() const { return count_; }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wp, LPARAM lp) {
        if (code == HCBT_CREATEWND) {
            wchar_t cls[32] = L"";
            ::GetClassNameW(reinterpret_cast<HWND>(wp), cls, 32);
            if (_wcsicmp(cls, L"Button") == 0) ++count_;
        }
        return ::CallNextHookEx(nullptr, code, wp, lp);
    }
    static inline int count_ = 0;
    HHOOK hook_ = nullptr;
};

// A change of the system's colours, broadcast to every top-level window as
// the system does it, re-creates each button once, and the focused one keeps
// the keyboard focus.
TEST_F(PushButtonInput, AColourChangeRecreatesEachButtonOnceAndKeepsTheFocus) {
    MoveMouseTo(form.ClientToScreen({150, 150}));
    testing::MakeForeground(form.Handle());
    second.SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return ::GetFocus() == second.Handle(); }));
    const HWND before[2] = {first.Handle(), second.Handle()};
    {
        ButtonCreations made;
        DWORD_PTR result = 0;
        ::SendMessageTimeoutW(HWND_BROADCAST, WM_SYSCOLORCHANGE, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
        PumpUntil([&] { return made.Count() >= 2; });
        EXPECT_EQ(2, made.Count());
    }
    EXPECT_NE(before[0], first.Handle());
    EXPECT_NE(before[1], second.Handle());
    EXPECT_EQ(second.Handle(), ::GetFocus());
    // The keys still reach it: space clicks the focused button.
    testing::PressKey(VK_SPACE);
    EXPECT_TRUE(PumpUntil([&] { return second_clicks == 1; }));
    EXPECT_EQ(0, first_clicks);
}

TEST_F(PushButtonInput, EnterAndSpaceClickTheFocusedButton) {
    // Keys go to the window under the pointer on a display without a window manager.
    MoveMouseTo(form.ClientToScreen({150, 150}));
    testing::MakeForeground(form.Handle());
    first.SetFocus();
    PumpUntil([&] { return first.ActiveDefault(); });
    EXPECT_TRUE(first.ActiveDefault());
    EXPECT_TRUE(PumpUntil([&] { return Shows(first, clWindowFrame, clBtnFace); }));
    testing::PressKey(VK_RETURN);
    EXPECT_TRUE(PumpUntil([&] { return first_clicks == 1; }));
    testing::PressKey(VK_TAB);
    EXPECT_TRUE(PumpUntil([&] { return second.Focused(); }));
    EXPECT_FALSE(first.ActiveDefault());
    testing::PressKey(VK_SPACE);
    EXPECT_TRUE(PumpUntil([&] { return second_clicks == 1; }));
    testing::PressKey(VK_RETURN);
    EXPECT_TRUE(PumpUntil([&] { return second_clicks == 2; }));
    EXPECT_EQ(1, first_clicks);
}

TEST_F(PushButtonInput, APostedClickClicksWhileTheCursorIsElsewhere) {
    HWND h = second.Handle();
    ::PostMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 12));
    ::PostMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(50, 12));
    EXPECT_TRUE(PumpUntil([&] { return second_clicks == 1; }));
    // Released outside, by the message's own position: no click.
    ::PostMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 12));
    ::PostMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(500, 12));
    Application::Instance().ProcessMessages();
    EXPECT_EQ(1, second_clicks);
}

// Watches the drop-down menu from inside its modal loop, then closes it.
struct MenuWatch {
    static inline PushButton* button = nullptr;
    static inline bool seen_open = false;
    static inline ButtonState state_while_open = edbsNormal;
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
        if (!button->MenuShown()) return;
        ::KillTimer(nullptr, id);
        seen_open = true;
        state_while_open = button->VisualState();
        ::EndMenu();
    }
};

TEST_F(PushButtonInput, ADropDownButtonOpensItsMenuInsteadOfClicking) {
    UniqueMenu menu(::CreatePopupMenu());
    ::AppendMenuW(menu.get(), MF_STRING, 1, L"Один");
    second.SetKind(edbkDropDown);
    second.SetDropDownMenu(menu.get());
    MenuWatch::button = &second;
    ::SetTimer(nullptr, 0, 50, &MenuWatch::Tick);
    testing::ClickAt(Centre(second));
    EXPECT_TRUE(PumpUntil([] { return MenuWatch::seen_open; }));
    EXPECT_EQ(edbsPressed, MenuWatch::state_while_open);
    PumpUntil([&] { return !second.MenuShown(); });
    EXPECT_FALSE(second.MenuShown());
    EXPECT_EQ(0, second_clicks);
}

TEST_F(PushButtonInput, AButtonDestroyedWhileHotLeavesNoTrackingBehind) {
    auto extra = std::make_unique<PushButton>();
    extra->SetParent(&form);
    extra->SetBounds(20, 100, 105, 25);
    testing::PumpUntilPainted(extra->Handle());
    MoveMouseTo(extra->ClientToScreen({50, 12}));
    ASSERT_TRUE(PumpUntil([&] { return extra->Hot(); }));
    EXPECT_EQ(extra.get(), Application::Instance().Mouse().UnderMouse());
    extra.reset();
    // The mouse counts as over the window until the check says otherwise.
    EXPECT_EQ(&form, Application::Instance().Mouse().UnderMouse());
    MoveMouseTo(Outside());
    PumpUntil([] { return Application::Instance().Mouse().UnderMouse() == nullptr; });
}

TEST_F(PushButtonInput, DisabledButtonsNeverLightUpAndRepaintsLeaveNoGdiObject) {
    first.SetEnabled(false);
    MoveMouseTo(Centre(first));
    testing::ExpectNothingFor(100);
    EXPECT_FALSE(first.Hot());
    EXPECT_TRUE(Shows(first, clHighlight, clBtnFace));
    first.SetEnabled(true);
    second.Repaint();
    unsigned long before = testing::LiveGdiObjects();
    for (int i = 0; i < 200; ++i) second.Repaint();
    EXPECT_EQ(before, testing::LiveGdiObjects());
}

}  // namespace
}  // namespace census
