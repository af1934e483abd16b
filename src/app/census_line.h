// The census line of one file, and the names the save button writes to.
// Pure string rules: no window, no file system.
#pragma once

#include <optional>
#include <string>

namespace census {

// The line for a file named `name` in `folder` (a folder path that ends with
// "\" unless empty). With a reference prefix (the reference folder followed
// by one blank) the line leaves out the reference folder's length of leading
// characters of `folder`, all of it if that is longer.
std::wstring CensusLine(const std::wstring& folder, const std::wstring& name, const std::wstring& root_prefix);

// The file the save button writes for the name the dialog returned, or no
// value when that name is empty (the user is asked for a name instead).
// Leading blanks are dropped; ".txt" is added unless the file-name part
// already holds ".txt" (case-sensitive).
std::optional<std::wstring> SaveFileName(const std::wstring& dialog_name);

}  // namespace census
