#include "decor/blink_list.h"
#include "decor/link_target.h"
#include "decor/url_label.h"
#include "runtime/form.h"

#include "support/painting.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace census {
namespace {

const FontSpec kLinkFont{L"Verdana", -11, clHighlight, kDefaultCharset, fsUnderline};

class TestLabel : public UrlLabel {
public:
    using UrlLabel::Paint;
    void Load(const std::function<void(UrlLabel&)>& settings) {
        BeginLoading();
        settings(*this);
        EndLoading();
    }
};

// Records what a click asked of the shell instead of starting anything.
struct FakeShell {
    bool succeed = true;
    std::vector<std::wstring> opened;
    std::vector<std::wstring> ran;
    LinkShell Seam() {
        return {[this](const std::wstring& t) {
                    opened.push_back(t);
                    return succeed;
                },
                [this](const std::wstring& c) { ran.push_back(c); }};
    }
};

// A link as the main window has them: Verdana 11 underlined in a flat ring.
std::unique_ptr<TestLabel> MainWindowLink(const std::wstring& caption, FakeShell& shell) {
    auto label = std::make_unique<TestLabel>();
    label->Shell = shell.Seam();
    label->SetBounds(16, 528, 107, 15);
    label->SetFont(kLinkFont);
    label->SetColor(cl3DLight);
    label->SetBorderInner(fsFlat);
    label->SetCaption(caption);
    return label;
}

SIZE TextSize(const FontSpec& described, const std::wstring& text) {
    WindowDc screen(nullptr);
    UniqueFont font = CreateFontFor(described);
    SelectGuard selected(screen.get(), font.get());
    SIZE size{};
    ::GetTextExtentPoint32W(screen.get(), text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}

// The expected picture drawn by hand: a ring of clBtnShadow, the background
// inside, and the text in `color` from (1, 1).
std::unique_ptr<MemoryBitmap> ExpectedLink(int width, int height, const std::wstring& text, TColor color) {
    auto bitmap = std::make_unique<MemoryBitmap>(width, height);
    bitmap->Fill(ColorToRgb(clBtnShadow));
    RECT inside{1, 1, width - 1, height - 1};
    UniqueBrush back(::CreateSolidBrush(ColorToRgb(cl3DLight)));
    ::FillRect(bitmap->Dc(), &inside, back.get());
    UniqueFont font = CreateFontFor(kLinkFont);
    SelectGuard selected(bitmap->Dc(), font.get());
    ::SetBkMode(bitmap->Dc(), TRANSPARENT);
    ::SetTextColor(bitmap->Dc(), ColorToRgb(color));
    ::ExtTextOutW(bitmap->Dc(), 1, 1, ETO_CLIPPED, &inside, text.c_str(), static_cast<UINT>(text.size()), nullptr);
    return bitmap;
}

int DifferingPixels(const MemoryBitmap& a, const MemoryBitmap& b) {
    int n = 0;
    for (int x = 0; x < a.Width(); ++x)
        for (int y = 0; y < a.Height(); ++y) n += a.PixelAt(x, y) != b.PixelAt(x, y);
    return n;
}

class UrlLabelTest : public ::testing::Test {
protected:
    FakeShell shell_;
};

TEST_F(UrlLabelTest, SizesItselfToTheTextPlusTheRing) {
    const std::wstring caption = L"ICQ: 123-456-789";
    auto label = MainWindowLink(caption, shell_);
    SIZE text = TextSize(kLinkFont, caption);
    EXPECT_EQ(16, label->Left());
    EXPECT_EQ(text.cx + 2, label->Width());
    EXPECT_EQ(text.cy + 2, label->Height());

    label->SetCaption(caption + L"0");
    EXPECT_EQ(TextSize(kLinkFont, caption + L"0").cx + 2, label->Width());
    FontSpec bigger = kLinkFont;
    bigger.height = -15;
    label->SetFont(bigger);
    EXPECT_EQ(TextSize(bigger, caption + L"0").cy + 2, label->Height());
}

TEST_F(UrlLabelTest, FramesGrowTheSizeOnTheirSides) {
    const std::wstring caption = L"mailto:someone@example.com";
    auto label = MainWindowLink(caption, shell_);
    label->SetBorderOuter(fsRaised);
    label->SetBorderWidth(1);
    label->SetBorderSides(sdLeft | sdTop);
    SIZE text = TextSize(kLinkFont, caption);
    // Left and top: raised 2 + flat 1 + border 1; right and bottom: border 1.
    EXPECT_EQ(text.cx + 5, label->Width());
    EXPECT_EQ(text.cy + 5, label->Height());
}

TEST_F(UrlLabelTest, RightAlignedLabelKeepsItsRightEdge) {
    auto label = MainWindowLink(L"abc", shell_);
    const int right = label->Left() + label->Width();
    label->SetAlignment(taRightJustify);
    label->SetCaption(L"abcdefgh");
    EXPECT_EQ(right, label->Left() + label->Width());
}

TEST_F(UrlLabelTest, FixedSizeLabelDrawsItsRingOnItsEdges) {
    auto label = MainWindowLink(L"", shell_);
    label->SetAutoSize(false);
    label->SetBounds(16, 528, 107, 15);
    label->SetCaption(L"ICQ: 123-456-789");
    EXPECT_EQ(107, label->Width());
    auto bitmap = PaintOf(*label);
    const TColor ring = ColorToRgb(clBtnShadow);
    for (int y = 0; y < 15; ++y) {
        EXPECT_EQ(ring, bitmap->PixelAt(0, y));
        EXPECT_EQ(ring, bitmap->PixelAt(106, y));
    }
    for (int x = 0; x < 107; ++x) {
        EXPECT_EQ(ring, bitmap->PixelAt(x, 0));
        EXPECT_EQ(ring, bitmap->PixelAt(x, 14));
    }
}

// Both text paths (formatted text, and turned text at angle 0) give the
// picture of the text output at (1, 1) inside the ring.
TEST_F(UrlLabelTest, BothTextPathsDrawTheTextFromInsideTheRing) {
    const std::wstring caption = L"ICQ: 123-456-789";
    for (TextRotation rotation : {roNone, roFlat}) {
        auto label = MainWindowLink(caption, shell_);
        label->SetRotation(rotation);
        auto painted = PaintOf(*label);
        auto expected = ExpectedLink(label->Width(), label->Height(), caption, clHighlight);
        EXPECT_EQ(0, DifferingPixels(*expected, *painted)) << "rotation " << rotation;
    }
}

TEST_F(UrlLabelTest, VisitedLinkTurnsPurple) {
    auto label = MainWindowLink(L"http://www.example.com/", shell_);
    label->Click();
    EXPECT_TRUE(label->Visited());
    EXPECT_EQ(clPurple, label->Font().color);
    EXPECT_EQ(clPurple, label->CurrentColor());
    auto painted = PaintOf(*label);
    auto expected = ExpectedLink(label->Width(), label->Height(), label->Caption(), clPurple);
    EXPECT_EQ(0, DifferingPixels(*expected, *painted));
}

TEST_F(UrlLabelTest, ClickOpensTheRightTargetOrNothing) {
    struct Case {
        const char* name;
        std::wstring url, caption;
        bool shell_succeeds;
        std::vector<std::wstring> opened, ran;
        bool visited;
    } const cases[] = {
        {"address", L"http://a.example/", L"site", true, {L"http://a.example/"}, {}, true},
        {"blank address: the caption", L" \t ", L"mailto:me@example.com", true, {L"mailto:me@example.com"}, {}, true},
        {"blanks around are kept", L"  http://a.example/ ", L"x", true, {L"  http://a.example/ "}, {}, true},
        {"all blank: nothing", L"  ", L" \t", true, {}, {}, false},
        {"empty: nothing", L"", L"", true, {}, {}, false},
        {"failure: unvisited", L"http://a.example/", L"x", false, {L"http://a.example/"}, {}, false},
        {"failed page: chooser", L"http://a.example/Index.HtM", L"x", false, {L"http://a.example/Index.HtM"},
         {kHtmlChooserCommand}, false},
        {"failed .html: nothing more", L"http://a.example/index.html", L"x", false,
         {L"http://a.example/index.html"}, {}, false},
    };
    for (const Case& c : cases) {
        FakeShell shell;
        shell.succeed = c.shell_succeeds;
        auto label = MainWindowLink(c.caption, shell);
        label->SetUrl(c.url);
        int clicks = 0;
        label->OnClick = [&](Control&) {
            ++clicks;
            EXPECT_TRUE(shell.opened.empty()) << c.name << ": OnClick comes first";
        };
        label->Click();
        EXPECT_EQ(1, clicks) << c.name;
        EXPECT_EQ(c.opened, shell.opened) << c.name;
        EXPECT_EQ(c.ran, shell.ran) << c.name;
        EXPECT_EQ(c.visited, label->Visited()) << c.name;
        EXPECT_EQ(c.visited ? clPurple : clHighlight, label->Font().color) << c.name;
    }
}

TEST_F(UrlLabelTest, AVisitedLinkOpensAgainAndStaysVisited) {
    auto label = MainWindowLink(L"http://a.example/", shell_);
    label->Click();
    shell_.succeed = false;
    label->Click();
    EXPECT_EQ(2u, shell_.opened.size());
    EXPECT_TRUE(label->Visited());
    EXPECT_EQ(clPurple, label->Font().color);
}

TEST_F(UrlLabelTest, ColourSettersFollowTheVisitState) {
    auto label = MainWindowLink(L"x", shell_);
    label->SetUnvisitedColor(clGreen);
    EXPECT_EQ(clGreen, label->Font().color);
    label->SetVisitedColor(clRed);
    EXPECT_EQ(clGreen, label->Font().color);
    label->SetVisited(true);
    EXPECT_EQ(clRed, label->Font().color);
}

TEST_F(UrlLabelTest, CreatedUnderlinedInTheHighlightColourWithTheHandCursor) {
    TestLabel a, b;
    EXPECT_EQ(clHighlight, a.Font().color);
    EXPECT_TRUE(a.Font().style & fsUnderline);
    EXPECT_EQ(tsNormal, a.GetTextStyle());
    EXPECT_FALSE(a.Visited());
    EXPECT_NE(nullptr, a.Cursor());
    EXPECT_EQ(a.Cursor(), b.Cursor());
    EXPECT_EQ(::LoadCursorW(nullptr, IDC_HAND), a.Cursor());
}

TEST_F(UrlLabelTest, MousePressAndReleaseOverTheLabelClicks) {
    Form form;
    form.SetBounds(0, 0, 300, 200);
    auto label = MainWindowLink(L"http://a.example/", shell_);
    label->SetBounds(10, 10, label->Width(), label->Height());
    label->SetParent(&form);
    HWND hwnd = label->Handle();
    ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    ::SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(1u, shell_.opened.size());
    ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    ::SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(-5, 3));  // released elsewhere
    ::SendMessageW(hwnd, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(3, 3));
    ::SendMessageW(hwnd, WM_RBUTTONUP, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(1u, shell_.opened.size());
    label.reset();
}

TEST(LinkTarget, ExtensionFollowsTheLastSeparator) {
    struct Case {
        std::wstring target, extension;
    } const cases[] = {
        {L"http://a.example/page.htm", L".HTM"},
        {L"page.Htm", L".HTM"},
        {L"C:\\dir.htm\\file", L""},
        {L"mailto:me@example.htm", L".HTM"},
        {L"mailto:me", L""},
        {L"no extension", L""},
        {L"http://a.example/index.html", L".HTML"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.extension, UpperExtension(c.target)) << c.target.c_str();
}

}  // namespace
}  // namespace census
