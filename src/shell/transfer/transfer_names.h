// Name rules of a transfer, kept apart from the file system so they can be
// checked by tables: which items of one transfer clash with each other or
// with what the target folder already holds (names compare as the path
// helpers compare them).
#pragma once

#include "runtime/path_names.h"  // the path helpers the transfer rules use

#include <cstddef>
#include <string>
#include <vector>

namespace census {

// For each item name: the index of another item it clashes with, the size
// of names when it clashes with a name in taken only, or npos when it is
// free. Every member of a clash among items is marked, so none of them
// takes the name by coming first.
std::vector<std::size_t> NameClashes(const std::vector<std::wstring>& names, const std::vector<std::wstring>& taken);

}  // namespace census
