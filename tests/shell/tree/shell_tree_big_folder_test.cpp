#include "shell/tree/shell_tree.h"

#include "runtime/form.h"
#include "shell/namespace/shell_namespace.h"

#include "node_icon.h"
#include "support/real_input.h"
#include "support/temp_tree.h"
#include "tree_loading.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace census {
namespace {

using testing::TempTree;

std::string Utf8(const std::wstring& text) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size - 1 : 0, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
    return out;
}

// A folder of a few thousand sub-folders, created out of their order and
// with mixed case, opened in the shown tree by the keys a user presses. A
// few names sort differently by their characters' codes than by the words
// they spell, so a file system that lists names in code order does not hand
// over the shell's order.
class ShellTreeBigFolder : public ::testing::Test {
protected:
    static constexpr int kNumbered = 2500;

    static std::vector<std::wstring> Names() {
        std::vector<std::wstring> names = {L"_under", L"a-c", L"ab", L"co-op", L"coop", L"~tilde", L"Zeta",
                                           L"\u0401\u0436", L"\u0435\u043b\u044c"};
        for (int i = 0; i < kNumbered; ++i)
            names.push_back((i % 3 ? L"folder " : L"Folder ") + std::to_wstring(i * 7919 % kNumbered));
        return names;
    }

    ShellTreeBigFolder() {
        temp.Dir(L"many");
        for (const std::wstring& name : Names()) temp.Dir(L"many\\" + name);
        form.SetBounds(0, 0, 300, 400);
        tree.SetParent(&form);
        tree.SetBounds(0, 0, 280, 360);
        EXPECT_HRESULT_SUCCEEDED(testing::LoadTreeAt(tree, temp.Root()));
        form.Show();
        testing::PumpUntilPainted(tree.Handle());
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
            ADD_FAILURE_AT(__FILE__, __LINE__) << "\"" << Utf8(tree.NodeText(previous)) << "\" before \""
                                               << Utf8(tree.NodeText(c)) << "\"";
            if (++out_of_order > 5) break;
        }
    }
    const std::vector<std::wstring> names = Names();
    EXPECT_EQ(shown, std::set<std::wstring>(names.begin(), names.end()));

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
