#include "shell/shell_tree.h"

#include "runtime/form.h"
#include "shell/shell_namespace.h"

#include "node_icon.h"
#include "support/real_input.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace census {
namespace {

using testing::TempTree;

// The fixture's names are plain ASCII.
std::string Ascii(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) out += static_cast<char>(c);
    return out;
}

// A folder of a few thousand sub-folders, created out of their order and
// with mixed case, opened in the shown tree by the keys a user presses.
class ShellTreeBigFolder : public ::testing::Test {
protected:
    static constexpr int kFolders = 2500;

    static std::wstring Name(int i) {
        return (i % 3 ? L"folder " : L"Folder ") + std::to_wstring(i * 7919 % kFolders);
    }

    ShellTreeBigFolder() {
        temp.Dir(L"many");
        for (int i = 0; i < kFolders; ++i) temp.Dir(L"many\\" + Name(i));
        form.SetBounds(0, 0, 300, 400);
        tree.SetParent(&form);
        tree.SetBounds(0, 0, 280, 360);
        tree.BeginLoading();
        tree.SetOptions(kDefaultShellTreeOptions & ~stoDynamicRefresh);
        UniqueIdList base;
        EXPECT_HRESULT_SUCCEEDED(ParsePath(temp.Root(), base));
        tree.BaseFolder().SetIdList(base.get());
        tree.HandleNeeded();
        tree.EndLoading();
        form.Show();
        testing::HandleInput();
    }

    // Every row in view shows the icon the shell gives for its item (the
    // open one on the selected row).
    void ExpectIconsInView(const char* where) {
        tree.Update();
        const HWND h = tree.Handle();
        const int rows = static_cast<int>(TreeView_GetVisibleCount(h));
        int checked = 0;
        for (TreeNode n = TreeView_GetFirstVisible(h); n && checked < rows; n = TreeView_GetNextVisible(h, n)) {
            UniqueIcon expected = testing::ShellIcon(tree.ShellData(n)->AbsoluteIdList(), n == tree.Selected());
            ASSERT_TRUE(expected) << where;
            EXPECT_GT(testing::Likeness(tree, n, expected.get()), 0.9) << where << ": " << tree.NodeText(n);
            ++checked;
        }
        EXPECT_GE(checked, 10) << where;
    }

    TempTree temp;
    Form form;
    ShellTree tree;
};

TEST_F(ShellTreeBigFolder, OpensInTheShellsOrderAndEveryRowInViewShowsItsIcon) {
    TreeNode many = tree.FirstChild(tree.FirstRoot());
    ASSERT_NE(many, nullptr);
    const RECT text = tree.NodeTextRect(many);
    testing::ClickClient(tree.Handle(), {(text.left + text.right) / 2, (text.top + text.bottom) / 2});
    testing::PressKey(VK_RIGHT);  // opens the folder
    testing::PressKey(VK_RIGHT);  // and steps to its first sub-folder
    ASSERT_TRUE(tree.IsExpanded(many));
    EXPECT_EQ(tree.Selected(), tree.FirstChild(many));

    IShellFolder* folder = tree.ShellData(many)->NodeFolder();
    ASSERT_NE(folder, nullptr);
    std::set<std::wstring> shown;
    int out_of_order = 0;
    TreeNode previous = nullptr;
    for (TreeNode c = tree.FirstChild(many); c; previous = c, c = tree.NextSibling(c)) {
        shown.insert(tree.NodeText(c));
        if (!previous) continue;
        const HRESULT hr = folder->CompareIDs(0, tree.ShellData(previous)->RelIdList(), tree.ShellData(c)->RelIdList());
        if (FAILED(hr) || static_cast<short>(HRESULT_CODE(hr)) >= 0) {
            ADD_FAILURE_AT(__FILE__, __LINE__) << "\"" << Ascii(tree.NodeText(previous)) << "\" before \""
                                               << Ascii(tree.NodeText(c)) << "\"";
            if (++out_of_order > 5) break;
        }
    }
    std::set<std::wstring> made;
    for (int i = 0; i < kFolders; ++i) made.insert(Name(i));
    EXPECT_EQ(shown, made);

    ExpectIconsInView("opened");
    for (int page = 1; page <= 3; ++page) {
        testing::PressKey(VK_NEXT);
        ExpectIconsInView("a page down");
    }
    testing::PressKey(VK_END);
    ExpectIconsInView("at the end");
    EXPECT_EQ(tree.Selected(), previous) << "End selects the last sub-folder";
}

}  // namespace
}  // namespace census
