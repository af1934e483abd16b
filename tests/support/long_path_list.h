// The item identifier list of a folder whose path may be longer than the
// shell parses: the part it parses, then one enumerated item per level.
#pragma once

#include "shell/namespace/shell_namespace.h"

#include <string>
#include <vector>

namespace census::testing {

inline UniqueIdList ChildList(PCIDLIST_ABSOLUTE parent, const std::wstring& name) {
    ComPtr<IShellFolder> folder;
    ComPtr<IEnumIDList> items;
    if (FAILED(BindToFolder(parent, folder)) ||
        folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN, items.put()) != S_OK)
        return {};
    for (;;) {
        UniqueIdList item;
        ULONG fetched = 0;
        if (items->Next(1, reinterpret_cast<PITEMID_CHILD*>(item.put()), &fetched) != S_OK || !fetched) return {};
        if (ItemDisplayName(folder.get(), item.get(), DisplayNameKind::InFolder) == name)
            return ConcatIdLists(parent, item.get());
    }
}

// base: a path the shell parses; names: the folders below it, one per level.
inline UniqueIdList LongPathList(const std::wstring& base, const std::vector<std::wstring>& names) {
    UniqueIdList list;
    if (FAILED(ParsePath(base, list))) return {};
    for (const std::wstring& name : names) {
        list = ChildList(list.get(), name);
        if (!list) return {};
    }
    return list;
}

}  // namespace census::testing
