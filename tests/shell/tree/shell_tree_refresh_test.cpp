#include "shell/tree/shell_tree.h"

#include "runtime/application.h"
#include "runtime/form.h"
#include "shell/namespace/shell_namespace.h"

#include "support/temp_tree.h"
#include "tree_loading.h"

#include <gtest/gtest.h>

namespace census {
namespace {

using testing::TempTree;

// A tree on a form rooted at a fixture folder:
//   alpha\deep\deeper   Beta\inner   gamma
class ShellTreeRefresh : public ::testing::Test {
protected:
    ShellTreeRefresh() {
        for (const wchar_t* dir : {L"alpha", L"alpha\\deep", L"alpha\\deep\\deeper", L"Beta", L"Beta\\inner", L"gamma"})
            temp.Dir(dir);
        form.SetBounds(0, 0, 300, 400);
        tree.SetParent(&form);
        tree.SetBounds(0, 0, 250, 350);
        tree.OnChange = [this](TreeView&, TreeNode) { ++changes; };
    }

    void Load(ShellTreeOptions options = kDefaultShellTreeOptions & ~stoDynamicRefresh) {
        ASSERT_HRESULT_SUCCEEDED(testing::LoadTreeAt(tree, temp.Root(), options));
    }

    TreeNode Child(TreeNode node, const std::wstring& text) { return testing::ChildWithText(tree, node, text); }
    std::vector<std::wstring> ChildTexts(TreeNode node) {
        std::vector<std::wstring> out;
        for (TreeNode c = tree.FirstChild(node); c; c = tree.NextSibling(c)) out.push_back(tree.NodeText(c));
        return out;
    }
    // alpha\deep opened and selected.
    TreeNode OpenDeep() {
        TreeNode alpha = Child(tree.FirstRoot(), L"alpha");
        tree.Expand(alpha);
        TreeNode deep = Child(alpha, L"deep");
        tree.Expand(deep);
        tree.Select(deep);
        return deep;
    }

    TempTree temp;
    Form form;
    ShellTree tree;
    int changes = 0;
};

TEST_F(ShellTreeRefresh, MergesOpenedFoldersInShellOrderAndKeepsExpansionAndSelection) {
    Load();
    TreeNode root = tree.FirstRoot();
    TreeNode deep = OpenDeep();
    TreeNode alpha = tree.ParentNode(deep);
    TreeNode beta = Child(root, L"Beta");
    temp.Dir(L"alpha\\deep\\Apple");
    temp.Dir(L"alpha\\deep\\zebra");
    temp.Dir(L"Beta\\unseen");
    temp.Dir(L"delta");
    ASSERT_TRUE(::RemoveDirectoryW(temp.Path(L"gamma").c_str()));

    tree.RefreshTree();
    EXPECT_EQ(ChildTexts(root), (std::vector<std::wstring>{L"alpha", L"Beta", L"delta"}));
    EXPECT_EQ(ChildTexts(deep), (std::vector<std::wstring>{L"Apple", L"deeper", L"zebra"}));
    EXPECT_EQ(Child(root, L"alpha"), alpha) << "kept nodes are the same nodes";
    EXPECT_EQ(Child(root, L"Beta"), beta);
    EXPECT_TRUE(tree.IsExpanded(alpha));
    EXPECT_TRUE(tree.IsExpanded(deep));
    EXPECT_EQ(tree.FirstChild(beta), nullptr) << "a folder never opened is not read";
    EXPECT_EQ(tree.Selected(), deep);
    EXPECT_EQ(tree.SelectedFolderPath(), temp.Path(L"alpha\\deep"));
}

TEST_F(ShellTreeRefresh, DeletedSelectedFolderMovesTheSelectionToItsParentAndReportsIt) {
    Load();
    TreeNode deep = OpenDeep();
    tree.Select(Child(deep, L"deeper"));
    changes = 0;
    ASSERT_TRUE(::RemoveDirectoryW(temp.Path(L"alpha\\deep\\deeper").c_str()));
    tree.RefreshTree();
    EXPECT_EQ(tree.Selected(), deep);
    EXPECT_EQ(tree.SelectedFolderPath(), temp.Path(L"alpha\\deep"));
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(tree.HasChildren(deep)) << "an opened folder left empty loses its button";
}

TEST_F(ShellTreeRefresh, FolderReachedByNavigationBeforeTheRefreshIsShownOnce) {
    Load();
    TreeNode deep = OpenDeep();
    temp.Dir(L"alpha\\deep\\late");
    UniqueIdList late;
    ASSERT_HRESULT_SUCCEEDED(ParsePath(temp.Path(L"alpha\\deep\\late"), late));
    tree.SelectedFolder().SetIdList(late.get());
    ASSERT_EQ(tree.NodeText(tree.Selected()), L"late");
    tree.RefreshTree();
    EXPECT_EQ(ChildTexts(deep), (std::vector<std::wstring>{L"deeper", L"late"}));
    EXPECT_EQ(tree.NodeText(tree.Selected()), L"late");
}

}  // namespace
}  // namespace census
