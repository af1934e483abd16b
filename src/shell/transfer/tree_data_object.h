// The data object a dragged or copied folder is offered in, and reading the
// same two formats back from any data object (a drop, the clipboard).
//
// Formats, in this order: "Shell IDList Array" (the parent's absolute list
// and the item's relative list), then the file-drop format, offered only for
// an item with a file-system path. Each block is built once and a fresh copy
// handed to every request.
#pragma once

#include "shell/namespace/id_list.h"
#include "shell/transfer/drop_blocks.h"

#include <objidl.h>

#include <optional>
#include <string>
#include <vector>

namespace census {

// The registered clipboard format "Shell IDList Array".
CLIPFORMAT ShellIdListFormat();

// path: the item's file-system path, empty for a virtual item. A preferred
// effect (copy or move, for the clipboard's copy and cut) is offered as a
// third format, "Preferred DropEffect".
ComPtr<IDataObject> MakeTreeDataObject(PCIDLIST_ABSOLUTE parent, PCUITEMID_CHILD item, const std::wstring& path,
                                       DWORD preferred_effect = 0);

// The "Preferred DropEffect" of data; 0 when absent or short.
DWORD ReadPreferredEffect(IDataObject* data);

// The "Shell IDList Array" block of data; nothing when absent or unreadable.
std::optional<dropblocks::IdListArrayBlock> ReadIdListArray(IDataObject* data);

// The file-system paths data names: its file-drop block, or else the paths
// of the items of its "Shell IDList Array" block; empty when it names none
// (or any item without a path).
std::vector<std::wstring> ReadDroppedPaths(IDataObject* data);

// Every effect a drop of files can have; the same bits are the items'
// can-copy, can-move and can-link attributes.
constexpr DWORD kAllDropEffects = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

// The attributes (of kAllDropEffects) that all items of data share in their
// parent folder; all of them when the block is absent or unreadable.
DWORD CommonDropAttributes(IDataObject* data);

}  // namespace census
