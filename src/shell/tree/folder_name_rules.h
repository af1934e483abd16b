// Whether a typed name can become a folder's new name, decided before the
// platform is asked. The platform's rename cuts a path longer than it holds
// down to what fits, and refuses reserved or malformed names without saying
// why; both must reach the user as a refusal that says why, with the folder
// keeping its name.
#pragma once

#include <cstddef>
#include <string>

namespace census {

// The longest path the platform's rename keeps whole (its buffers hold 260
// characters with the terminator).
constexpr std::size_t kLongestRenamePath = 259;
// The longest single name a file system of the platform holds.
constexpr std::size_t kLongestNameComponent = 255;

enum class NameVerdict {
    Fine,
    Blank,               // empty or only blanks
    ForbiddenCharacter,  // one of \ / : * ? " < > | or a control character
    DotsOnly,            // "." and ".." name other folders
    TrailingDot,         // the platform would drop it and give another name
    ReservedName,        // a device name (con, nul, lpt1...), with any extension
    TooLong,             // the full path would not fit
};

struct NameCheck {
    NameVerdict verdict = NameVerdict::Fine;
    wchar_t character = 0;  // ForbiddenCharacter: the first one found
    std::size_t fit = 0;    // TooLong: how many characters a name may have here
};

// parent: the parent folder's path ("C:\" or "C:\Data"); name: as typed,
// already trimmed of leading and trailing blanks.
NameCheck CheckFolderName(const std::wstring& parent, const std::wstring& name);

// How many characters a name may have in parent (0: none fits).
std::size_t NameRoomIn(const std::wstring& parent);

// The message that tells the user why name was refused (Russian).
std::wstring RefusalText(const NameCheck& check, const std::wstring& name);

}  // namespace census
