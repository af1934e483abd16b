#include "decor/link_target.h"

#include <algorithm>
#include <cwctype>

namespace census {

bool IsBlankText(const std::wstring& text) {
    return std::all_of(text.begin(), text.end(), [](wchar_t c) { return c <= L' '; });
}

std::wstring LinkTarget(const std::wstring& url, const std::wstring& caption) {
    return IsBlankText(url) ? caption : url;
}

std::wstring UpperExtension(const std::wstring& target) {
    const size_t dot = target.find_last_of(L".\\:");
    if (dot == std::wstring::npos || target[dot] != L'.') return {};
    std::wstring ext = target.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](wchar_t c) { return static_cast<wchar_t>(std::towupper(c)); });
    return ext;
}

bool OffersProgramChooser(const std::wstring& target) { return UpperExtension(target) == L".HTM"; }

}  // namespace census
