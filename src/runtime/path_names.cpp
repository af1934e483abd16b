#include "runtime/path_names.h"

namespace census {
namespace {

constexpr std::wstring_view kExtended = L"\\\\?\\";
constexpr std::wstring_view kExtendedUnc = L"\\\\?\\UNC\\";
constexpr std::wstring_view kDevice = L"\\\\.\\";
constexpr std::wstring_view kNetwork = L"\\\\";

bool StartsWith(const std::wstring& text, std::wstring_view prefix) { return text.rfind(prefix, 0) == 0; }

bool Blank(wchar_t c) { return c == L' ' || c == L'\t' || c == 0x3000 || c == 0xA0; }

wchar_t AsciiUpper(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

bool SameAscii(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
    return true;
}

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

// Device names are reserved whatever extension follows them, and the
// platform ignores blanks before the extension.
bool ReservedDeviceName(const std::wstring& name) {
    std::wstring_view base(name);
    base = base.substr(0, base.find(L'.'));
    while (!base.empty() && Blank(base.back())) base.remove_suffix(1);
    for (std::wstring_view device : {L"CON", L"PRN", L"AUX", L"NUL"})
        if (SameAscii(base, device)) return true;
    if (base.size() != 4) return false;
    const wchar_t last = base[3];
    const bool numbered = (last >= L'0' && last <= L'9') || last == 0xB9 || last == 0xB2 || last == 0xB3;
    return numbered && (SameAscii(base.substr(0, 3), L"COM") || SameAscii(base.substr(0, 3), L"LPT"));
}

}  // namespace census
