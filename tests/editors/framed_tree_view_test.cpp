#include "editors/framed_tree_view.h"

#include "runtime/application.h"
#include "runtime/errors.h"
#include "runtime/form.h"

#include <gtest/gtest.h>

namespace census {
namespace {

// Paints the frame into a memory bitmap pre-filled with a marker colour.
class FramePixels {
public:
    FramePixels(int width, int height) : width_(width), height_(height) {
        WindowDc screen(nullptr);
        dc_.reset(::CreateCompatibleDC(screen.get()));
        bitmap_.reset(::CreateCompatibleBitmap(screen.get(), width, height));
        select_.emplace(dc_.get(), bitmap_.get());
        UniqueBrush marker(::CreateSolidBrush(kMarker));
        RECT all{0, 0, width, height};
        ::FillRect(dc_.get(), &all, marker.get());
    }
    void Paint(FramedTreeView& tree) {
        Canvas canvas(dc_.get());
        tree.PaintFrame(canvas);
    }
    COLORREF At(int x, int y) const { return ::GetPixel(dc_.get(), x, y); }

    static constexpr COLORREF kMarker = RGB(255, 0, 0);

private:
    int width_, height_;
    UniqueMemoryDc dc_;
    UniqueBitmap bitmap_;
    std::optional<SelectGuard> select_;
};

TEST(FramedTreeViewFrame, DefaultFrameIsOneShadowLineInsideTheWindowColour) {
    struct Case {
        const char* name;
        Sides sides;
        TColor color;
        COLORREF left, top, right, bottom;  // outermost pixel of each side's middle
    } cases[] = {
        {"all sides", sdAll, clWindow, 0, 0, 0, 0},
        {"left and top", sdLeft | sdTop, clWindow, 0, 0, 1, 1},
        {"yellow face", sdAll, clYellow, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        FramedTreeView tree;
        tree.SetBounds(0, 0, 40, 30);
        tree.SetColor(c.color);
        tree.SetFrameSides(c.sides);
        FramePixels pixels(40, 30);
        pixels.Paint(tree);
        const COLORREF shadow = ColorToRgb(clBtnShadow), face = ColorToRgb(c.color);
        auto outer = [&](COLORREF kind) { return kind == 0 ? shadow : face; };
        EXPECT_EQ(pixels.At(0, 15), outer(c.left)) << c.name;
        EXPECT_EQ(pixels.At(20, 0), outer(c.top)) << c.name;
        EXPECT_EQ(pixels.At(39, 15), outer(c.right)) << c.name;
        EXPECT_EQ(pixels.At(20, 29), outer(c.bottom)) << c.name;
        EXPECT_EQ(pixels.At(1, 15), face) << c.name << ": second border pixel erased in the face colour";
        EXPECT_EQ(pixels.At(20, 15), FramePixels::kMarker) << c.name << ": the client area is left alone";
    }
}

class FramedTreeViewWindow : public ::testing::Test {
protected:
    FramedTreeViewWindow() {
        form.SetBounds(0, 0, 200, 200);
        tree.SetParent(&form);
        tree.SetBounds(0, 0, 150, 120);
        for (int i = 0; i < 60; ++i) nodes.push_back(tree.AddChild(nullptr, L"Node " + std::to_wstring(i), 0));
    }
    int ScrollPosition() { return ::GetScrollPos(tree.Handle(), SB_VERT); }

    Form form;
    FramedTreeView tree;
    std::vector<TreeNode> nodes;
};

TEST_F(FramedTreeViewWindow, WindowShowsTheFrameAroundItsClientArea) {
    tree.SetFramingPreference(FramingPreference::CustomFraming);
    tree.SetFrameVisible(true);
    form.Show();
    Application::Instance().ProcessMessages();
    ::RedrawWindow(tree.Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    WindowDc dc(tree.Handle(), true);
    EXPECT_EQ(::GetPixel(dc.get(), 0, 40), ColorToRgb(clBtnShadow));
    EXPECT_EQ(::GetPixel(dc.get(), 1, 40), ColorToRgb(clWindow));
    EXPECT_EQ(::GetPixel(dc.get(), 149, 119), ColorToRgb(clBtnShadow));
}

TEST_F(FramedTreeViewWindow, ColourFollowsStateAndFocusColourFollowsNormal) {
    tree.SetColor(clYellow);
    EXPECT_EQ(tree.NormalColor(), clYellow);
    EXPECT_EQ(tree.FocusColor(), clYellow) << "it was equal to the old normal colour";

    tree.SetFocusColor(clAqua);
    tree.SetColor(clLime);
    EXPECT_EQ(tree.FocusColor(), clAqua) << "a focus colour of its own stays";

    tree.SetEnabled(false);
    EXPECT_EQ(tree.Color(), clBtnFace);
    EXPECT_EQ(tree.NormalColor(), clLime);
    tree.SetEnabled(true);
    EXPECT_EQ(tree.Color(), clLime);
}

TEST(FramedTreeViewLegacy, StoredPropertiesOfOlderForms) {
    struct Case {
        const wchar_t* name;
        const wchar_t* value;
        bool hot_track;
        FrameStyle style, hot_style;
    } cases[] = {
        {L"FrameFlat", L"True", true, fsStatus, fsLowered},
        {L"FrameFlat", L"False", false, fsFlat, fsFlatBold},
        {L"FrameFocusStyle", L"fsRaised", false, fsFlat, fsRaised},
        {L"FrameFlatStyle", L"anything", false, fsFlat, fsFlatBold},
    };
    for (const Case& c : cases) {
        FramedTreeView tree;
        EXPECT_TRUE(tree.ReadLegacyProperty(c.name, c.value)) << c.name;
        EXPECT_EQ(tree.FrameHotTrack(), c.hot_track) << c.name;
        EXPECT_EQ(tree.GetFrameStyle(), c.style) << c.name;
        EXPECT_EQ(tree.FrameHotStyle(), c.hot_style) << c.name;
    }
    FramedTreeView tree;
    EXPECT_FALSE(tree.ReadLegacyProperty(L"Unrelated", L"1"));
    EXPECT_THROW(tree.ReadLegacyProperty(L"FrameFocusStyle", L"fsNoSuchStyle"), Exception);
    EXPECT_THROW(tree.ReadLegacyProperty(L"FrameFlat", L"maybe"), Exception);
}

TEST_F(FramedTreeViewWindow, WheelScrollsByWholeStepsAndNotAboveTheTop) {
    UINT lines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    ::SendMessageW(tree.Handle(), WM_VSCROLL, SB_LINEDOWN, 0);
    ASSERT_EQ(ScrollPosition(), 1);
    tree.Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_EQ(ScrollPosition(), 1) << "a step up would go above the top";
    tree.Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    EXPECT_EQ(ScrollPosition(), 1 + static_cast<int>(lines));
    tree.Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_EQ(ScrollPosition(), 1);
}

TEST_F(FramedTreeViewWindow, AppsKeyAndShiftF10RunTheNodeStepAtTheTextCentre) {
    tree.Select(nodes[2]);
    std::vector<std::pair<TreeNode, POINT>> calls;
    tree.OnNodeContextMenu = [&](FramedTreeView&, TreeNode node, POINT& point, HMENU& menu) {
        calls.push_back({node, point});
        menu = nullptr;  // nothing to show in a test
    };
    WORD apps = VK_APPS;
    tree.Perform(WM_KEYDOWN, apps, 0);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].first, nodes[2]);
    const RECT r = tree.NodeTextRect(nodes[2]);
    EXPECT_EQ(calls[0].second.x, (r.left + r.right) / 2);
    EXPECT_EQ(calls[0].second.y, (r.top + r.bottom) / 2);
    tree.Perform(WM_KEYDOWN, VK_F10, 0);
    EXPECT_EQ(calls.size(), 1u) << "F10 without Shift is not a menu key";
}

}  // namespace
}  // namespace census
