// Path text: the extended-length form, joining and parents.
//
// Only the text of a path is handled here, with backslash separators, so the
// rules can be checked by tables without the file system. A network path
// (\\server\share\...) takes the "\\?\UNC\" form: "\\?\" before its two
// leading backslashes would name a device, not the share.
#pragma once

#include <string>

namespace census {

// The extended-length ("\\?\") form of a full path, through which paths
// longer than the classic limit are reached. A path already in that form is
// returned as it is; a device path ("\\.\C:\...", "\\.\Volume{...}\...")
// takes the same prefix, and is never taken for a network path.
std::wstring WithExtendedPrefix(const std::wstring& full);
// The ordinary form of a path that may carry the extended-length prefix.
std::wstring WithoutExtendedPrefix(const std::wstring& path);

// The path without trailing backslashes (a lone backslash stays).
std::wstring WithoutTrailingBackslashes(const std::wstring& path);
// The last part of a path, and the path without it.
std::wstring LastPart(const std::wstring& path);
std::wstring ParentPart(const std::wstring& path);
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);

// A name the platform reserves for a device (con, nul, lpt1...), with any
// extension: in a path without the extended-length prefix it may name the
// device rather than a file.
bool ReservedDeviceName(const std::wstring& name);

}  // namespace census
