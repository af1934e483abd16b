// Which file or folder a path really is, and whether an entry is a link.
//
// The attributes alone do not tell a link on every platform (a host's
// symbolic link to a file reads as a plain file under some), so an entry
// counts as itself only when a handle opened on it without following links
// reports the entry's own path as its final path. An entry whose handle ends
// up anywhere else is a link this program never reads, renames or removes
// through.
#pragma once

#include "runtime/handles.h"

#include <windows.h>

#include <cstdint>
#include <string>

namespace census {

struct FileIdentity {
    DWORD volume = 0;
    std::uint64_t index = 0;
    bool operator==(const FileIdentity& other) const { return volume == other.volume && index == other.index; }
};

// The identity of what path leads to (links followed); false when it cannot be opened.
bool IdentityOf(const std::wstring& path, FileIdentity& identity);

enum class Containment { Outside, Inside, Unknown };

// Whether folder is source itself or lies inside it, wherever links along
// folder's path lead: folder's real location (every link resolved) and each
// of its parents are compared with source by identity. Unknown when the
// real location, or an identity along it, cannot be read.
Containment IdentitySameOrInside(const std::wstring& folder, const std::wstring& source);

// The final path of an open handle, without the "\\?\" prefix, at any length
// the file functions take; empty on failure (the error is the last error).
std::wstring FinalPathOf(HANDLE handle);

// Opens path without following a link (FILE_FLAG_OPEN_REPARSE_POINT).
UniqueFileHandle OpenEntry(const std::wstring& path, DWORD access, DWORD extra_flags = 0);

// How an entry presents itself.
enum class EntryKind {
    Plain,        // a file or folder that is itself
    Link,         // a link the platform addresses as the link itself (it can be removed or recreated)
    HiddenLink,   // a link the platform follows whatever is asked: never touch it
    Special,      // a named pipe or device: no bytes to copy
    DeviceName,   // its name is a device's, and its path leads to the device, not to the entry
    Unreadable,   // could not be opened; error says why
};

struct EntryCheck {
    EntryKind kind = EntryKind::Plain;
    DWORD error = 0;
    std::wstring final_path;  // for Plain and Link, the entry's own final path
};

// Checks the entry at path, whose final path should be expected_final
// (its parent's final path and its name). attributes from the listing.
EntryCheck CheckEntry(const std::wstring& path, const std::wstring& expected_final, DWORD attributes);

// The final path of an existing folder or file, links followed; empty on failure.
std::wstring FinalPathOfPath(const std::wstring& path);

}  // namespace census
