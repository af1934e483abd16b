#include "editors/memo_editor.h"

#include "editors/container_view_info.h"
#include "editors/memo_text.h"
#include "editors/push_button.h"
#include "runtime/application.h"
#include "runtime/form.h"
#include "support/real_input.h"

#include <gtest/gtest.h>

#include <vector>

namespace census {
namespace {

TEST(MemoText, LineFeedReturnPairsBecomeTwoLineBreaks) {
    struct Case {
        std::wstring in, out;
    };
    for (const Case& c : {Case{L"a\n\rb", L"a\r\n\r\nb"}, Case{L"a\r\nb", L"a\r\nb"},
                          Case{L"\n\r\n\r", L"\r\n\r\n\r\n\r\n"}, Case{L"a\n\r\n\rb\n\r", L"a\r\n\r\n\r\n\r\nb\r\n\r\n"},
                          Case{L"\n", L"\n"}}) {
        EXPECT_EQ(c.out, RewriteLineFeedReturns(c.in));
    }
    EXPECT_EQ(L"ab", FitToMaxLength(L"abcdef", 8, 10));
    EXPECT_EQ(L"", FitToMaxLength(L"abc", 10, 10));
    EXPECT_EQ(L"abc", FitToMaxLength(L"abc", 10, 0));
}

TEST(ContainerViewInfo, BorderFollowsStyleHotTrackingAndState) {
    struct Case {
        const char* name;
        ContainerBorderStyle style;
        bool hot_track, focused, hot, enabled;
        ContainerBorderStyle drawn;
        TColor border_color, background;
    };
    const Case cases[] = {
        {"flat, no hot tracking, focused", cbsFlat, false, true, true, true, cbsFlat, clWindowFrame, clWindow},
        {"flat, hot tracking, idle", cbsFlat, true, false, false, true, cbsFlat, clWindowFrame, clWindow},
        {"flat, hot tracking, focused", cbsFlat, true, true, false, true, cbs3D, clWindowFrame, clWindow},
        {"ultra flat idle", cbsUltraFlat, true, false, false, true, cbsSingle, clBtnShadow, clWindow},
        {"ultra flat hot", cbsUltraFlat, true, false, true, true, cbsSingle, clHighlight, clWindow},
        {"none, hot", cbsNone, true, false, true, true, cbsFlat, clWindowFrame, clWindow},
        {"disabled", cbsFlat, false, false, false, false, cbsFlat, clWindowFrame, clBtnFace},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ContainerViewInputs in;
        in.width = 369;
        in.height = 425;
        in.border_style = c.style;
        in.hot_track = c.hot_track;
        in.focused = c.focused;
        in.mouse_inside = c.hot;
        in.enabled = c.enabled;
        ContainerViewInfo v = CalculateContainerViewInfo(in);
        EXPECT_EQ(c.drawn, v.drawn_style);
        EXPECT_EQ(c.border_color, v.border_color);
        EXPECT_EQ(c.background, v.background);
        EXPECT_EQ((IntRect{2, 2, 367, 423}), v.client_rect);
    }
}

// The main window's memo: flat border, both scroll bars, Tahoma 11.
class MemoTest : public ::testing::Test {
protected:
    void SetUp() override {
        form.SetBounds(50, 50, 420, 520);
        memo.SetParent(&form);
        memo.SetBounds(8, 48, 369, 425);
        memo.Style().SetBorderStyle(cbsFlat);
        memo.Style().SetHotTrack(false);
        memo.Style().SetShadow(false);
        memo.Style().GetLookAndFeel().SetKind(lfFlat);
        memo.Style().SetFont({L"Tahoma", -11, clWindowText, kRussianCharset, 0});
        memo.Properties().SetScrollBars(MemoScrollBars::Both);
        form.Show();
        Application::Instance().ProcessMessages();
    }
    void TearDown() override { memo.SetParent(nullptr); }

    void PressKey(WORD key, bool ctrl) {
        BYTE state[256]{};
        ::GetKeyboardState(state);
        state[VK_CONTROL] = ctrl ? 0x80 : 0;
        ::SetKeyboardState(state);
        ::SendMessageW(memo.Inner().Handle(), WM_KEYDOWN, key, 0);
        state[VK_CONTROL] = 0;
        ::SetKeyboardState(state);
    }

    // The window in front, so that real input reaches it.
    void BringFormToFront() {
        testing::MakeForeground(form.Handle());
    }
    HWND Edit() { return memo.Inner().Handle(); }
    int FirstVisibleLine() { return static_cast<int>(::SendMessageW(Edit(), EM_GETFIRSTVISIBLELINE, 0, 0)); }
    POINT OnScreen(Control& control, int x, int y) { return control.ClientToScreen({x, y}); }
    void AddNumberedLines(int count) {
        std::vector<std::wstring> lines(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) lines[static_cast<size_t>(i)] = L"line " + std::to_wstring(i);
        memo.Lines().AddStrings(lines);
    }

    Form form;
    MemoEditor memo;
};

// The rows of a vertical bar's track, as the screen shows them, where the
// thumb's face is: the page areas are a pattern that never repeats a colour
// from one row to the next, the thumb is a plain face.
std::vector<int> PaintedThumbRows(ScrollBar& bar) {
    RECT screen{0, 0, bar.Width(), bar.Height()};
    ::MapWindowPoints(bar.Handle(), nullptr, reinterpret_cast<POINT*>(&screen), 2);
    testing::ScreenShot shot(screen);
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    const int x = bar.Width() / 2;
    std::vector<int> rows;
    for (int y = bar.Layout().line_back.bottom; y < bar.Layout().line_forward.top; ++y) {
        if (shot.At(x, y) == face && (shot.At(x, y - 1) == face || shot.At(x, y + 1) == face)) rows.push_back(y);
    }
    return rows;
}

TEST_F(MemoTest, InnerEditSitsInsideTheFlatBorder) {
    EXPECT_EQ(3, memo.Inner().Left());
    EXPECT_EQ(3, memo.Inner().Top());
    EXPECT_EQ(363, memo.Inner().Width());
    EXPECT_EQ(419, memo.Inner().Height());
    // The window's region is the whole flat border: nothing of the memo is cut away.
    UniqueRegion region(::CreateRectRgn(0, 0, 0, 0));
    ASSERT_EQ(SIMPLEREGION, ::GetWindowRgn(memo.Handle(), region.get()));
    RECT box{};
    ::GetRgnBox(region.get(), &box);
    EXPECT_EQ(0, box.left);
    EXPECT_EQ(0, box.top);
    EXPECT_EQ(369, box.right);
    EXPECT_EQ(425, box.bottom);
    EXPECT_EQ(&FlatPainter(), &memo.GetLookAndFeel().Painter());
    EXPECT_EQ(&FlatPainter(), &memo.VerticalBar().GetLookAndFeel().Painter());
}

TEST_F(MemoTest, LineFeedReturnAddedThroughLinesGivesThreeLines) {
    memo.Lines().Add(L"a\n\rb");
    ASSERT_EQ(3, memo.Lines().Count());
    EXPECT_EQ(L"a", memo.Lines().Get(0));
    EXPECT_EQ(L"", memo.Lines().Get(1));
    EXPECT_EQ(L"b", memo.Lines().Get(2));
    EXPECT_EQ(L"a\r\n\r\nb\r\n", memo.EditValue());
}

TEST_F(MemoTest, CtrlASelectsAllOnlyWhenThereIsText) {
    HWND h = memo.Inner().Handle();
    PressKey('A', true);
    DWORD start = 1, end = 1;
    ::SendMessageW(h, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(0u, end);
    memo.Lines().Add(L"first");
    memo.Lines().Add(L"second");
    ::SendMessageW(h, EM_SETSEL, 2, 2);
    PressKey('A', true);
    ::SendMessageW(h, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(0u, start);
    EXPECT_EQ(static_cast<DWORD>(memo.EditValue().size()), end);
}

TEST_F(MemoTest, PasteIsCutToMaxLengthAndRefusedWhenReadOnly) {
    auto put_on_clipboard = [&](const std::wstring& text) {
        ASSERT_TRUE(::OpenClipboard(memo.Inner().Handle()));
        ::EmptyClipboard();
        HGLOBAL data = ::GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
        memcpy(::GlobalLock(data), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        ::GlobalUnlock(data);
        ::SetClipboardData(CF_UNICODETEXT, data);
        ::CloseClipboard();
    };
    memo.Lines().SetText(L"12345678");
    memo.Properties().SetMaxLength(10);
    put_on_clipboard(L"abcdef");
    HWND h = memo.Inner().Handle();
    ::SendMessageW(h, EM_SETSEL, 8, 8);
    ::SendMessageW(h, WM_PASTE, 0, 0);
    EXPECT_EQ(L"12345678ab", memo.EditValue());
    memo.Properties().SetReadOnly(true);
    ::SendMessageW(h, EM_SETSEL, 0, 0);
    ::SendMessageW(h, WM_PASTE, 0, 0);
    EXPECT_EQ(L"12345678ab", memo.EditValue());
}

TEST_F(MemoTest, PaintedBarsFollowTheNativeBars) {
    if (!MemoEditor::CustomScrollBarsAvailable()) GTEST_SKIP() << "native bars in use";
    memo.UpdateScrollBars();
    ControlScrollBar& v = memo.VerticalBar();
    HWND h = memo.Inner().Handle();
    SCROLLBARINFO info{sizeof(info)};
    ASSERT_TRUE(::GetScrollBarInfo(h, OBJID_VSCROLL, &info));
    // Whatever the native bar reports (unavailable while the text fits), the painted one shows alike.
    EXPECT_TRUE(v.Visible());
    EXPECT_EQ(!(info.rgstate[0] & STATE_SYSTEM_UNAVAILABLE), v.Enabled());
    for (int i = 0; i < 200; ++i) memo.Lines().Add(L"line " + std::to_wstring(i));
    Application::Instance().ProcessMessages();  // the posted update runs here
    EXPECT_TRUE(v.Enabled());
    SCROLLINFO si{sizeof(si), SIF_ALL};
    ::GetScrollInfo(h, SB_VERT, &si);
    EXPECT_EQ(si.nMax, v.Max());
    EXPECT_EQ(si.nPos, v.Position());
    // The painted bar lies exactly over the native one.
    POINT tl{info.rcScrollBar.left, info.rcScrollBar.top};
    ::ScreenToClient(memo.Handle(), &tl);
    EXPECT_EQ(tl.x, v.Left());
    // A line step of the painted bar scrolls the native edit by one line.
    int first = static_cast<int>(::SendMessageW(h, EM_GETFIRSTVISIBLELINE, 0, 0));
    ::SendMessageW(h, EM_LINESCROLL, 0, -first);
    v.Scroll(SB_LINEDOWN);
    EXPECT_EQ(1, ::SendMessageW(h, EM_GETFIRSTVISIBLELINE, 0, 0));
    EXPECT_EQ(::GetScrollPos(h, SB_VERT), v.Position());
    // With no text left the native bar is unavailable again, and so is the painted one.
    memo.Lines().Clear();
    Application::Instance().ProcessMessages();
    ASSERT_TRUE(::GetScrollBarInfo(h, OBJID_VSCROLL, &info));
    EXPECT_EQ(!(info.rgstate[0] & STATE_SYSTEM_UNAVAILABLE), v.Enabled());
}

TEST_F(MemoTest, DraggingTheThumbScrollsWherePositionsPassSixteenBits) {
    if (!MemoEditor::CustomScrollBarsAvailable()) GTEST_SKIP() << "native bars in use";
    AddNumberedLines(100001);
    ::SendMessageW(Edit(), EM_SETSEL, 0, 0);
    ::SendMessageW(Edit(), EM_SCROLLCARET, 0, 0);
    BringFormToFront();
    ControlScrollBar& bar = memo.VerticalBar();
    ASSERT_TRUE(bar.Visible() && bar.Enabled());
    ASSERT_EQ(0, FirstVisibleLine());
    const ScrollBarLayout layout = bar.Layout();
    const int track = layout.line_forward.top - layout.line_back.bottom;
    // Where a thumb whose top stands `offset` pixels down the track puts the text.
    auto line_for = [&](int offset) {
        int range = bar.Max() - bar.Min() - (bar.PageSize() - 1);
        return bar.Min() + ::MulDiv(range, offset, track - layout.thumb.Height());
    };
    auto drag = [&](int from_offset, int to_offset, int check_after_steps) {
        const int x = bar.Width() / 2, grip = layout.thumb.Height() / 2;
        testing::MoveMouseTo(OnScreen(bar, x, layout.line_back.bottom + from_offset + grip));
        testing::LeftDown();
        for (int step = 1; step <= 4; ++step) {
            int offset = from_offset + (to_offset - from_offset) * step / 4;
            testing::MoveMouseTo(OnScreen(bar, x, layout.line_back.bottom + offset + grip));
            // The text follows the thumb while the button is held.
            if (step == check_after_steps) {
                EXPECT_EQ(line_for(offset), FirstVisibleLine()) << "step " << step;
            }
        }
        testing::LeftUp();
    };
    const int far_offset = (track - layout.thumb.Height()) * 4 / 5;
    drag(0, far_offset, 2);
    const int far_line = line_for(far_offset);
    ASSERT_GT(far_line, 65535);
    EXPECT_EQ(far_line, FirstVisibleLine());
    EXPECT_EQ(far_line, ::GetScrollPos(Edit(), SB_VERT));
    // The thumb is drawn where it was let go, and stays there.
    std::vector<int> rows = PaintedThumbRows(bar);
    ASSERT_FALSE(rows.empty());
    EXPECT_NEAR(layout.line_back.bottom + far_offset + layout.thumb.Height() / 2, (rows.front() + rows.back()) / 2, 2);
    // Back up, from beyond 65,535 to below it.
    const int near_offset = (track - layout.thumb.Height()) / 4;
    drag(far_offset, near_offset, 3);
    EXPECT_EQ(line_for(near_offset), FirstVisibleLine());
    rows = PaintedThumbRows(bar);
    ASSERT_FALSE(rows.empty());
    EXPECT_NEAR(layout.line_back.bottom + near_offset + layout.thumb.Height() / 2, (rows.front() + rows.back()) / 2, 2);
}

TEST_F(MemoTest, DraggingTheHorizontalThumbScrollsTheText) {
    if (!MemoEditor::CustomScrollBarsAvailable()) GTEST_SKIP() << "native bars in use";
    memo.Properties().SetWordWrap(false);
    for (int i = 0; i < 5; ++i) memo.Lines().Add(std::wstring(2000, L'W'));
    ::SendMessageW(Edit(), EM_SETSEL, 0, 0);
    ::SendMessageW(Edit(), EM_SCROLLCARET, 0, 0);
    BringFormToFront();
    ControlScrollBar& bar = memo.HorizontalBar();
    ASSERT_TRUE(bar.Visible() && bar.Enabled());
    ASSERT_EQ(0, ::GetScrollPos(Edit(), SB_HORZ));
    const ScrollBarLayout layout = bar.Layout();
    const int y = bar.Height() / 2, grip = layout.thumb.left + layout.thumb.Width() / 2;
    const int offset = (layout.line_forward.left - layout.line_back.right - layout.thumb.Width()) / 2;
    testing::MoveMouseTo(OnScreen(bar, grip, y));
    testing::LeftDown();
    testing::MoveMouseTo(OnScreen(bar, grip + offset / 2, y));
    const int halfway = ::GetScrollPos(Edit(), SB_HORZ);
    EXPECT_GT(halfway, 0);  // the text follows while the button is held
    EXPECT_EQ(halfway, bar.Position());
    testing::MoveMouseTo(OnScreen(bar, grip + offset, y));
    testing::LeftUp();
    EXPECT_GT(::GetScrollPos(Edit(), SB_HORZ), halfway);
    EXPECT_EQ(::GetScrollPos(Edit(), SB_HORZ), bar.Position());
    EXPECT_NEAR(layout.thumb.left + offset, bar.Layout().thumb.left, 1);
}

TEST_F(MemoTest, TypingGoesOnAfterAClickOnAPaintedBar) {
    if (!MemoEditor::CustomScrollBarsAvailable()) GTEST_SKIP() << "native bars in use";
    AddNumberedLines(200);
    BringFormToFront();
    testing::ClickAt(testing::CentreOf(Edit()));
    testing::TypeText(L"abc");
    ControlScrollBar& bar = memo.VerticalBar();
    const IntRect& down = bar.Layout().line_forward;
    testing::ClickAt(OnScreen(bar, (down.left + down.right) / 2, (down.top + down.bottom) / 2));
    EXPECT_EQ(Edit(), ::GetFocus());
    testing::TypeText(L"def");
    EXPECT_NE(std::wstring::npos, memo.EditValue().find(L"abcdef"));
    // Ctrl+End reaches the edit: the caret goes to the end, and typing follows it there.
    testing::PressKey(VK_END, true);
    testing::TypeText(L"z");
    const std::wstring text = memo.EditValue();
    EXPECT_EQ(L'z', text.back());
    DWORD start = 0, end = 0;
    ::SendMessageW(Edit(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(static_cast<DWORD>(text.size()), end);
}

TEST_F(MemoTest, EscapeTakesBackWhatWasTypedButNotTheLinesTheProgramAdded) {
    memo.Lines().SetText(L"before\r\n");
    BringFormToFront();
    testing::ClickAt(testing::CentreOf(Edit()));
    ::SendMessageW(Edit(), EM_SETSEL, 0, 0);
    testing::TypeText(L"x");
    memo.Lines().Add(L"added while typing");
    testing::TypeText(L"y");
    memo.Lines().Add(L"added after");
    // (Adding puts the caret at the end, so "y" lands there.)
    ASSERT_EQ(L"xbefore\r\nadded while typing\r\ny\r\nadded after", memo.EditValue());
    testing::PressKey(VK_ESCAPE);
    EXPECT_EQ(L"before\r\nadded while typing\r\nadded after\r\n", memo.EditValue());
    // Nothing typed since: Escape changes nothing; the program's own text
    // replacing the pane is not the user's to undo either.
    testing::PressKey(VK_ESCAPE);
    EXPECT_EQ(L"before\r\nadded while typing\r\nadded after\r\n", memo.EditValue());
    memo.Lines().SetText(L"new\r\n");
    testing::PressKey(VK_ESCAPE);
    EXPECT_EQ(L"new\r\n", memo.EditValue());
}

TEST_F(MemoTest, AWideLineAddedWhileTheTextFitsSetsTheHorizontalBar) {
    if (!MemoEditor::CustomScrollBarsAvailable()) GTEST_SKIP() << "native bars in use";
    memo.Properties().SetWordWrap(false);
    memo.Lines().Add(L"short");
    Application::Instance().ProcessMessages();
    ControlScrollBar& bar = memo.HorizontalBar();
    ASSERT_TRUE(bar.Visible());
    memo.Lines().Add(std::wstring(400, L'W'));
    Application::Instance().ProcessMessages();
    SCROLLINFO si{sizeof(si), SIF_ALL};
    ASSERT_TRUE(::GetScrollInfo(Edit(), SB_HORZ, &si));
    ASSERT_GT(si.nMax, static_cast<int>(si.nPage));  // wider than the pane
    EXPECT_EQ(0, FirstVisibleLine());                // and the text still fits
    EXPECT_EQ(si.nMin, bar.Min());
    EXPECT_EQ(si.nMax, bar.Max());
    EXPECT_EQ(static_cast<int>(si.nPage), bar.PageSize());
    EXPECT_TRUE(bar.Enabled());
}

// The border as the screen shows it: the top two rows and the left two columns.
std::vector<COLORREF> BorderPixels(Control& memo) {
    std::vector<COLORREF> pixels;
    for (int row = 0; row < 2; ++row) {
        auto top = testing::ScreenRow(memo.ClientToScreen({0, row}), 40);
        pixels.insert(pixels.end(), top.begin(), top.end());
    }
    for (int y = 2; y < 40; ++y)
        for (int x = 0; x < 2; ++x) pixels.push_back(testing::ScreenPixel(memo.ClientToScreen({x, y})));
    return pixels;
}

TEST_F(MemoTest, WithHotTrackingTheBorderLightsUpOverTheTextAndGoesOffWithTheMouse) {
    PushButton other;
    other.SetParent(&form);
    other.SetBounds(8, 8, 75, 25);
    memo.Style().SetHotTrack(true);
    BringFormToFront();
    other.SetFocus();
    testing::MoveMouseTo(form.ClientToScreen({300, 20}));
    ASSERT_TRUE(testing::PumpUntil([&] { return memo.ViewInfo().drawn_style == cbsFlat; }));
    testing::PumpUntilPainted(form.Handle());
    const std::vector<COLORREF> idle = BorderPixels(memo);

    // Straight onto the text, never crossing the border itself.
    testing::MoveMouseTo(OnScreen(memo.Inner(), 60, 60));
    EXPECT_TRUE(testing::PumpUntil([&] { return memo.ViewInfo().drawn_style == cbs3D && BorderPixels(memo) != idle; }));
    // Off the window straight from the text, where no message of the program comes.
    testing::MoveMouseTo({5, 5});
    EXPECT_TRUE(testing::PumpUntil([&] { return memo.ViewInfo().drawn_style == cbsFlat && BorderPixels(memo) == idle; }));
    other.SetParent(nullptr);
}

TEST_F(MemoTest, DisabledMemoPaintsItsRingInButtonFace) {
    memo.SetEnabled(false);
    EXPECT_EQ(clBtnFace, memo.ViewInfo().background);
    EXPECT_EQ(clBtnFace, memo.Inner().Color());
    EXPECT_EQ(clBtnShadow, memo.Inner().Font().color);
    memo.SetEnabled(true);
    EXPECT_EQ(clWindow, memo.Inner().Color());
}

}  // namespace
}  // namespace census
