#include "editors/memo_editor.h"

#include "editors/container_view_info.h"
#include "editors/memo_text.h"
#include "runtime/application.h"
#include "runtime/form.h"

#include <gtest/gtest.h>

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

    Form form;
    MemoEditor memo;
};

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
