// The tree following the disk while another process changes it.
#include "shell/shell_tree.h"

#include "runtime/application.h"
#include "runtime/form.h"
#include "shell/change_watcher.h"
#include "shell/shell_namespace.h"

#include "tree_loading.h"
#include "support/other_process.h"
#include "support/real_input.h"
#include "support/temp_tree.h"

#include <dbt.h>
#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <functional>

namespace census {
namespace {

using testing::RunCommand;
using testing::TempTree;

// Notifications reach the tree a moment after the change; the refresh comes
// after its delay. Both are awaited no longer than this beyond the delay.
constexpr unsigned kSlack = 3000;

bool WaitFor(const std::function<bool()>& done, unsigned ms) {
    const ULONGLONG end = ::GetTickCount64() + ms;
    while (!done()) {
        if (::GetTickCount64() > end) return false;
        Application::Instance().ProcessMessages();
        ::Sleep(10);
    }
    return true;
}

int ThreadCount() {
    UniqueKernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry{sizeof entry};
    int count = 0;
    for (BOOL more = ::Thread32First(snapshot.get(), &entry); more; more = ::Thread32Next(snapshot.get(), &entry))
        if (entry.th32OwnerProcessID == ::GetCurrentProcessId()) ++count;
    return count;
}

std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

// A shown tree, watching, rooted at:  alpha\deep\deeper   Beta
class ShellTreeMonitoring : public ::testing::Test {
protected:
    ShellTreeMonitoring() {
        for (const wchar_t* dir : {L"alpha", L"alpha\\deep", L"alpha\\deep\\deeper", L"Beta"}) temp.Dir(dir);
        form.SetBounds(0, 0, 320, 420);
        tree = std::make_unique<ShellTree>();
        tree->SetParent(&form);
        tree->SetBounds(0, 0, 300, 380);
        tree->OnChange = [this](TreeView&, TreeNode) { ++changes; };
        EXPECT_HRESULT_SUCCEEDED(testing::LoadTreeAt(*tree, temp.Root(), kDefaultShellTreeOptions));
        form.Show();
        testing::HandleInput();
    }
    ~ShellTreeMonitoring() override { tree.reset(); }

    TreeNode Child(TreeNode node, const std::wstring& text) { return testing::ChildWithText(*tree, node, text); }
    std::vector<std::wstring> ChildTexts(TreeNode node) {
        std::vector<std::wstring> out;
        for (TreeNode c = tree->FirstChild(node); c; c = tree->NextSibling(c)) out.push_back(tree->NodeText(c));
        return out;
    }
    // Clicks a node and opens it with the right arrow key, as a user does.
    void ClickAndOpen(TreeNode node) {
        const RECT text = tree->NodeTextRect(node);
        testing::ClickClient(tree->Handle(), {(text.left + text.right) / 2, (text.top + text.bottom) / 2});
        testing::PressKey(VK_RIGHT);
    }
    // alpha and alpha\deep opened by the user; deep selected.
    TreeNode OpenDeep() {
        ClickAndOpen(Child(tree->FirstRoot(), L"alpha"));
        TreeNode deep = Child(Child(tree->FirstRoot(), L"alpha"), L"deep");
        EXPECT_NE(deep, nullptr);
        ClickAndOpen(deep);
        EXPECT_EQ(tree->Selected(), deep);
        EXPECT_TRUE(tree->IsExpanded(deep));
        return deep;
    }

    TempTree temp;
    Form form;
    std::unique_ptr<ShellTree> tree;
    int changes = 0;
};

TEST_F(ShellTreeMonitoring, FolderMadeRenamedAndRemovedElsewhereTwoLevelsDownFollowsInTheTree) {
    TreeNode deep = OpenDeep();
    ASSERT_TRUE(tree->Focused());
    const unsigned within = kFocusedRefreshDelay + kSlack;

    ASSERT_TRUE(RunCommand(L"mkdir " + Quoted(temp.Path(L"alpha\\deep\\Made"))));
    EXPECT_TRUE(WaitFor([&] { return Child(deep, L"Made") != nullptr; }, within));
    EXPECT_EQ(ChildTexts(deep), (std::vector<std::wstring>{L"deeper", L"Made"}));

    ASSERT_TRUE(RunCommand(L"ren " + Quoted(temp.Path(L"alpha\\deep\\Made")) + L" Renamed"));
    EXPECT_TRUE(WaitFor([&] { return Child(deep, L"Renamed") != nullptr; }, within));
    EXPECT_EQ(ChildTexts(deep), (std::vector<std::wstring>{L"deeper", L"Renamed"}));

    ASSERT_TRUE(RunCommand(L"rmdir " + Quoted(temp.Path(L"alpha\\deep\\Renamed"))));
    EXPECT_TRUE(WaitFor([&] { return Child(deep, L"Renamed") == nullptr; }, within));
    EXPECT_EQ(ChildTexts(deep), std::vector<std::wstring>{L"deeper"});

    EXPECT_TRUE(tree->IsExpanded(tree->ParentNode(deep)));
    EXPECT_TRUE(tree->IsExpanded(deep));
    EXPECT_EQ(tree->Selected(), deep);
    EXPECT_EQ(tree->SelectedFolderPath(), temp.Path(L"alpha\\deep"));
}

TEST_F(ShellTreeMonitoring, SelectedFolderRemovedElsewhereHandsTheSelectionToItsParent) {
    TreeNode deep = OpenDeep();
    TreeNode deeper = Child(deep, L"deeper");
    const RECT text = tree->NodeTextRect(deeper);
    testing::ClickClient(tree->Handle(), {(text.left + text.right) / 2, (text.top + text.bottom) / 2});
    ASSERT_EQ(tree->Selected(), deeper);
    changes = 0;
    ASSERT_TRUE(RunCommand(L"rmdir " + Quoted(temp.Path(L"alpha\\deep\\deeper"))));
    EXPECT_TRUE(WaitFor([&] { return tree->Selected() == deep; }, kFocusedRefreshDelay + kSlack));
    EXPECT_EQ(tree->SelectedFolderPath(), temp.Path(L"alpha\\deep"));
    EXPECT_GE(changes, 1) << "the new selection is reported";
}

TEST_F(ShellTreeMonitoring, BurstOfFiftyChangesGivesOneRefresh) {
    TreeNode deep = OpenDeep();
    ::SetFocus(nullptr);  // without the focus the tree waits 2000 ms after the last change
    int refreshes = 0;
    tree->OnFillComplete = [&](ShellTree&) { ++refreshes; };
    ASSERT_TRUE(RunCommand(L"for /l %i in (1,1,50) do @mkdir " + Quoted(temp.Path(L"alpha\\deep\\b%i"))));
    EXPECT_TRUE(WaitFor([&] { return refreshes > 0; }, kUnfocusedRefreshDelay + kSlack));
    WaitFor([] { return false; }, kUnfocusedRefreshDelay + 500);
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(ChildTexts(deep).size(), 51u);
    tree->OnFillComplete = nullptr;
}

TEST_F(ShellTreeMonitoring, WithoutDynamicRefreshNothingIsWatchedAndOnAgainItIs) {
    TreeNode deep = OpenDeep();
    tree->SetOptions(kDefaultShellTreeOptions & ~stoDynamicRefresh);
    ASSERT_TRUE(RunCommand(L"mkdir " + Quoted(temp.Path(L"alpha\\deep\\Unwatched"))));
    EXPECT_FALSE(WaitFor([&] { return Child(deep, L"Unwatched") != nullptr; }, kFocusedRefreshDelay + kSlack));
    tree->SetOptions(kDefaultShellTreeOptions);
    ASSERT_TRUE(RunCommand(L"mkdir " + Quoted(temp.Path(L"alpha\\deep\\Watched"))));
    EXPECT_TRUE(WaitFor([&] { return Child(deep, L"Watched") != nullptr; }, kFocusedRefreshDelay + kSlack));
}

TEST_F(ShellTreeMonitoring, WatcherThreadsEndWithTheTree) {
    OpenDeep();
    tree.reset();
    const int after = ThreadCount();
    auto fresh = std::make_unique<ShellTree>();
    fresh->SetParent(&form);
    fresh->HandleNeeded();  // fills from the desktop and starts watching
    Application::Instance().ProcessMessages();
    EXPECT_GT(ThreadCount(), after);
    const ULONGLONG began = ::GetTickCount64();
    fresh.reset();
    EXPECT_LT(::GetTickCount64() - began, static_cast<ULONGLONG>(kWatchRequestWait));
    EXPECT_EQ(ThreadCount(), after);
}

// Run by the drive test in a process of its own: "define X: target" or
// "remove X: target"; the change is announced as the system announces a volume.
TEST(ShellTreeHelper, DISABLED_DriveDefinition) {
    const std::wstring argument = testing::HelperArgument();
    ASSERT_GE(argument.size(), 10u);
    const bool define = argument.rfind(L"define ", 0) == 0;
    const std::wstring rest = argument.substr(argument.find(L' ') + 1);
    const std::wstring drive = rest.substr(0, 2), target = rest.substr(3);
    ASSERT_TRUE(::DefineDosDeviceW(define ? 0 : DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE,
                                   drive.c_str(), target.c_str()));
    DEV_BROADCAST_VOLUME volume{sizeof volume, DBT_DEVTYP_VOLUME, 0, 1u << (drive[0] - L'A'), 0};
    DWORD_PTR answer = 0;
    ::SendMessageTimeoutW(HWND_BROADCAST, WM_DEVICECHANGE, define ? DBT_DEVICEARRIVAL : DBT_DEVICEREMOVECOMPLETE,
                          reinterpret_cast<LPARAM>(&volume), SMTO_ABORTIFHUNG, 5000, &answer);
}

TEST_F(ShellTreeMonitoring, DriveDefinedAndRemovedElsewhereShowsAndLeavesUnderTheOpenedComputer) {
    wchar_t letter = 0;
    const DWORD drives = ::GetLogicalDrives();
    for (wchar_t l = L'Q'; l <= L'Y' && !letter; ++l)
        if (!(drives & (1u << (l - L'A')))) letter = l;
    ASSERT_NE(letter, 0);
    const std::wstring drive = std::wstring(1, letter) + L":";

    // The computer, opened under the desktop.
    UniqueIdList computer;
    ASSERT_HRESULT_SUCCEEDED(::SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, computer.put()));
    tree->BaseFolder().SetIdList(nullptr);
    tree->SelectedFolder().SetIdList(computer.get());
    TreeNode node = tree->Selected();
    ASSERT_NE(node, nullptr);
    tree->Expand(node);
    auto shows_drive = [&] {
        for (TreeNode c = tree->FirstChild(node); c; c = tree->NextSibling(c))
            if (tree->NodeText(c).find(drive) != std::wstring::npos) return true;
        return false;
    };
    ASSERT_FALSE(shows_drive());

    ASSERT_TRUE(testing::RunHelperTest(L"ShellTreeHelper.DISABLED_DriveDefinition", L"define " + drive + L" " + temp.Root()));
    EXPECT_TRUE(WaitFor(shows_drive, kSlack));
    ASSERT_TRUE(testing::RunHelperTest(L"ShellTreeHelper.DISABLED_DriveDefinition", L"remove " + drive + L" " + temp.Root()));
    EXPECT_TRUE(WaitFor([&] { return !shows_drive(); }, kSlack));
    ::DefineDosDeviceW(DDD_REMOVE_DEFINITION, drive.c_str(), nullptr);
}

}  // namespace
}  // namespace census
