#include "shell/tree/shell_tree.h"

#include "runtime/application.h"
#include "runtime/form.h"
#include "shell/namespace/shell_namespace.h"

#include "node_icon.h"
#include "support/long_path_list.h"
#include "support/real_input.h"
#include "support/temp_tree.h"
#include "tree_loading.h"

#include <gtest/gtest.h>

namespace census {
namespace {

using testing::TempTree;

UniqueIdList Parsed(const std::wstring& path) {
    UniqueIdList list;
    EXPECT_HRESULT_SUCCEEDED(ParsePath(path, list)) << path;
    return list;
}

// A tree on a form, rooted at a fixture folder:
//   alpha\deep\deeper   Beta   files_only\note.txt   hidden (hidden)   empty
class ShellTreeTest : public ::testing::Test {
protected:
    ShellTreeTest() {
        temp.Dir(L"alpha");
        temp.Dir(L"alpha\\deep");
        temp.Dir(L"alpha\\deep\\deeper");
        temp.Dir(L"Beta");
        temp.Dir(L"files_only");
        temp.File(L"files_only\\note.txt");
        temp.Dir(L"hidden");
        temp.Attributes(L"hidden", FILE_ATTRIBUTE_HIDDEN);
        temp.Dir(L"empty");
        temp.File(L"loose.txt");
        form.SetBounds(0, 0, 300, 400);
        tree.SetParent(&form);
        tree.SetBounds(0, 0, 250, 350);
        tree.OnChange = [this](TreeView&, TreeNode) { ++changes; };
    }

    // Loads the tree as a form does: settings first, then the fill.
    void Load(const std::wstring& base, ShellTreeOptions options = kDefaultShellTreeOptions) {
        EXPECT_HRESULT_SUCCEEDED(testing::LoadTreeAt(tree, base, options & ~stoDynamicRefresh)) << base;
    }

    std::vector<std::wstring> ChildTexts(TreeNode node) {
        std::vector<std::wstring> out;
        for (TreeNode c = tree.FirstChild(node); c; c = tree.NextSibling(c)) out.push_back(tree.NodeText(c));
        return out;
    }

    TreeNode Child(TreeNode node, const std::wstring& text) { return testing::ChildWithText(tree, node, text); }

    TempTree temp;
    Form form;
    ShellTree tree;
    int changes = 0;
};

TEST_F(ShellTreeTest, LoadingFillsTheBaseFolderInShellOrderWithoutReporting) {
    Load(temp.Root());
    TreeNode root = tree.FirstRoot();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(tree.NextSibling(root), nullptr) << "one root node";
    EXPECT_EQ(tree.NodeText(root), temp.Root().substr(temp.Root().rfind(L'\\') + 1));
    EXPECT_TRUE(tree.IsExpanded(root));
    EXPECT_EQ(ChildTexts(root), (std::vector<std::wstring>{L"alpha", L"Beta", L"empty", L"files_only", L"hidden"}));
    EXPECT_EQ(tree.Selected(), root);
    EXPECT_EQ(changes, 0) << "no OnChange for the selection made while loading";
    EXPECT_EQ(tree.SelectedFolderPath(), temp.Root());
}

TEST_F(ShellTreeTest, OptionsDecideWhatIsShown) {
    struct Case {
        const char* name;
        ShellTreeOptions options;
        std::vector<std::wstring> children;
    } cases[] = {
        {"without hidden items", kDefaultShellTreeOptions & ~stoShowHidden, {L"alpha", L"Beta", L"empty", L"files_only"}},
        {"with files", kDefaultShellTreeOptions | stoIncludeNonFolders,
         {L"alpha", L"Beta", L"empty", L"files_only", L"hidden", L"loose.txt"}},
    };
    for (const Case& c : cases) {
        tree.SetParent(nullptr);
        tree.SetParent(&form);
        Load(temp.Root(), c.options);
        EXPECT_EQ(ChildTexts(tree.FirstRoot()), c.children) << c.name;
    }
}

TEST_F(ShellTreeTest, ExpansionFillsOnDemandAndDropsTheButtonOfFoldersWithoutSubFolders) {
    Load(temp.Root());
    TreeNode root = tree.FirstRoot();
    TreeNode alpha = Child(root, L"alpha");
    ASSERT_NE(alpha, nullptr);
    EXPECT_TRUE(tree.HasChildren(alpha));
    EXPECT_EQ(tree.FirstChild(alpha), nullptr) << "not filled before it is expanded";
    tree.Expand(alpha);
    EXPECT_EQ(ChildTexts(alpha), std::vector<std::wstring>{L"deep"});

    for (const wchar_t* name : {L"files_only", L"empty"}) {
        TreeNode node = Child(root, name);
        tree.Expand(node);
        EXPECT_EQ(tree.FirstChild(node), nullptr) << name;
        EXPECT_FALSE(tree.HasChildren(node)) << name;
    }
    EXPECT_EQ(changes, 0);
}

TEST_F(ShellTreeTest, NavigatesToADeepFolderAndReportsIt) {
    Load(temp.Root());
    UniqueIdList deeper = Parsed(temp.Path(L"alpha\\deep\\deeper"));
    tree.SelectedFolder().SetIdList(deeper.get());
    ASSERT_NE(tree.Selected(), nullptr);
    EXPECT_EQ(tree.NodeText(tree.Selected()), L"deeper");
    EXPECT_EQ(tree.SelectedFolderPath(), temp.Path(L"alpha\\deep\\deeper"));
    EXPECT_TRUE(tree.IsExpanded(tree.ParentNode(tree.Selected())));
    EXPECT_EQ(changes, 1);

    // Selecting by code keeps the locator in step without navigating back.
    tree.Select(tree.FirstRoot());
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(CompareIdLists(tree.SelectedFolder().IdList(), tree.BaseFolder().IdList()), 0);
}

TEST_F(ShellTreeTest, RecreatedWindowRefillsAndReturnsToTheSelectedFolder) {
    Load(temp.Root());
    UniqueIdList deep = Parsed(temp.Path(L"alpha\\deep"));
    tree.SelectedFolder().SetIdList(deep.get());
    int deleted = 0;
    tree.OnDeleteItem = [&](ShellTree&, TreeNode, ShellTreeData&) { ++deleted; };

    tree.SetFrameVisible(true);
    EXPECT_EQ(tree.NodeCount(), 0) << "the new window starts empty";
    EXPECT_GT(deleted, 0);
    Application::Instance().ProcessMessages();
    ASSERT_GT(tree.NodeCount(), 0) << "filled through the deferred message";
    EXPECT_EQ(tree.SelectedFolderPath(), temp.Path(L"alpha\\deep"));
    tree.OnDeleteItem = nullptr;  // the count dies with this test; the tree's nodes die later
}

TEST_F(ShellTreeTest, AddItemHandlerCanRefuseItems) {
    tree.OnAddItem = [](ShellTree&, IShellFolder* folder, PCIDLIST_ABSOLUTE, PCUITEMID_CHILD item, ULONG,
                        bool& allow) {
        allow = ItemDisplayName(folder, item, DisplayNameKind::InFolder) != L"Beta";
    };
    Load(temp.Root());
    EXPECT_EQ(ChildTexts(tree.FirstRoot()), (std::vector<std::wstring>{L"alpha", L"empty", L"files_only", L"hidden"}));
}

TEST_F(ShellTreeTest, SelectedFolderPathOfDesktopDriveRootAndVirtualFolder) {
    tree.BeginLoading();
    tree.SetOptions(kDefaultShellTreeOptions & ~stoDynamicRefresh);
    tree.HandleNeeded();
    tree.EndLoading();
    EXPECT_EQ(tree.SelectedFolderPath(), GetSpecialFolderPath(CSIDL_DESKTOP));

    UniqueIdList drive = Parsed(L"C:\\");
    tree.SelectedFolder().SetIdList(drive.get());
    EXPECT_EQ(tree.SelectedFolderPath(), L"C:\\");

    UniqueIdList computer;
    ASSERT_HRESULT_SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, computer.put()));
    tree.SelectedFolder().SetIdList(computer.get());
    ASSERT_NE(tree.ShellData(tree.Selected()), nullptr);
    EXPECT_EQ(CompareIdLists(tree.ShellData(tree.Selected())->AbsoluteIdList(), computer.get()), 0);
    EXPECT_EQ(tree.SelectedFolderPath(), L"");
}

TEST_F(ShellTreeTest, NewBaseFolderRefillsAndChangeDelayDefersTheReport) {
    Load(temp.Root());
    UniqueIdList alpha = Parsed(temp.Path(L"alpha"));
    tree.BaseFolder().SetIdList(alpha.get());
    EXPECT_EQ(tree.NodeText(tree.FirstRoot()), L"alpha");
    EXPECT_EQ(ChildTexts(tree.FirstRoot()), std::vector<std::wstring>{L"deep"});
    EXPECT_EQ(tree.SelectedFolderPath(), temp.Path(L"alpha"));
    changes = 0;

    tree.SetChangeDelay(30);
    tree.Select(tree.FirstChild(tree.FirstRoot()));
    EXPECT_EQ(changes, 0) << "reported only after the delay";
    testing::PumpUntil([&] { return changes > 0; }, 1000);
    EXPECT_EQ(changes, 1);
}

TEST_F(ShellTreeTest, HiddenFoldersAreDimmedAndNoOthers) {
    Load(temp.Root());
    TreeNode root = tree.FirstRoot();
    for (const wchar_t* name : {L"alpha", L"Beta", L"empty", L"files_only", L"hidden"})
        EXPECT_EQ(tree.NodeCut(Child(root, name)), std::wstring(name) == L"hidden") << name;
}

// A chosen folder of 300 characters, below a parent the shell still parses:
// its path, and the folders below it.
TEST_F(ShellTreeTest, ChosenFolderOfThreeHundredCharactersHasItsPathAndExpands) {
    std::vector<std::wstring> names;
    std::wstring relative;
    auto add = [&](size_t length) {
        names.push_back(std::wstring(length, static_cast<wchar_t>(L'a' + names.size())));
        relative += (relative.empty() ? L"" : L"\\") + names.back();
        temp.Dir(relative);
    };
    while (temp.Path(relative).size() < 150) add(50);
    add(300 - temp.Path(relative).size() - 1);
    const std::wstring chosen = temp.Path(relative);
    ASSERT_EQ(chosen.size(), 300u);
    Load(temp.Root());
    UniqueIdList list = testing::LongPathList(temp.Root(), names);
    ASSERT_TRUE(list);
    temp.Dir(relative + L"\\inner");
    temp.Dir(relative + L"\\inner\\innermost");
    temp.Dir(relative + L"\\Another");
    tree.SelectedFolder().SetIdList(list.get());
    TreeNode selected = tree.Selected();
    EXPECT_EQ(tree.NodeText(selected), names.back());
    EXPECT_EQ(tree.SelectedFolderPath(), chosen);

    EXPECT_TRUE(tree.HasChildren(selected));
    tree.Expand(selected);
    EXPECT_EQ(ChildTexts(selected), (std::vector<std::wstring>{L"Another", L"inner"}));
    TreeNode inner = Child(selected, L"inner");
    ASSERT_NE(inner, nullptr);
    EXPECT_TRUE(tree.HasChildren(inner));
    EXPECT_FALSE(tree.HasChildren(Child(selected, L"Another")));
    tree.Expand(inner);
    EXPECT_EQ(ChildTexts(inner), std::vector<std::wstring>{L"innermost"});
    tree.Select(tree.FirstChild(inner));
    EXPECT_EQ(tree.SelectedFolderPath(), chosen + L"\\inner\\innermost");
}

// The image each of the desktop's children shows, read from the screen,
// against the icon the shell names for its item.
class ShellTreeIcons : public ::testing::Test {
protected:
    Form form;
    ShellTree tree;
};

TEST_F(ShellTreeIcons, EveryChildOfTheDesktopShowsItsOwnIcon) {
    form.SetBounds(0, 0, 300, 400);
    tree.SetParent(&form);
    tree.SetBounds(0, 0, 280, 360);
    tree.BeginLoading();
    tree.SetOptions(kDefaultShellTreeOptions & ~stoDynamicRefresh);
    tree.HandleNeeded();
    tree.EndLoading();
    form.Show();
    testing::PumpUntilPainted(tree.Handle());
    tree.Update();
    int compared = 0;
    for (TreeNode node = tree.FirstChild(tree.FirstRoot()); node; node = tree.NextSibling(node)) {
        UniqueIcon expected = testing::ShellIcon(tree.ShellData(node)->AbsoluteIdList());
        if (!expected) continue;
        ++compared;
        EXPECT_GT(testing::Likeness(tree, node, expected.get()), 0.9) << tree.NodeText(node);
    }
    EXPECT_GE(compared, 2);
}

TEST(ShellTreeWithoutWindow, PathIsEmpty) {
    ShellTree tree;
    EXPECT_EQ(tree.SelectedFolderPath(), L"");
}

}  // namespace
}  // namespace census
