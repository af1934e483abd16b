// The Send To entries the tree offers in a context menu whose shell object
// cannot fill that submenu itself, and the menu-character answer for them.
#pragma once

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

}  // namespace census
