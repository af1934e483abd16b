// The Send To entries the tree offers in a context menu whose shell object
// cannot fill that submenu itself, the menu-character answer for them, and
// the owner drawing of the submenu.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace census {

struct SendToEntry {
    std::wstring name;  // the file name in the Send To folder
    int icon = -1;      // small-icon index in the system list; -1 when the path cannot be parsed
};

// The Send To folder's files (no folders, no hidden files) sorted by name,
// read on first use and kept for the life of the process.
const std::vector<SendToEntry>& SendToEntries();

// The name as the menu shows it: without its extension.
std::wstring ShownName(const std::wstring& name);

enum class MenuCharCommand { Close = 1, Execute = 2, Select = 3 };
struct MenuCharAnswer {
    MenuCharCommand command = MenuCharCommand::Close;
    int position = 0;
};

// The entry a typed character goes to: the first whose shown name starts with
// it (any case) after the highlighted one (-1 for none), wrapping round;
// selected when several start with it, executed when only one does.
MenuCharAnswer AnswerMenuChar(const std::vector<std::wstring>& shown_names, int highlighted, wchar_t typed);

// A shell object without the extended menu interface leaves its Send To
// submenu as one disabled placeholder; this fills it with owner-drawn entries
// of ids 1, 2, 3... and answers the menu messages for them while the menu of
// owner is shown. icons: the small system icons the entries' indexes are in.
class SendToSubmenu {
public:
    SendToSubmenu(HWND owner, HIMAGELIST icons) : owner_(owner), icons_(icons) {}
    // True when msg was the submenu's; result is then the answer.
    bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

private:
    SIZE TextSize(const std::wstring& text) const;
    void DrawItem(const DRAWITEMSTRUCT& item) const;

    HWND owner_;
    HIMAGELIST icons_;
    HMENU popup_ = nullptr;  // the submenu filled, once it has been
};

}  // namespace census
