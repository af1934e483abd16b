#include "cli/own_files.h"

#include "runtime/handles.h"
#include "runtime/path_names.h"

#include <windows.h>

namespace census {

namespace {

// The name the folder lists the file under, which a short name given for it is not.
std::wstring LongName(const std::wstring& api_path) {
    WIN32_FIND_DATAW entry;
    UniqueFindHandle found(
        ::FindFirstFileExW(api_path.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr, 0));
    return found ? std::wstring(entry.cFileName) : LastPart(api_path);
}

}  // namespace

void OwnFiles::Add(const std::wstring& api_path) {
    const size_t slash = api_path.find_last_of(L'\\') + 1;
    Own own{LongName(api_path), api_path.substr(0, slash), std::nullopt};
    own.identity = IdentityOf(own.folder);
    files_.push_back(std::move(own));
}

bool OwnFiles::Contains(const std::wstring& base, const std::wstring& line) const {
    const size_t slash = line.find_last_of(L'\\') + 1;
    const std::wstring_view name = std::wstring_view(line).substr(slash);
    for (const Own& own : files_) {
        // Most names differ: the folder is looked at only where one matches.
        if (!SameName(name, own.name)) continue;
        const std::wstring folder = ExtendedFolderPath(base + line.substr(0, slash));
        const std::optional<FileIdentity> identity = IdentityOf(folder);
        // A folder that cannot be opened is compared by its full path, the one rule left.
        if (identity && own.identity ? *identity == *own.identity : SamePath(folder, own.folder)) return true;
    }
    return false;
}

}  // namespace census
