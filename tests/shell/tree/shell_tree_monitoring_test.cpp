// The tree following the disk while another process changes it.
#include "shell/tree/shell_tree.h"

#include "runtime/application.h"
#include "runtime/form.h"
#include "runtime/path_names.h"
#include "shell/namespace/shell_namespace.h"
#include "shell/tree/shell_tree_messages.h"
#include "shell/watching/change_watcher.h"

#include "support/other_process.h"
#include "support/real_input.h"
#include "support/temp_tree.h"
#include "tree_loading.h"

#include <dbt.h>
#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <mutex>

namespace census {
namespace {

using testing::RunCommand;
using testing::TempTree;

// Notifications reach the tree a moment after the change; the refresh comes
// after its delay. Both are awaited no longer than this beyond the delay.
constexpr unsigned kSlack = 3000;

using testing::PumpUntil;

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
        MakeTree();
    }
    // A new tree in place of the one shown; its watches opened by opener.
    void MakeTree(WatchOpener opener = {}) {
        tree.reset();
        tree = std::make_unique<ShellTree>();
        tree->SetWatchOpener(std::move(opener));
        tree->SetParent(&form);
        tree->SetBounds(0, 0, 300, 380);
        tree->OnChange = [this](TreeView&, TreeNode) { ++changes; };
        EXPECT_HRESULT_SUCCEEDED(testing::LoadTreeAt(*tree, temp.Root(), kDefaultShellTreeOptions));
        form.Show();
        // Shown, and its first watches open before anything changes.
        testing::PumpUntilPainted(tree->Handle());
        tree->WaitWatchesSettled();
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
    // What the screen shows of a node's row left of its icon, where its
    // button is drawn.
    std::vector<COLORREF> ButtonStrip(TreeNode node) {
        const RECT text = tree->NodeTextRect(node);
        const int y = (text.top + text.bottom) / 2;
        const int icon_left = text.left - 20;
        ::UpdateWindow(tree->Handle());
        return testing::ScreenRow(tree->ClientToScreen({0, y}), std::max(icon_left, 1));
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
    EXPECT_TRUE(PumpUntil([&] { return Child(deep, L"Made") != nullptr; }, within));
    EXPECT_EQ(ChildTexts(deep), (std::vector<std::wstring>{L"deeper", L"Made"}));

    ASSERT_TRUE(RunCommand(L"ren " + Quoted(temp.Path(L"alpha\\deep\\Made")) + L" Renamed"));
    EXPECT_TRUE(PumpUntil([&] { return Child(deep, L"Renamed") != nullptr; }, within));
    EXPECT_EQ(ChildTexts(deep), (std::vector<std::wstring>{L"deeper", L"Renamed"}));

    ASSERT_TRUE(RunCommand(L"rmdir " + Quoted(temp.Path(L"alpha\\deep\\Renamed"))));
    EXPECT_TRUE(PumpUntil([&] { return Child(deep, L"Renamed") == nullptr; }, within));
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
    EXPECT_TRUE(PumpUntil([&] { return tree->Selected() == deep; }, kFocusedRefreshDelay + kSlack));
    EXPECT_EQ(tree->SelectedFolderPath(), temp.Path(L"alpha\\deep"));
    EXPECT_GE(changes, 1) << "the new selection is reported";
}

TEST_F(ShellTreeMonitoring, BurstOfFiftyChangesGivesOneRefresh) {
    TreeNode deep = OpenDeep();
    ::SetFocus(nullptr);  // without the focus the tree waits 2000 ms after the last change
    int refreshes = 0;
    tree->OnFillComplete = [&](ShellTree&) { ++refreshes; };
    ASSERT_TRUE(RunCommand(L"for /l %i in (1,1,50) do @mkdir " + Quoted(temp.Path(L"alpha\\deep\\b%i"))));
    EXPECT_TRUE(PumpUntil([&] { return refreshes > 0; }, kUnfocusedRefreshDelay + kSlack));
    EXPECT_FALSE(PumpUntil([&] { return refreshes > 1; }, kUnfocusedRefreshDelay + 500)) << "a second refresh came";
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(ChildTexts(deep).size(), 51u);
    tree->OnFillComplete = nullptr;
}

TEST_F(ShellTreeMonitoring, WithoutDynamicRefreshNothingIsWatchedAndOnAgainItIs) {
    TreeNode deep = OpenDeep();
    tree->SetOptions(kDefaultShellTreeOptions & ~stoDynamicRefresh);
    ASSERT_TRUE(RunCommand(L"mkdir " + Quoted(temp.Path(L"alpha\\deep\\Unwatched"))));
    EXPECT_FALSE(PumpUntil([&] { return Child(deep, L"Unwatched") != nullptr; }, kFocusedRefreshDelay + kSlack));
    tree->SetOptions(kDefaultShellTreeOptions);
    ASSERT_TRUE(RunCommand(L"mkdir " + Quoted(temp.Path(L"alpha\\deep\\Watched"))));
    EXPECT_TRUE(PumpUntil([&] { return Child(deep, L"Watched") != nullptr; }, kFocusedRefreshDelay + kSlack));
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

// The delay a change arms tells whether the tree has the focus.
TEST_F(ShellTreeMonitoring, AChangeWaitsShortWithTheFocusAndLongWithout) {
    TreeNode deep = OpenDeep();
    struct Case {
        const wchar_t* made;
        bool focused;
        unsigned delay;
    } cases[] = {{L"alpha\\deep\\focused", true, kFocusedRefreshDelay},
                 {L"alpha\\deep\\unfocused", false, kUnfocusedRefreshDelay}};
    static_assert(kFocusedRefreshDelay == 400 && kUnfocusedRefreshDelay == 2000);
    for (const Case& c : cases) {
        if (c.focused) {
            ::SetFocus(tree->Handle());
        } else {
            ::SetFocus(nullptr);
        }
        ASSERT_EQ(tree->Focused(), c.focused);
        temp.Dir(c.made);
        ASSERT_TRUE(PumpUntil([&] { return tree->ArmedRefreshDelay() != 0; }, kSlack)) << c.delay;
        EXPECT_EQ(tree->ArmedRefreshDelay(), c.delay);
        EXPECT_TRUE(PumpUntil([&] { return tree->ArmedRefreshDelay() == 0; }, c.delay + kSlack));
        EXPECT_EQ(ChildTexts(deep).size(), c.focused ? 2u : 3u);
    }
}

// Changes already on their way when dynamic refresh is switched off, and
// a refresh already armed, refresh nothing.
TEST_F(ShellTreeMonitoring, SwitchingDynamicRefreshOffStopsEveryRefresh) {
    TreeNode deep = OpenDeep();
    int refreshes = 0;
    tree->OnFillStart = [&](ShellTree&) { ++refreshes; };
    temp.Dir(L"alpha\\deep\\armed");
    ASSERT_TRUE(PumpUntil([&] { return tree->ArmedRefreshDelay() != 0; }, kSlack));
    temp.Dir(L"alpha\\deep\\queued");
    // The change is posted, not yet handled.
    ASSERT_TRUE(testing::WaitUntil([] {
        MSG posted;
        return ::PeekMessageW(&posted, nullptr, kFolderChangeMessage, kFolderChangeMessage, PM_NOREMOVE) != FALSE;
    }, kSlack));
    tree->SetOptions(kDefaultShellTreeOptions & ~stoDynamicRefresh);
    EXPECT_EQ(tree->ArmedRefreshDelay(), 0u);
    EXPECT_FALSE(PumpUntil([&] { return refreshes > 0 || tree->ArmedRefreshDelay() != 0; },
                         kFocusedRefreshDelay + kSlack));
    EXPECT_EQ(ChildTexts(deep), std::vector<std::wstring>{L"deeper"});
    tree->OnFillStart = nullptr;
}

// Stands in for a drive that takes long to open a watch: blocks until released.
class SlowOpener {
public:
    SlowOpener() : release_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    WatchOpener Opener() {
        return [this](const std::wstring& path, bool subtree, DWORD filter) {
            {
                std::lock_guard<std::mutex> hold(lock_);
                opened_.push_back(path);
            }
            if (::WaitForSingleObject(release_.get(), 10000) == WAIT_TIMEOUT) held_too_long = true;
            return ::FindFirstChangeNotificationW(path.c_str(), subtree, filter);
        };
    }
    void Release() { ::SetEvent(release_.get()); }
    std::vector<std::wstring> Opened() {
        std::lock_guard<std::mutex> hold(lock_);
        return opened_;
    }
    std::atomic<bool> held_too_long{false};

private:
    UniqueKernelHandle release_;
    std::mutex lock_;
    std::vector<std::wstring> opened_;
};

// While a drive keeps its watch waiting, the tree answers the user; each
// drive's watch is opened once, and starting again adds no thread.
TEST_F(ShellTreeMonitoring, ASlowDriveDoesNotHoldTheWindow) {
    SlowOpener slow;
    MakeTree(slow.Opener());
    EXPECT_TRUE(PumpUntil([&] { return !slow.Opened().empty(); }, kSlack)) << "opened on the watcher thread";
    TreeNode deep = OpenDeep();  // clicks and keys, answered while the drive hangs
    EXPECT_TRUE(tree->IsExpanded(deep));
    const int threads = ThreadCount();
    tree->SetOptions(kDefaultShellTreeOptions & ~stoDynamicRefresh);
    tree->SetOptions(kDefaultShellTreeOptions);
    EXPECT_EQ(ThreadCount(), threads) << "a second start while the first is unanswered";
    EXPECT_FALSE(slow.held_too_long);
    slow.Release();
    ASSERT_TRUE(tree->WaitWatchesSettled(kSlack));

    temp.Dir(L"alpha\\deep\\Made");
    EXPECT_TRUE(PumpUntil([&] { return Child(deep, L"Made") != nullptr; }, kFocusedRefreshDelay + kSlack));
    EXPECT_EQ(ChildTexts(deep), (std::vector<std::wstring>{L"deeper", L"Made"}));
    const std::vector<std::wstring> opened = slow.Opened();
    for (const std::wstring& path : opened)
        EXPECT_LE(std::count(opened.begin(), opened.end(), path), 2) << "each watch once per start, of two starts";
}

// The rename's own folder is not watched: no change comes from it, and the
// next real change elsewhere must still be shown.
TEST_F(ShellTreeMonitoring, ARenameNoWatchReportsDoesNotHideTheNextChange) {
    const std::wstring root = temp.Root();
    MakeTree([root](const std::wstring& path, bool subtree, DWORD filter) {
        if (SamePath(path, root)) return INVALID_HANDLE_VALUE;
        return ::FindFirstChangeNotificationW(path.c_str(), subtree, filter);
    });
    TreeNode deep = OpenDeep();
    TreeNode beta = Child(tree->FirstRoot(), L"Beta");
    const RECT text = tree->NodeTextRect(beta);
    testing::ClickClient(tree->Handle(), {(text.left + text.right) / 2, (text.top + text.bottom) / 2});
    testing::PressKey(VK_F2);
    ASSERT_TRUE(tree->IsEditing());
    testing::PressKey('A', true);
    testing::TypeText(L"Gamma");
    testing::PressKey(VK_RETURN);
    ASSERT_TRUE(testing::FileExists(temp.Path(L"Gamma")));
    ASSERT_EQ(tree->NodeText(tree->Selected()), L"Gamma");

    ASSERT_TRUE(RunCommand(L"mkdir " + Quoted(temp.Path(L"alpha\\deep\\Made"))));
    EXPECT_TRUE(PumpUntil([&] { return Child(deep, L"Made") != nullptr; }, kUnfocusedRefreshDelay + kSlack));
}

// Beta has no sub-folder and was never opened: where the platform answers
// has-sub-folders truthfully it shows no button (this platform's shell
// answers yes for every folder, so the tree is told what a truthful one
// shows). A folder made in it gives it its button at the next refresh, and
// opening it shows the folder.
TEST_F(ShellTreeMonitoring, AFolderMadeInANeverOpenedFolderGivesItItsButton) {
    TreeNode root = tree->FirstRoot();
    TreeNode beta = Child(root, L"Beta");
    ASSERT_EQ(tree->FirstChild(beta), nullptr);
    tree->SetHasChildren(beta, false);
    ClickAndOpen(Child(root, L"alpha"));
    const std::vector<COLORREF> without_button = ButtonStrip(beta);
    ASSERT_TRUE(RunCommand(L"mkdir " + Quoted(temp.Path(L"Beta\\Made"))));
    testing::PressKey(VK_F5);  // where the drive's watch reports it, the refresh comes by itself
    EXPECT_TRUE(tree->HasChildren(beta));
    EXPECT_NE(without_button, ButtonStrip(beta)) << "the button is drawn";
    EXPECT_EQ(tree->FirstChild(beta), nullptr) << "not filled before it is opened";
    EXPECT_EQ(Child(root, L"Beta"), beta) << "no full refill";
    ClickAndOpen(beta);
    EXPECT_TRUE(tree->IsExpanded(beta));
    EXPECT_EQ(ChildTexts(beta), std::vector<std::wstring>{L"Made"});
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
    EXPECT_TRUE(PumpUntil(shows_drive, kSlack));
    ASSERT_TRUE(testing::RunHelperTest(L"ShellTreeHelper.DISABLED_DriveDefinition", L"remove " + drive + L" " + temp.Root()));
    EXPECT_TRUE(PumpUntil([&] { return !shows_drive(); }, kSlack));
    ::DefineDosDeviceW(DDD_REMOVE_DEFINITION, drive.c_str(), nullptr);
}

}  // namespace
}  // namespace census
