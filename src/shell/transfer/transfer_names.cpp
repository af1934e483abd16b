#include "shell/transfer/transfer_names.h"

#include <unordered_map>

namespace census {
namespace {

constexpr std::size_t kFree = std::wstring::npos;

// Upper case of one UTF-16 unit, for the ranges where the platform's case
// table pairs letters simply (each lower case letter one above or a fixed
// distance from its capital).
wchar_t Upper(wchar_t c) {
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

}  // namespace

std::wstring FoldedName(const std::wstring& name) {
    std::wstring folded = name;
    for (wchar_t& c : folded) c = Upper(c);
    return folded;
}

bool SameName(const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() && FoldedName(a) == FoldedName(b);
}

std::vector<std::size_t> NameClashes(const std::vector<std::wstring>& names, const std::vector<std::wstring>& taken) {
    std::unordered_map<std::wstring, std::size_t> first;  // folded name -> first item holding it
    std::vector<std::size_t> clash(names.size(), kFree);
    for (std::size_t i = 0; i < names.size(); ++i) {
        auto [at, fresh] = first.emplace(FoldedName(names[i]), i);
        if (fresh) continue;
        clash[i] = at->second;
        if (clash[at->second] == kFree || clash[at->second] == names.size()) clash[at->second] = i;
    }
    std::unordered_map<std::wstring, bool> present;
    for (const std::wstring& name : taken) present.emplace(FoldedName(name), true);
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (clash[i] == kFree && present.count(FoldedName(names[i]))) clash[i] = names.size();
    }
    return clash;
}

bool TextSameOrInside(const std::wstring& inner, const std::wstring& outer) {
    const std::wstring a = FoldedName(WithoutTrailingBackslashes(inner)), b = FoldedName(WithoutTrailingBackslashes(outer));
    if (a == b) return true;
    const std::wstring prefix = b.back() == L'\\' ? b : b + L'\\';
    return a.size() > prefix.size() && a.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace census
