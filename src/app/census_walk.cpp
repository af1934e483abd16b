#include "app/census_walk.h"

#include "app/census_line.h"
#include "runtime/handles.h"

#include <windows.h>

namespace census {

std::wstring ExtendedFolderPath(const std::wstring& folder) {
    std::wstring source = folder.empty() ? L"." : folder;
    DWORD n = ::GetFullPathNameW(source.c_str(), 0, nullptr, nullptr);
    std::wstring full(n, L'\0');
    n = ::GetFullPathNameW(source.c_str(), n, full.data(), nullptr);
    full.resize(n);
    if (full.rfind(L"\\\\?\\", 0) == 0) return WithTrailingBackslash(full);
    if (full.rfind(L"\\\\", 0) == 0) return WithTrailingBackslash(L"\\\\?\\UNC\\" + full.substr(2));
    return WithTrailingBackslash(L"\\\\?\\" + full);
}

CensusWalk::CensusWalk(CensusState& state, CensusHost& host) : state_(state), host_(host) {}

void CensusWalk::Run(const std::wstring& folder) {
    state_.RootPrefix.clear();
    state_.FileCount = 0;
    state_.StopRequested = false;
    generation_ = ++state_.Generation;
    levels_.clear();
    Walk(folder, ExtendedFolderPath(folder));
}

bool CensusWalk::Ended() const { return state_.StopRequested || state_.Generation != generation_; }

void CensusWalk::Walk(std::wstring folder, std::wstring api_folder) {
    folder = WithTrailingBackslash(std::move(folder));
    if (!host_.FullPaths() && state_.RootPrefix.empty()) state_.RootPrefix = folder + L" ";

    WIN32_FIND_DATAW entry;
    std::wstring pattern = api_folder + L"*";
    UniqueFindHandle search(::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch,
                                               nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!search) return;
    levels_.push_back(Level{api_folder});
    do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..") continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            std::wstring api_child = api_folder + name + L"\\";
            // A directory link back into a folder being walked would never end.
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && LeadsBackIntoWalk(api_child)) continue;
            Walk(folder + name, std::move(api_child));
        } else {
            ++state_.FileCount;
            host_.FileListed(CensusLine(folder, name, state_.RootPrefix));
        }
        if (Ended()) break;
    } while (::FindNextFileW(search.get(), &entry));
    levels_.pop_back();
}

bool CensusWalk::ReadFileId(const std::wstring& api_path, FileId& id) {
    UniqueFileHandle h(::CreateFileW(api_path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!h || !::GetFileInformationByHandle(h.get(), &info)) return false;
    id.volume = info.dwVolumeSerialNumber;
    id.index = (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

bool CensusWalk::LeadsBackIntoWalk(const std::wstring& api_path) {
    FileId target;
    if (!ReadFileId(api_path, target)) return false;
    for (Level& level : levels_) {
        if (!level.id_known) level.id_known = ReadFileId(level.api_path, level.id);
        if (level.id_known && level.id == target) return true;
    }
    return false;
}

}  // namespace census
