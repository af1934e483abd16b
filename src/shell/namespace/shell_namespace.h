// Access to the shell namespace: binding folders, parsing paths, names,
// file-system paths and special folders.
//
// Refusals of the namespace are not exceptions here: names and paths come
// back empty, binding and parsing return the platform's result code.
#pragma once

#include "shell/namespace/id_list.h"

#include <string>

namespace census {

enum class DisplayNameKind { Normal = 0, InFolder = 1, ForParsing = 2, ForEditing = 3 };

// The platform name flags for each kind.
SHGDNF DisplayNameFlags(DisplayNameKind kind);

ComPtr<IShellFolder> DesktopFolder();

// A null or empty list gives the desktop folder itself.
HRESULT BindToFolder(PCIDLIST_ABSOLUTE list, ComPtr<IShellFolder>& folder);

// A path longer than the shell takes (MAX_PATH - 1 characters) is refused
// rather than cut, which would name another folder.
HRESULT ParsePath(const std::wstring& path, UniqueIdList& list);

// The parent folder, the parent's absolute list (none when the parent is the
// desktop) and a copy of the last item. The desktop itself is split as its
// file-system directory.
HRESULT SplitParentAndItem(PCIDLIST_ABSOLUTE list, ComPtr<IShellFolder>& parent_folder,
                           UniqueIdList& parent_list, UniqueIdList& item);

// The item's name in folder (the desktop when null); empty when refused.
std::wstring ItemDisplayName(IShellFolder* folder, PCUITEMID_CHILD item, DisplayNameKind kind);

// Decodes one of the three name record forms. An offset record names bytes
// of item; an offset outside item's bytes gives the empty string. A
// platform-allocated string in the record is freed.
std::wstring TakeNameRecord(STRRET& record, PCUITEMID_CHILD item);

// The file-system path ("C:\" for a drive root, no trailing backslash for a
// directory), at any length the file system allows; empty for virtual items.
// Null names the desktop.
std::wstring GetPathFromIdList(PCIDLIST_ABSOLUTE list);

// The file name of a file-system item of parent, from which its path is made
// when the platform cannot name it by path; empty for an item that is not on
// the file system.
std::wstring FileSystemName(IShellFolder* parent, PCUITEMID_CHILD child);

// Path of a special folder (CSIDL numbering); empty on failure.
std::wstring GetSpecialFolderPath(int csidl);

}  // namespace census
