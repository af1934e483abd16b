// Path text: how names and paths compare, which path lies inside which, the
// extended-length form, joining and parents. Every decision about a path's
// text is taken here, once, so no two parts of the program can disagree.
//
// Only the text of a path is handled here, with backslash separators, so the
// rules can be checked by tables without the file system. A network path
// (\\server\share\...) takes the "\\?\UNC\" form: "\\?\" before its two
// leading backslashes would name a device, not the share.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace census {

// Names and paths compare as the platform's file systems compare them:
// unit by unit, letters folded to one case by the platform's case table,
// never by the user's locale (whose rules change with the language).
// Negative, zero or positive as a sorts before, with or after b.
int CompareNames(std::wstring_view a, std::wstring_view b);
bool SameName(std::wstring_view a, std::wstring_view b);
// CompareNames as the order of a set or map of names.
struct NameOrder {
    bool operator()(std::wstring_view a, std::wstring_view b) const { return CompareNames(a, b) < 0; }
};

// Both paths name the same place by their text: case ignored, and trailing
// backslashes and the extended-length prefix, which change nothing.
bool SamePath(const std::wstring& a, const std::wstring& b);
// inner is outer itself or lies below it, by the text of the paths alone:
// "C:\ab" is not inside "C:\a", everything on a drive is inside its root.
// An empty path is nothing and holds nothing.
bool SameOrInside(const std::wstring& inner, const std::wstring& outer);

// Paths from this length on go to the file functions in their
// extended-length form. A folder is made only while its path leaves room
// for an 8.3 name (MAX_PATH - 12), so that is where the plain form ends for
// folders; files take the same limit, so one rule serves both and a path
// never changes form by what it names. Shorter paths stay plain: the
// extended form skips the normalising some callers' paths still need.
inline constexpr std::size_t kExtendedFromLength = 260 - 12;
// path (a full path) as the file functions should get it.
std::wstring ExtendedPath(const std::wstring& path);

// The extended-length ("\\?\") form of a full path, through which paths
// longer than the classic limit are reached. A path already in that form is
// returned as it is; a device path ("\\.\C:\...", "\\.\Volume{...}\...")
// takes the same prefix, and is never taken for a network path.
std::wstring WithExtendedPrefix(const std::wstring& full);
// The ordinary form of a path that may carry the extended-length prefix.
std::wstring WithoutExtendedPrefix(const std::wstring& path);

// The path without trailing backslashes (a lone backslash stays).
std::wstring WithoutTrailingBackslashes(const std::wstring& path);
// A folder path as a walk joins names to it: with a trailing backslash unless empty.
std::wstring WithTrailingBackslash(std::wstring folder);
// The last part of a path, and the path without it.
std::wstring LastPart(const std::wstring& path);
std::wstring ParentPart(const std::wstring& path);
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);

// A name the platform reserves for a device (con, nul, lpt1...), with any
// extension: in a path without the extended-length prefix it may name the
// device rather than a file.
bool ReservedDeviceName(const std::wstring& name);

}  // namespace census
