#include "editors/scroll_bar.h"
#include "support/gdi_count.h"

#include "runtime/application.h"
#include "runtime/errors.h"
#include "runtime/form.h"

#include <gtest/gtest.h>

#include <vector>

namespace census {
namespace {

ScrollBarMetrics Vertical(int height, bool enabled = true) {
    ScrollBarMetrics m;
    m.horizontal = false;
    m.width = 16;
    m.height = height;
    m.arrow_size = 16;
    m.fixed_thumb = 16;
    m.enabled = enabled;
    return m;
}

TEST(ScrollBarGeometry, ThumbAndPagesFollowRangeAndPosition) {
    struct Case {
        const char* name;
        ScrollBarMetrics metrics;
        ScrollRange range;
        IntRect thumb;
    };
    // A 116-pixel vertical bar: arrows of 16, a track of 84 from y = 16.
    const Case cases[] = {
        {"page a tenth, at the top", Vertical(116), {0, 99, 10, 0}, {0, 16, 16, 24}},
        {"page a tenth, at the end", Vertical(116), {0, 99, 10, 90}, {0, 92, 16, 100}},
        {"page a half, in the middle", Vertical(116), {0, 99, 50, 25}, {0, 37, 16, 79}},
        {"position beyond the last page stays at the end", Vertical(116), {0, 99, 50, 99}, {0, 58, 16, 100}},
        {"no page: fixed thumb", Vertical(116), {0, 100, 0, 50}, {0, 50, 16, 66}},
        {"max equal to min: no thumb", Vertical(116), {5, 5, 1, 5}, {}},
        {"track shorter than the minimum thumb: no thumb", Vertical(39), {0, 99, 10, 0}, {}},
        {"disabled: no thumb", Vertical(116, false), {0, 99, 10, 0}, {}},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        ScrollBarLayout l = LayoutScrollBar(test.metrics, test.range);
        EXPECT_EQ((IntRect{0, 0, 16, 16}), l.line_back);
        EXPECT_EQ((IntRect{0, test.metrics.height - 16, 16, test.metrics.height}), l.line_forward);
        EXPECT_EQ(test.thumb, l.thumb);
        if (test.thumb.Empty()) {
            EXPECT_TRUE(l.page_back.Empty() && l.page_forward.Empty());
        } else {
            EXPECT_EQ((IntRect{0, 16, 16, test.thumb.top}), l.page_back);
            EXPECT_EQ((IntRect{0, test.thumb.bottom, 16, test.metrics.height - 16}), l.page_forward);
        }
    }
}

TEST(ScrollBarGeometry, ShortBarsSplitTheirLengthBetweenTheArrows) {
    ScrollBarMetrics m;  // horizontal, 20 wide: arrows of 10 each
    m.width = 20;
    m.height = 16;
    ScrollBarLayout l = LayoutScrollBar(m, {0, 10, 2, 0});
    EXPECT_EQ((IntRect{0, 0, 10, 16}), l.line_back);
    EXPECT_EQ((IntRect{10, 0, 20, 16}), l.line_forward);
    EXPECT_TRUE(l.thumb.Empty());
}

TEST(ScrollBarGeometry, HitTestAndPositionFromThumb) {
    ScrollBarMetrics m;  // horizontal, 116 x 16
    m.width = 116;
    m.height = 16;
    ScrollRange range{0, 99, 10, 45};
    ScrollBarLayout l = LayoutScrollBar(m, range);
    ASSERT_EQ((IntRect{54, 0, 62, 16}), l.thumb);
    struct Hit {
        int x, y;
        ScrollPart part;
    };
    for (const Hit& h : {Hit{0, 0, spLineBack}, Hit{115, 15, spLineForward}, Hit{30, 8, spPageBack},
                         Hit{54, 8, spThumb}, Hit{61, 8, spThumb}, Hit{62, 8, spPageForward},
                         Hit{116, 8, spNone}, Hit{50, -1, spNone}}) {
        EXPECT_EQ(h.part, HitTestScrollBar(m, l, h.x, h.y)) << h.x << "," << h.y;
    }
    EXPECT_EQ(45, PositionFromThumb(m, range, l));
    l.thumb = {16, 0, 24, 16};
    EXPECT_EQ(0, PositionFromThumb(m, range, l));
    l.thumb = {92, 0, 100, 16};
    EXPECT_EQ(90, PositionFromThumb(m, range, l));
}

class ScrollBarControl : public ::testing::Test {
protected:
    void SetUp() override {
        form.SetBounds(100, 100, 300, 200);
        bar.SetParent(&form);
        bar.SetKind(ScrollBarKind::Vertical);
        bar.SetBounds(10, 10, 16, 116);
        bar.OnScroll = [this](ScrollBar&, int code, int& pos) { codes.push_back(code); };
        form.Show();
        Application::Instance().ProcessMessages();
    }
    void TearDown() override { bar.SetParent(nullptr); }

    Form form;
    ScrollBar bar;
    std::vector<int> codes;
};

TEST_F(ScrollBarControl, ScrollCodesMoveAndClampThePosition) {
    bar.SetScrollParams(0, 99, true, 10, 50);
    bar.SetSmallChange(1);
    bar.SetLargeChange(10);
    struct Step {
        int code;
        int position;
    };
    for (const Step& s : {Step{SB_LINEDOWN, 51}, Step{SB_PAGEUP, 41}, Step{SB_TOP, 0}, Step{SB_LINEUP, 0},
                          Step{SB_BOTTOM, 99}, Step{SB_PAGEDOWN, 99}, Step{SB_ENDSCROLL, 99}}) {
        bar.Scroll(s.code);
        EXPECT_EQ(s.position, bar.Position()) << s.code;
    }
    // The handler may change the proposed position; it is clamped again.
    bar.OnScroll = [](ScrollBar&, int, int& pos) { pos = 1000; };
    bar.Scroll(SB_TOP);
    EXPECT_EQ(99, bar.Position());
}

TEST_F(ScrollBarControl, OutOfRangeParametersAreRefused) {
    EXPECT_THROW(bar.SetScrollParams(10, 5, true, 0, 5), Exception);
    EXPECT_THROW(bar.SetScrollParams(0, 5, true, 6, 0), Exception);
    bar.SetScrollParams(0, 5, true, 5, 9);
    EXPECT_EQ(5, bar.Position());
}

TEST_F(ScrollBarControl, PressingAnArrowScrollsAtOnceAndReleasingEnds) {
    bar.SetScrollParams(0, 99, true, 10, 50);
    HWND h = bar.Handle();
    ::SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 110));
    EXPECT_EQ(51, bar.Position());
    EXPECT_EQ(spLineForward, bar.PressedPart());
    EXPECT_EQ(h, ::GetCapture());
    ::SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(8, 110));
    EXPECT_EQ(spNone, bar.PressedPart());
    EXPECT_NE(h, ::GetCapture());
    EXPECT_EQ((std::vector<int>{SB_LINEDOWN, SB_ENDSCROLL}), codes);
}

TEST_F(ScrollBarControl, DraggingTheThumbTracksAndSnapsBackFarAcross) {
    bar.SetScrollParams(0, 99, true, 10, 0);
    HWND h = bar.Handle();
    ::SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 18));
    ASSERT_EQ(spThumb, bar.PressedPart());
    // Far enough along to hit the end of the track.
    ::SendMessageW(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(8, 98));
    EXPECT_EQ(90, bar.Position());
    ::SendMessageW(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(8 + 200, 98));
    EXPECT_EQ(0, bar.Position());
    ::SendMessageW(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(8, 98));
    EXPECT_EQ(90, bar.Position());
    ::SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(8, 98));
    EXPECT_EQ(90, bar.Position());
    EXPECT_EQ(SB_THUMBTRACK, codes.front());
    EXPECT_EQ(SB_ENDSCROLL, codes.back());
    EXPECT_NE(codes.end(), std::find(codes.begin(), codes.end(), SB_THUMBPOSITION));
}

TEST_F(ScrollBarControl, PartStatesFollowThePainter) {
    bar.SetScrollParams(0, 99, true, 10, 0);
    HWND h = bar.Handle();
    ::SendMessageW(h, WM_MOUSEMOVE, 0, MAKELPARAM(8, 5));
    EXPECT_EQ(edbsHot, bar.PartState(spLineBack));  // ultra flat by default
    bar.GetLookAndFeel().SetKind(lfFlat);
    EXPECT_EQ(edbsNormal, bar.PartState(spThumb));
    bar.SetEnabled(false);
    EXPECT_EQ(edbsDisabled, bar.PartState(spLineBack));
    EXPECT_TRUE(bar.Layout().thumb.Empty());
}

TEST_F(ScrollBarControl, AThousandPaintsLeaveNoGdiObjectBehind) {
    bar.SetScrollParams(0, 99, true, 10, 30);
    bar.Repaint();
    DWORD before = testing::LiveGdiObjects();
    for (int i = 0; i < 1000; ++i) {
        bar.SetPosition(i % 90);
        bar.Repaint();
    }
    EXPECT_EQ(before, testing::LiveGdiObjects());
}

}  // namespace
}  // namespace census
