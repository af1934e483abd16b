#include "shell/namespace/shell_context_menu.h"
#include "shell/tree/shown_shell_tree.h"
#include "shell/tree/folder_name_rules.h"

#include "support/real_input.h"

#include <gtest/gtest.h>
#include <shlobj.h>

namespace census {
namespace {

using namespace census::testing;

class ShellTreeCommands : public ShownShellTree {
protected:
    // Typed letter by letter, as a hand types, and handled.
    void Type(const std::wstring& letters) {
        bool handled = false;
        Perform([&] {
            for (wchar_t c : letters) {
                const WORD key = c == L' ' ? VK_SPACE : static_cast<WORD>(std::towupper(c));
                KeyDown(key);
                KeyUp(key);
                Pause(20);  // a hand's pace between letters, not a wait for the program
            }
            handled = InputBarrier();
        });
        EXPECT_TRUE(handled) << "the letters reached the tree's thread";
    }
    // Right click on node, then the menu's last entry (rename) by keys;
    // whether the menu showed.
    bool RenameFromMenu(TreeNode node) {
        const POINT p = Center(node);
        bool menu_seen = false;
        Perform([&] {
            PointerTo(p);
            Pause(50);
            ButtonDown(true);
            ButtonUp(true);
            menu_seen = WaitUntil([] { return ShownMenu() != nullptr; });
            KeyDown(VK_UP);  // from nothing highlighted to the last entry: rename
            KeyUp(VK_UP);
            KeyDown(VK_RETURN);
            KeyUp(VK_RETURN);
            WaitUntil([] { return ShownMenu() == nullptr; });
        });
        return menu_seen;
    }
    // A dialog box of this process on screen.
    static HWND ShownDialog() {
        return WaitForOwnWindow([](HWND h) {
            wchar_t cls[16] = L"";
            ::GetClassNameW(h, cls, 16);
            return std::wstring(cls) == L"#32770";
        }, 0);
    }
};

TEST_F(ShellTreeCommands, AVerbNoCommandMatchesRunsNothingButTheRefresh) {
    Load(temp.Root());
    int fills = 0;
    tree.OnFillStart = [&](ShellTree&) { ++fills; };
    EXPECT_EQ(tree.InvokeVerb(Top(L"alpha"), L"no-such-verb"), HRESULT_FROM_WIN32(ERROR_NOT_FOUND));
    EXPECT_GT(fills, 0) << "the refresh is kept";
    EXPECT_EQ(ReadBytes(temp.Path(L"alpha\\inner\\a.txt")), "abc");
    EXPECT_EQ(CountEntries(temp.Root()), 3);
    EXPECT_EQ(tree.InvokeVerb(tree.FirstRoot(), L"delete"), S_FALSE) << "no verb on the root";

    ComPtr<IShellFolder> parent;
    UniqueIdList parent_list, item, alpha;
    ASSERT_HRESULT_SUCCEEDED(ParsePath(temp.Path(L"alpha"), alpha));
    ASSERT_HRESULT_SUCCEEDED(SplitParentAndItem(alpha.get(), parent, parent_list, item));
    ComPtr<IContextMenu> menu;
    ASSERT_HRESULT_SUCCEEDED(ItemContextMenu(parent.get(), item.get(), nullptr, menu));
    EXPECT_FALSE(FindVerbOffset(menu.get(), L"no-such-verb").has_value());
    EXPECT_TRUE(FindVerbOffset(menu.get(), L"DELETE").has_value()) << "verbs match in any case";
}

TEST_F(ShellTreeCommands, F2RenamesInPlaceWithTheBlanksTrimmed) {
    Load(temp.Root());
    std::vector<std::wstring> reported;
    tree.OnChange = [&](TreeView&, TreeNode) { reported.push_back(tree.SelectedFolderPath()); };
    ClickOn(Top(L"alpha"));
    Press({VK_F2});
    ASSERT_TRUE(tree.IsEditing());
    Press({VK_CONTROL, 'A'});
    Type(L"  renamed  ");
    Press({VK_RETURN});
    EXPECT_FALSE(tree.IsEditing());
    EXPECT_EQ(ReadBytes(temp.Path(L"renamed\\inner\\a.txt")), "abc");
    EXPECT_FALSE(FileExists(temp.Path(L"alpha")));
    ASSERT_NE(tree.Selected(), nullptr);
    EXPECT_EQ(tree.NodeText(tree.Selected()), L"renamed");
    EXPECT_EQ(tree.SelectedFolderPath(), temp.Path(L"renamed"));
    ASSERT_FALSE(reported.empty());
    EXPECT_EQ(reported.back(), temp.Path(L"renamed")) << "the shown path follows";
    std::vector<std::wstring> order;
    for (TreeNode c = tree.FirstChild(tree.FirstRoot()); c; c = tree.NextSibling(c)) order.push_back(tree.NodeText(c));
    EXPECT_EQ(order, (std::vector<std::wstring>{L"Beta", L"gamma", L"renamed"})) << "re-sorted";
    tree.Expand(tree.Selected());
    ASSERT_NE(Child(tree.Selected(), L"inner"), nullptr);
    EXPECT_EQ(tree.ShellData(Child(tree.Selected(), L"inner"))->Path(), temp.Path(L"renamed\\inner"));
}

TEST_F(ShellTreeCommands, F2ThenEscChangesNothing) {
    Load(temp.Root());
    ClickOn(Top(L"alpha"));
    Press({VK_F2});
    ASSERT_TRUE(tree.IsEditing());
    Type(L"other");
    Press({VK_ESCAPE});
    EXPECT_FALSE(tree.IsEditing());
    EXPECT_TRUE(FileExists(temp.Path(L"alpha")));
    EXPECT_FALSE(FileExists(temp.Path(L"other")));
    EXPECT_NE(Top(L"alpha"), nullptr);
}

TEST_F(ShellTreeCommands, OtherKeysReachThePlatformTree) {
    Load(temp.Root());
    ClickOn(Top(L"alpha"));
    Press({VK_DOWN});
    EXPECT_EQ(tree.Selected(), Top(L"Beta"));
    Press({VK_RIGHT});
    EXPECT_FALSE(tree.IsExpanded(Top(L"Beta"))) << "nothing to open";
    Press({VK_UP});
    Press({VK_RIGHT});
    EXPECT_TRUE(tree.IsExpanded(Top(L"alpha")));
}

TEST_F(ShellTreeCommands, EachCommandKeyRefreshesOnceAtMost) {
    Load(temp.Root());
    int refreshes = 0;
    tree.OnFillStart = [&](ShellTree&) { ++refreshes; };
    ::OleSetClipboard(nullptr);
    struct Case {
        const char* name;
        bool on_root;
        std::initializer_list<WORD> keys;
        int refreshes;
    } cases[] = {
        {"F5", false, {VK_F5}, 1},
        {"Ctrl+C", false, {VK_CONTROL, 'C'}, 1},
        {"Ctrl+V refused: the verb's only", false, {VK_CONTROL, 'V'}, 1},
        {"Ctrl+C on the root: no verb", true, {VK_CONTROL, 'C'}, 0},
        {"Ctrl+V on the root: no verb, the key's refresh", true, {VK_CONTROL, 'V'}, 1},
        {"Del on the root: no verb, the key's refresh", true, {VK_DELETE}, 1},
    };
    for (const Case& c : cases) {
        TreeNode target = c.on_root ? tree.FirstRoot() : Top(L"Beta");
        if (tree.Selected() != target) ClickOn(target);  // a click on the selected label would start an edit
        refreshes = 0;
        Press(c.keys);
        EXPECT_EQ(refreshes, c.refreshes) << c.name;
    }
    EXPECT_EQ(CountEntries(temp.Root()), 3);
    EXPECT_EQ(CountEntries(temp.Path(L"Beta")), 0);
    EXPECT_EQ(recorded.boxes.size(), 1u) << "Beta pasted into itself is refused";
}

TEST_F(ShellTreeCommands, ANameLongerThanTheShellTakesIsRefused) {
    Load(temp.Root());
    tree.EditLabel(Top(L"gamma"));
    ASSERT_TRUE(tree.IsEditing());
    ::SetWindowTextW(tree.EditControl(), std::wstring(300, L'n').c_str());
    Press({VK_RETURN});
    EXPECT_EQ(recorded.boxes.size(), 1u);
    EXPECT_TRUE(FileExists(temp.Path(L"gamma")));
    EXPECT_NE(Top(L"gamma"), nullptr) << "the node keeps its old text";
}

// F2, the name typed, Enter: a name the platform would refuse or cut is
// refused with the reason, and the folder and its node keep their name.
TEST_F(ShellTreeCommands, RefusedNamesSayWhyAndTheFolderKeepsItsName) {
    Load(temp.Root());
    const std::size_t room = NameRoomIn(temp.Root());
    ASSERT_GT(room, 10u);
    struct Case {
        std::wstring name;
        const wchar_t* reason;  // a part of the message
    } cases[] = {
        {L"a:b", L"«:»"},
        {L"con", L"зарезервировано"},
        {L"nul", L"зарезервировано"},
        {L"lpt1", L"зарезервировано"},
        {L"con.txt", L"зарезервировано"},
        {L"x\\y", L"«\\»"},
        {L"a*b", L"«*»"},
        {L"a?b", L"«?»"},
        {L"a|b", L"«|»"},
        {L"a\"b", L"«\"»"},
        {L"a<b", L"«<»"},
        {L"..\\escaped", L"«\\»"},
        {L"   ", L"пробел"},
        {std::wstring(room + 1, L'n'), L"помещается знаков: "},
        {std::wstring(256, L'n'), L"помещается знаков: "},
    };
    ClickOn(Top(L"gamma"));
    for (const Case& c : cases) {
        const std::string label = ::testing::PrintToString(c.name);
        recorded.boxes.clear();
        Press({VK_F2});
        ASSERT_TRUE(tree.IsEditing()) << label;
        Press({VK_CONTROL, 'A'});
        TypeText(c.name);
        Press({VK_RETURN});
        EXPECT_FALSE(tree.IsEditing()) << label;
        ASSERT_EQ(recorded.boxes.size(), 1u) << label;
        EXPECT_NE(recorded.boxes[0].text.find(c.reason), std::wstring::npos) << label;
        if (c.name.size() > room) {
            EXPECT_NE(recorded.boxes[0].text.find(std::to_wstring(room)), std::wstring::npos) << label;
        }
        EXPECT_EQ(tree.NodeText(tree.Selected()), L"gamma") << label;
        EXPECT_TRUE(FileExists(temp.Path(L"gamma"))) << label;
        EXPECT_EQ(CountEntries(temp.Root()), 3) << label;
    }

    // The longest name that fits is taken whole.
    const std::wstring longest(room, L'l');
    recorded.boxes.clear();
    Press({VK_F2});
    Press({VK_CONTROL, 'A'});
    TypeText(longest);
    Press({VK_RETURN});
    EXPECT_TRUE(recorded.boxes.empty());
    EXPECT_TRUE(FileExists(temp.Path(longest)));
    EXPECT_EQ(tree.NodeText(tree.Selected()), longest);
}

// The name an entry has on disk, in its own case ("" when there is none).
std::wstring NameOnDisk(const std::wstring& path) {
    WIN32_FIND_DATAW found{};
    UniqueFindHandle search(::FindFirstFileW(Long(path).c_str(), &found));
    return search ? found.cFileName : L"";
}

// F2, the new name typed, Enter: a rename either happens, on disk and in the
// node, or says why in a message while the folder and its node keep their
// name. Some cases depend on the platform (a file system that holds the
// name, a shell that renames on its desktop): they may go either way, but
// never silently.
TEST_F(ShellTreeCommands, EveryRenameHappensOrSaysWhy) {
    enum class Outcome { Renamed, Refused, Either };
    const std::wstring desktop = GetSpecialFolderPath(CSIDL_DESKTOPDIRECTORY);
    ASSERT_FALSE(desktop.empty());
    const std::wstring mark = std::to_wstring(::GetCurrentProcessId());
    struct Case {
        const char* name;
        bool on_desktop;
        std::wstring old_name, typed;
        Outcome outcome;
        const wchar_t* reason;  // a part of the message when refused
    } cases[] = {
        {"a folder directly on the desktop", true, L"census-rn-" + mark, L"RNX-" + mark, Outcome::Either, L"census-rn-"},
        {"a name of 200 Cyrillic letters (400 bytes)", false, L"cyr", std::wstring(200, L'ж'), Outcome::Either, L"255"},
        {"a sibling's name in another case", false, L"gamma", L"other", Outcome::Refused, L"«Other»"},
        {"only the case changes", false, L"XC4", L"xc4", Outcome::Renamed, L""},
    };
    temp.Dir(L"cyr");
    temp.Dir(L"Other");
    temp.Dir(L"XC4");
    temp.File(L"XC4\\kept.txt", "kept");
    const std::wstring on_desktop = desktop + L"\\" + cases[0].old_name;
    ASSERT_TRUE(::CreateDirectoryW(on_desktop.c_str(), nullptr));
    ScopeExit clean([&] {
        ::RemoveDirectoryW(on_desktop.c_str());
        ::RemoveDirectoryW((desktop + L"\\" + cases[0].typed).c_str());
    });
    Load(temp.Root());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UniqueIdList root;  // the desktop, or the fixture's folder
        if (!c.on_desktop) {
            ASSERT_HRESULT_SUCCEEDED(ParsePath(temp.Root(), root));
        }
        tree.BaseFolder().SetIdList(root.get());
        Application::Instance().ProcessMessages();
        const std::wstring parent = c.on_desktop ? desktop : temp.Root();
        const int entries = CountEntries(parent);
        TreeNode node = Top(c.old_name);
        ASSERT_NE(node, nullptr);
        recorded.boxes.clear();
        ClickOn(node);
        Press({VK_F2});
        ASSERT_TRUE(tree.IsEditing());
        Press({VK_CONTROL, 'A'});
        TypeText(c.typed);
        Press({VK_RETURN});
        EXPECT_FALSE(tree.IsEditing());

        const bool renamed = NameOnDisk(parent + L"\\" + c.typed) == c.typed;
        if (c.outcome != Outcome::Either) {
            EXPECT_EQ(renamed, c.outcome == Outcome::Renamed);
        }
        EXPECT_EQ(CountEntries(parent), entries) << "one folder, renamed once or not at all";
        if (renamed) {
            EXPECT_TRUE(recorded.boxes.empty()) << ToUtf8(recorded.boxes.empty() ? L"" : recorded.boxes[0].text);
            EXPECT_EQ(tree.NodeText(tree.Selected()), c.typed);
        } else {
            EXPECT_EQ(NameOnDisk(parent + L"\\" + c.old_name), c.old_name) << "the folder keeps its name";
            EXPECT_EQ(tree.NodeText(tree.Selected()), c.old_name) << "the node keeps its name";
            ASSERT_EQ(recorded.boxes.size(), 1u) << "a rename that does not happen says why";
            EXPECT_EQ(recorded.boxes[0].Icon(), static_cast<UINT>(MB_ICONSTOP));
            EXPECT_NE(recorded.boxes[0].text.find(c.reason), std::wstring::npos) << ToUtf8(recorded.boxes[0].text);
        }
    }
    EXPECT_EQ(ReadBytes(temp.Path(L"xc4\\kept.txt")), "kept");
}

// The selection lies inside the folder renamed through the menu: its path,
// as the tree answers it and as reported to the window, follows.
TEST_F(ShellTreeCommands, RenamingAnAncestorOfTheSelectionMovesTheSelectedPath) {
    Load(temp.Root());
    std::vector<std::wstring> reported;
    tree.OnChange = [&](TreeView&, TreeNode) { reported.push_back(tree.SelectedFolderPath()); };
    tree.Expand(Top(L"alpha"));
    Application::Instance().ProcessMessages();
    ClickOn(Child(Top(L"alpha"), L"inner"));
    ASSERT_EQ(tree.SelectedFolderPath(), temp.Path(L"alpha\\inner"));
    ASSERT_TRUE(RenameFromMenu(Top(L"alpha")));
    ASSERT_TRUE(tree.IsEditing());
    Press({VK_CONTROL, 'A'});
    Type(L"moved");
    Press({VK_RETURN});
    ASSERT_TRUE(FileExists(temp.Path(L"moved\\inner")));
    EXPECT_EQ(tree.NodeText(tree.Selected()), L"inner");
    EXPECT_EQ(tree.SelectedFolderPath(), temp.Path(L"moved\\inner"));
    ASSERT_FALSE(reported.empty());
    EXPECT_EQ(reported.back(), temp.Path(L"moved\\inner"));
    UniqueIdList expected;
    ASSERT_HRESULT_SUCCEEDED(ParsePath(temp.Path(L"moved\\inner"), expected));
    EXPECT_EQ(CompareIdLists(tree.SelectedFolder().IdList(), expected.get()), 0) << "the selected folder follows";
}

TEST_F(ShellTreeCommands, AFailedRenameDoesNotHideTheNextChangeOnDisk) {
    Load(temp.Root(), true);
    ClickOn(Top(L"gamma"));
    Press({VK_F2});
    ASSERT_TRUE(tree.IsEditing());
    ::SetWindowTextW(tree.EditControl(), L"Beta");  // taken: the shell refuses
    Press({VK_RETURN});
    EXPECT_TRUE(FileExists(temp.Path(L"gamma")));
    EXPECT_NE(Top(L"gamma"), nullptr) << "the node keeps its old text";

    temp.Dir(L"fresh");
    EXPECT_TRUE(PumpUntil([&] { return Top(L"fresh") != nullptr; }, 6000))
        << "the change after the failed rename is not swallowed";
}

TEST_F(ShellTreeCommands, CtrlCThenCtrlVCopiesIntoTheSelectedFolder) {
    Load(temp.Root());
    ClickOn(Top(L"alpha"));
    Press({VK_CONTROL, 'C'});
    ClickOn(Top(L"Beta"));
    int refreshes = 0;
    tree.OnFillStart = [&](ShellTree&) { ++refreshes; };
    Press({VK_CONTROL, 'V'});
    EXPECT_EQ(refreshes, 1) << "the transfer's end refreshes; the key adds none";
    EXPECT_EQ(ReadBytes(temp.Path(L"Beta\\alpha\\inner\\a.txt")), "abc");
    EXPECT_EQ(ReadBytes(temp.Path(L"alpha\\inner\\a.txt")), "abc");
    ASSERT_EQ(recorded.boxes.size(), 1u) << "one report at the end";
    EXPECT_EQ(recorded.boxes[0].Icon(), static_cast<UINT>(MB_ICONINFORMATION)) << ToUtf8(recorded.boxes[0].text);
}

TEST_F(ShellTreeCommands, CtrlXThenCtrlVMovesIt) {
    Load(temp.Root());
    ClickOn(Top(L"alpha"));
    Press({VK_CONTROL, 'X'});
    EXPECT_TRUE(FileExists(temp.Path(L"alpha"))) << "cut alone moves nothing";
    ClickOn(Top(L"gamma"));
    Press({VK_CONTROL, 'V'});
    EXPECT_EQ(ReadBytes(temp.Path(L"gamma\\alpha\\inner\\a.txt")), "abc");
    EXPECT_FALSE(FileExists(temp.Path(L"alpha")));
    EXPECT_EQ(Top(L"alpha"), nullptr);
}

TEST_F(ShellTreeCommands, PastingAFolderIntoItsOwnChildIsRefused) {
    Load(temp.Root());
    ClickOn(Top(L"alpha"));
    Press({VK_CONTROL, 'X'});
    tree.Expand(Top(L"alpha"));
    Application::Instance().ProcessMessages();
    ClickOn(Child(Top(L"alpha"), L"inner"));
    Press({VK_CONTROL, 'V'});
    EXPECT_EQ(recorded.boxes.size(), 1u);
    EXPECT_EQ(ReadBytes(temp.Path(L"alpha\\inner\\a.txt")), "abc");
    EXPECT_EQ(CountEntries(temp.Path(L"alpha\\inner")), 1);
}

TEST_F(ShellTreeCommands, DelOnAFolderRemovesItAfterTheConfirmationAndSelectsItsParent) {
    Load(temp.Root());
    ClickOn(Top(L"gamma"));
    int refreshes = 0;
    tree.OnFillStart = [&](ShellTree&) { ++refreshes; };
    Perform([] {
        Chord({VK_SHIFT, VK_DELETE});
        if (!WaitUntil([] { return ShownDialog() != nullptr; })) return;  // no confirmation: the checks below fail
        KeyDown(VK_RETURN);
        KeyUp(VK_RETURN);
        WaitUntil([] { return ShownDialog() == nullptr; });
    });
    EXPECT_FALSE(FileExists(temp.Path(L"gamma")));
    EXPECT_EQ(Top(L"gamma"), nullptr);
    EXPECT_EQ(tree.Selected(), tree.FirstRoot());
    EXPECT_EQ(refreshes, 1) << "the verb's refresh; the key adds none";
}

TEST_F(ShellTreeCommands, TheRootHasNoMenuAndDelOnItDoesNothing) {
    Load(temp.Root());
    const POINT root = Center(tree.FirstRoot());
    bool menu_seen = true;
    Perform([&] {
        PointerTo(root);
        Pause(50);
        ButtonDown(true);
        ButtonUp(true);
        InputBarrier();  // the click handled: a menu, were one shown, would be up now
        menu_seen = ShownMenu() != nullptr;
        KeyDown(VK_ESCAPE);
        KeyUp(VK_ESCAPE);
        InputBarrier();
    });
    EXPECT_FALSE(menu_seen);
    ClickOn(tree.FirstRoot());
    Press({VK_DELETE});
    EXPECT_EQ(CountEntries(temp.Root()), 3);
    EXPECT_TRUE(FileExists(temp.Root()));
}

TEST_F(ShellTreeCommands, TheMenusRenameEntryStartsEditing) {
    Load(temp.Root());
    int hints = 0;
    tree.OnPopupHint = [&](ShellTree&, const std::wstring&) { ++hints; };
    const bool menu_seen = RenameFromMenu(Top(L"alpha"));
    EXPECT_TRUE(menu_seen);
    EXPECT_GT(hints, 0) << "each highlighted entry passes its help text on";
    ASSERT_TRUE(tree.IsEditing());
    wchar_t text[64] = {};
    ::GetWindowTextW(tree.EditControl(), text, 64);
    EXPECT_STREQ(text, L"alpha");
    Press({VK_ESCAPE});
    EXPECT_TRUE(FileExists(temp.Path(L"alpha")));
}

}  // namespace
}  // namespace census
