// Name rules of a transfer, kept apart from the file system so they can be
// checked by tables: how two names compare on the target (case-insensitive,
// as the platform's file systems compare them), which items of one transfer
// clash with each other or with what the target folder already holds, and
// whether one path lies inside another by its text.
#pragma once

#include "runtime/path_names.h"  // the path helpers the transfer rules use

#include <cstddef>
#include <string>
#include <vector>

namespace census {

// The name with letters folded to one case the way the platform's file
// systems fold them for comparison (Latin, Greek, Cyrillic and their
// extensions; other characters stay as they are).
std::wstring FoldedName(const std::wstring& name);

bool SameName(const std::wstring& a, const std::wstring& b);

// For each item name: the index of another item it clashes with, the size
// of names when it clashes with a name in taken only, or npos when it is
// free. Every member of a clash among items is marked, so none of them
// takes the name by coming first.
std::vector<std::size_t> NameClashes(const std::vector<std::wstring>& names, const std::vector<std::wstring>& taken);

// inner is outer itself or lies below it, by the text of the paths alone
// (backslash separators, case folded, trailing backslashes ignored).
bool TextSameOrInside(const std::wstring& inner, const std::wstring& outer);

}  // namespace census
