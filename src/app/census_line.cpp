#include "app/census_line.h"

#include <algorithm>

namespace census {

std::wstring CensusLine(const std::wstring& folder, const std::wstring& name, const std::wstring& root_prefix) {
    size_t cut = root_prefix.empty() ? 0 : root_prefix.size() - 1;
    std::wstring line = cut < folder.size() ? folder.substr(cut) : std::wstring();
    line += name;
    return line;
}

std::optional<std::wstring> SaveFileName(const std::wstring& dialog_name) {
    if (dialog_name.empty()) return std::nullopt;
    std::wstring name = dialog_name.substr(std::min(dialog_name.find_first_not_of(L' '), dialog_name.size()));
    // Only the file-name part decides: a ".txt" in a folder name does not make the file a text file.
    size_t slash = name.find_last_of(L"\\/");
    std::wstring file_part = slash == std::wstring::npos ? name : name.substr(slash + 1);
    if (file_part.find(L".txt") == std::wstring::npos) name += L".txt";
    return name;
}

}  // namespace census
