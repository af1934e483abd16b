#include "shell/tree/send_to_menu.h"

#include "shell/namespace/com_object.h"
#include "shell/namespace/shell_context_menu.h"
#include "shell/namespace/shell_namespace.h"
#include "shell/tree/shown_shell_tree.h"

#include <gtest/gtest.h>

#include <fstream>

namespace census {
namespace {

TEST(SendToMenu, TypedCharactersGoToTheNextEntryWithThatLetter) {
    const std::vector<std::wstring> names{L"Desktop", L"documents", L"Mail", L"Дом"};
    struct Case {
        const char* name;
        int highlighted;
        wchar_t typed;
        MenuCharCommand command;
        int position;
    } cases[] = {
        {"first of two, any case", -1, L'd', MenuCharCommand::Select, 0},
        {"the next after the highlight", 0, L'D', MenuCharCommand::Select, 1},
        {"wrapping to the first", 1, L'd', MenuCharCommand::Select, 0},
        {"the only one is run", -1, L'm', MenuCharCommand::Execute, 2},
        {"the only one, also when highlighted", 2, L'M', MenuCharCommand::Execute, 2},
        {"Cyrillic", 0, L'д', MenuCharCommand::Execute, 3},
        {"no entry closes", 1, L'x', MenuCharCommand::Close, 0},
    };
    for (const Case& c : cases) {
        const MenuCharAnswer answer = AnswerMenuChar(names, c.highlighted, c.typed);
        EXPECT_EQ(answer.command, c.command) << c.name;
        EXPECT_EQ(answer.position, c.position) << c.name;
    }
    EXPECT_EQ(AnswerMenuChar({}, -1, L'a').command, MenuCharCommand::Close);
}

TEST(SendToMenu, EntriesShowTheirNamesWithoutExtension) {
    EXPECT_EQ(ShownName(L"Mail Recipient.MAPIMail"), L"Mail Recipient");
    EXPECT_EQ(ShownName(L"a.b.lnk"), L"a.b");
    EXPECT_EQ(ShownName(L"plain"), L"plain");
    EXPECT_EQ(ShownName(L".hidden"), L".hidden");
}

// A menu object of a shell that offers nothing richer than the plain
// interface: a command in first place and a Send To submenu left as one
// disabled placeholder for the tree to fill.
class PlainMenu : public ComObject<IContextMenu> {
public:
    explicit PlainMenu(std::vector<UINT>& invoked) : invoked_(invoked) {}
    HRESULT STDMETHODCALLTYPE QueryContextMenu(HMENU menu, UINT index, UINT first, UINT, UINT) override {
        ::InsertMenuW(menu, index, MF_BYPOSITION | MF_STRING, first, L"Delete");
        HMENU send_to = ::CreatePopupMenu();
        ::AppendMenuW(send_to, MF_STRING | MF_GRAYED, first + 1, L"(empty)");
        ::InsertMenuW(menu, index + 1, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(send_to), L"Send To");
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 2);
    }
    HRESULT STDMETHODCALLTYPE InvokeCommand(CMINVOKECOMMANDINFO* info) override {
        invoked_.push_back(LOWORD(reinterpret_cast<UINT_PTR>(info->lpVerb)));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetCommandString(UINT_PTR, UINT, UINT*, CHAR*, UINT) override { return E_NOTIMPL; }

private:
    std::vector<UINT>& invoked_;
};

class PlainMenuTree : public ShellTree {
public:
    std::vector<UINT> invoked;

protected:
    HRESULT NodeMenuObject(TreeNode, ComPtr<IContextMenu>& menu) override {
        menu = MakeComObject<PlainMenu, IContextMenu>(invoked);
        return S_OK;
    }
};

// One Send To entry, "Drop here", whose first letter is that of the
// command in first place of the main menu.
class SendToMenuShown : public ::testing::Test {
protected:
    SendToMenuShown() : entry(GetSpecialFolderPath(CSIDL_SENDTO) + L"\\Drop here.txt") {
        std::ofstream(entry.c_str()) << "x";
        temp.Dir(L"alpha");
        form.SetBounds(40, 40, 300, 300);
        tree.SetParent(&form);
        tree.SetBounds(0, 0, 260, 240);
    }
    ~SendToMenuShown() override { ::DeleteFileW(entry.c_str()); }

    static bool MenuShown() { return testing::ShownMenu() != nullptr; }

    std::wstring entry;
    testing::TempTree temp;
    Form form;
    PlainMenuTree tree;
};

// A typed letter in the main menu must not pick by the Send To entries'
// letters: the answer is a position, and in the main menu the command at
// that position would run.
TEST_F(SendToMenuShown, ALetterTypedInTheMainMenuRunsNoCommand) {
    ASSERT_HRESULT_SUCCEEDED(testing::LoadTreeAt(tree, temp.Root()));
    form.Show();
    Application::Instance().ProcessMessages();
    ASSERT_EQ(SendToEntries().size(), 1u) << "the entry is read at the first menu of the process";
    const RECT text = tree.NodeTextRect(testing::ChildWithText(tree, tree.FirstRoot(), L"alpha"));
    const POINT alpha = tree.ClientToScreen({(text.left + text.right) / 2, (text.top + text.bottom) / 2});
    bool shown = false, still_shown = false, closed_by_letter = false;
    testing::Perform([&] {
        testing::PointerTo(alpha);
        testing::Pause(50);
        testing::ButtonDown(true);
        testing::ButtonUp(true);
        shown = testing::WaitUntil(MenuShown, 10000);
        testing::KeyDown('D');
        testing::KeyUp('D');
        testing::InputBarrier();
        still_shown = MenuShown();
        // Into the Send To submenu (second entry), where the letter runs its one entry.
        for (WORD key : std::initializer_list<WORD>{VK_DOWN, VK_DOWN, VK_RIGHT, 'D'}) {
            testing::KeyDown(key);
            testing::KeyUp(key);
        }
        testing::InputBarrier();
        closed_by_letter = !MenuShown();
        for (int i = 0; i < 3 && MenuShown(); ++i) {
            testing::KeyDown(VK_ESCAPE);
            testing::KeyUp(VK_ESCAPE);
            testing::InputBarrier();
        }
    });
    EXPECT_TRUE(shown);
    EXPECT_TRUE(tree.invoked.empty()) << "the command in the typed position ran";
    EXPECT_TRUE(still_shown);
    EXPECT_TRUE(closed_by_letter) << "in the Send To submenu the letter chooses its entry";
    EXPECT_FALSE(MenuShown());
}

}  // namespace
}  // namespace census
