#include "runtime/path_names.h"

namespace census {
namespace {

constexpr std::wstring_view kExtended = L"\\\\?\\";
constexpr std::wstring_view kExtendedUnc = L"\\\\?\\UNC\\";
constexpr std::wstring_view kDevice = L"\\\\.\\";
constexpr std::wstring_view kNetwork = L"\\\\";

bool StartsWith(const std::wstring& text, std::wstring_view prefix) { return text.rfind(prefix, 0) == 0; }

}  // namespace

std::wstring WithExtendedPrefix(const std::wstring& full) {
    if (StartsWith(full, kExtended)) return full;
    // "\\.\" names the same object as "\\?\" once the path is full: only the
    // normalising that a full path has already had tells them apart.
    if (StartsWith(full, kDevice)) return std::wstring(kExtended) + full.substr(kDevice.size());
    if (StartsWith(full, kNetwork)) return std::wstring(kExtendedUnc) + full.substr(kNetwork.size());
    return std::wstring(kExtended) + full;
}

std::wstring WithoutExtendedPrefix(const std::wstring& path) {
    if (StartsWith(path, kExtendedUnc)) return std::wstring(kNetwork) + path.substr(kExtendedUnc.size());
    if (StartsWith(path, kExtended)) return path.substr(kExtended.size());
    return path;
}

std::wstring WithoutTrailingBackslashes(const std::wstring& path) {
    std::wstring p = path;
    while (p.size() > 1 && p.back() == L'\\') p.pop_back();
    return p;
}

std::wstring LastPart(const std::wstring& path) {
    const std::wstring p = WithoutTrailingBackslashes(path);
    const std::size_t slash = p.find_last_of(L'\\');
    return slash == std::wstring::npos ? p : p.substr(slash + 1);
}

std::wstring ParentPart(const std::wstring& path) {
    const std::wstring p = WithoutTrailingBackslashes(path);
    const std::size_t slash = p.find_last_of(L'\\');
    if (slash == std::wstring::npos) return {};
    return slash == 2 && p[1] == L':' ? p.substr(0, 3) : p.substr(0, slash);
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
    return !folder.empty() && folder.back() == L'\\' ? folder + name : folder + L'\\' + name;
}

}  // namespace census
