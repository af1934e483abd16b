// What renaming a folder in place needs besides the shell's rename: whether
// that rename changed only the case of letters, the program's own rename
// where the platform leaves such a name as it was, and why a rename that
// did not happen did not.
//
// Some platforms' renames (Wine's) take a name that differs only in case for
// the name the folder already has: they answer success and change nothing.
// The file systems compare names without regard to case, so a rename
// straight to the new name finds "itself" there; the folder goes through a
// free name of its own first.
#pragma once

#include <windows.h>

#include <string>

namespace census {

// The name an entry has on disk, in its own case; empty when there is none.
std::wstring NameOnDisk(const std::wstring& path);

// True when name differs from the last part of path in the case of letters only.
bool CaseOnlyChange(const std::wstring& path, const std::wstring& name);

struct CaseRename {
    DWORD error = 0;      // 0: renamed
    std::wstring left_at;  // where the folder stayed when the way back failed too; empty otherwise
};

// Renames path to name, which differs from its name in case only, through a
// free name in the same folder. On failure the folder goes back to its name.
CaseRename RenameCaseOnly(const std::wstring& path, const std::wstring& name);

// Why renaming the folder at path (empty for an item outside the file
// system, then named by shown) to name did not happen, for the user: the
// name taken by another entry, a name too long for the drive's file system,
// the folder gone, or else the platform's own words for its answer.
std::wstring RenameFailureText(const std::wstring& path, const std::wstring& shown, const std::wstring& name,
                               HRESULT answer);

}  // namespace census
