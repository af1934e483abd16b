#include "app/census_walk.h"

#include "app/census_line.h"
#include "runtime/path_names.h"
#include "runtime/text_file.h"

#include <windows.h>

namespace census {

std::wstring ExtendedFolderPath(const std::wstring& folder) {
    return WithTrailingBackslash(WithExtendedPrefix(FullPath(folder)));
}

CensusWalk::CensusWalk(CensusState& state, CensusHost& host, FolderLinks links)
    : state_(state), host_(host), links_(links) {}

void CensusWalk::Run(const std::wstring& folder) {
    state_.RootPrefix.clear();
    state_.FileCount = 0;
    state_.StopRequested = false;
    generation_ = ++state_.Generation;
    levels_.clear();
    if (folder.empty()) return;
    Enter(folder, ExtendedFolderPath(folder));
    while (!levels_.empty()) {
        if (!NextEntry(levels_.back())) {
            levels_.pop_back();  // closes its search
            continue;
        }
        const std::wstring_view name = entry_.cFileName;
        if (name == L"." || name == L"..") continue;
        HandleEntry(levels_.back());
        host_.EntryDone();
        if (Ended()) break;
    }
    levels_.clear();
}

const std::wstring& CensusWalk::CurrentFolder() const {
    static const std::wstring none;
    return levels_.empty() ? none : levels_.back().folder;
}

bool CensusWalk::Ended() const { return state_.StopRequested || state_.Generation != generation_; }

void CensusWalk::Enter(std::wstring folder, std::wstring api_folder) {
    folder = WithTrailingBackslash(std::move(folder));
    if (!host_.FullPaths() && state_.RootPrefix.empty()) state_.RootPrefix = folder + L" ";
    std::wstring pattern = api_folder + L"*";
    UniqueFindHandle search(::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry_, FindExSearchNameMatch,
                                               nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!search) {
        // Only a drive's root has no "." entry: one that holds nothing finds nothing, and lacks nothing.
        const DWORD why = ::GetLastError();
        if (why != ERROR_FILE_NOT_FOUND && why != ERROR_NO_MORE_FILES) host_.FolderNotRead(folder, why, true);
        return;
    }
    levels_.push_back(Level{std::move(folder), std::move(api_folder), std::move(search)});
}

bool CensusWalk::NextEntry(Level& level) {
    if (level.first_pending) {
        level.first_pending = false;
        return true;
    }
    if (::FindNextFileW(level.search.get(), &entry_)) return true;
    const DWORD why = ::GetLastError();
    if (why != ERROR_NO_MORE_FILES) host_.FolderNotRead(level.folder, why, false);
    return false;
}

// The entry just read in `level`: a folder is opened (its contents come
// next, before the rest of `level`), a file is listed.
void CensusWalk::HandleEntry(const Level& level) {
    const std::wstring name = entry_.cFileName;
    if (entry_.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (IsSkippedLink()) return;
        std::wstring api_child = level.api_path + name + L"\\";
        // A directory link back into a folder being walked would never end.
        if ((entry_.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && LeadsBackIntoWalk(api_child)) return;
        Enter(level.folder + name, std::move(api_child));
        return;
    }
    ++state_.FileCount;
    host_.FileListed(CensusLine(level.folder, name, state_.RootPrefix));
}

// A folder entry that is a link: its reparse tag (which the search gives
// with the entry) says it stands for another name. A platform that gives no
// tag leaves the walk unable to tell a link from a folder with other data
// attached, and a link entered would take the list outside the folder.
bool CensusWalk::IsSkippedLink() const {
    if (links_ != FolderLinks::Skipped || !(entry_.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) return false;
    const DWORD tag = entry_.dwReserved0;
    return tag == 0 || IsReparseTagNameSurrogate(tag);
}

std::optional<FileIdentity> IdentityOf(const std::wstring& api_path) {
    UniqueFileHandle h(::CreateFileW(api_path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!h || !::GetFileInformationByHandle(h.get(), &info)) return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber,
                        (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

bool CensusWalk::LeadsBackIntoWalk(const std::wstring& api_path) {
    const std::optional<FileIdentity> target = IdentityOf(api_path);
    if (!target) return false;
    for (Level& level : levels_) {
        if (!level.id_known) {
            const std::optional<FileIdentity> id = IdentityOf(level.api_path);
            level.id_known = id.has_value();
            if (id) level.id = *id;
        }
        if (level.id_known && level.id == *target) return true;
    }
    return false;
}

}  // namespace census
