#include "runtime/path_names.h"

#include <windows.h>

namespace census {
namespace {

constexpr std::wstring_view kExtended = L"\\\\?\\";
constexpr std::wstring_view kExtendedUnc = L"\\\\?\\UNC\\";
constexpr std::wstring_view kDevice = L"\\\\.\\";
constexpr std::wstring_view kNetwork = L"\\\\";

bool StartsWith(const std::wstring& text, std::wstring_view prefix) { return text.rfind(prefix, 0) == 0; }

bool Blank(wchar_t c) { return c == L' ' || c == L'\t' || c == 0x3000 || c == 0xA0; }

// Upper case of one UTF-16 unit, for the ranges where the platform's case
// table pairs letters simply (each lower case letter one above or a fixed
// distance from its capital).
wchar_t PairedUpper(wchar_t c) {
    if (c >= L'a' && c <= L'z') return static_cast<wchar_t>(c - 32);
    if ((c >= 0x00E0 && c <= 0x00FE && c != 0x00F7)) return static_cast<wchar_t>(c - 32);
    if (c == 0x00FF) return 0x0178;
    // Latin Extended-A pairs each capital with the unit after it; the pairs
    // start on even units except between U+0139 and U+0148 and after U+0178.
    const bool odd_capitals = (c >= 0x0139 && c <= 0x0148) || (c >= 0x0179 && c <= 0x017E);
    const bool even_capitals = (c >= 0x0100 && c <= 0x0137) || (c >= 0x014A && c <= 0x0177);
    if (c != 0x0131 && ((odd_capitals && c % 2 == 0) || (even_capitals && c % 2 == 1))) return static_cast<wchar_t>(c - 1);
    if (c >= 0x03B1 && c <= 0x03CB && c != 0x03C2) return static_cast<wchar_t>(c - 32);
    if (c == 0x03C2) return 0x03A3;
    if (c == 0x03AC) return 0x0386;
    if (c >= 0x03AD && c <= 0x03AF) return static_cast<wchar_t>(c - 37);
    if (c == 0x03CC) return 0x038C;
    if (c == 0x03CD || c == 0x03CE) return static_cast<wchar_t>(c - 63);
    if (c >= 0x0430 && c <= 0x044F) return static_cast<wchar_t>(c - 32);
    if (c >= 0x0450 && c <= 0x045F) return static_cast<wchar_t>(c - 80);
    if (c >= 0x0460 && c <= 0x04FF && c != 0x0482 && !(c >= 0x0483 && c <= 0x0489) && c % 2 == 1 &&
        !(c >= 0x04C1 && c <= 0x04CE))
        return static_cast<wchar_t>(c - 1);
    if (c >= 0x04C1 && c <= 0x04CE && c % 2 == 0) return static_cast<wchar_t>(c - 1);
    if (c == 0x04CF) return 0x04C0;
    return c;
}

std::wstring Folded(std::wstring_view name) {
    std::wstring folded(name);
    for (wchar_t& c : folded) c = PairedUpper(c);
    return folded;
}

}  // namespace

// The letters of the simple ranges are folded here first, so that they pair
// the same on every platform whatever its own case table lacks (some leave
// the final sigma alone); the platform's ordinal comparison folds the rest.
int CompareNames(std::wstring_view a, std::wstring_view b) {
    std::size_t same = 0;
    while (same < a.size() && same < b.size() && PairedUpper(a[same]) == PairedUpper(b[same])) ++same;
    a.remove_prefix(same);
    b.remove_prefix(same);
    if (a.empty() || b.empty()) return static_cast<int>(!a.empty()) - static_cast<int>(!b.empty());
    const std::wstring fa = Folded(a), fb = Folded(b);
    return ::CompareStringOrdinal(fa.data(), static_cast<int>(fa.size()), fb.data(), static_cast<int>(fb.size()), TRUE) -
           CSTR_EQUAL;
}

bool SameName(std::wstring_view a, std::wstring_view b) { return a.size() == b.size() && CompareNames(a, b) == 0; }

namespace {

// The text by which two paths are compared.
std::wstring ComparedForm(const std::wstring& path) { return WithoutTrailingBackslashes(WithoutExtendedPrefix(path)); }

}  // namespace

bool SamePath(const std::wstring& a, const std::wstring& b) { return SameName(ComparedForm(a), ComparedForm(b)); }

bool SameOrInside(const std::wstring& inner, const std::wstring& outer) {
    const std::wstring in = ComparedForm(inner), out = ComparedForm(outer);
    if (in.empty() || out.empty()) return false;
    if (in.size() < out.size()) return false;
    // Only at a backslash does a part of the path end: "C:\\ab" is not in "C:\\a".
    if (in.size() > out.size() && out.back() != L'\\' && in[out.size()] != L'\\') return false;
    return SameName(std::wstring_view(in).substr(0, out.size()), out);
}

std::wstring ExtendedPath(const std::wstring& path) {
    return path.size() < kExtendedFromLength ? path : WithExtendedPrefix(path);
}

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

std::wstring WithTrailingBackslash(std::wstring folder) {
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    return folder;
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
        if (SameName(base, device)) return true;
    if (base.size() != 4) return false;
    const wchar_t last = base[3];
    const bool numbered = (last >= L'0' && last <= L'9') || last == 0xB9 || last == 0xB2 || last == 0xB3;
    return numbered && (SameName(base.substr(0, 3), L"COM") || SameName(base.substr(0, 3), L"LPT"));
}

}  // namespace census
