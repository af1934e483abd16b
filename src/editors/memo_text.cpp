#include "editors/memo_text.h"

namespace census {

std::wstring RewriteLineFeedReturns(const std::wstring& text) {
    if (text.find(L"\n\r") == std::wstring::npos) return text;
    std::wstring out;
    out.reserve(text.size() + 16);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\n' && i + 1 < text.size() && text[i + 1] == L'\r') {
            out += L"\r\n\r\n";
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::wstring FitToMaxLength(const std::wstring& text, int chars_before, int max_length) {
    if (max_length <= 0) return text;
    int room = max_length - chars_before;
    if (room <= 0) return std::wstring();
    return text.substr(0, static_cast<size_t>(room));
}

}  // namespace census
