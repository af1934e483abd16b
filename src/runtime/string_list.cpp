#include "runtime/string_list.h"

#include "runtime/text_file.h"

namespace census {

std::wstring AppendedText(bool empty_or_ends_with_break, std::span<const std::wstring> lines) {
    size_t total = 0;
    for (const auto& l : lines) total += l.size() + 2;
    std::wstring out;
    out.reserve(total);
    bool at_break = empty_or_ends_with_break;
    for (const auto& line : lines) {
        if (at_break) {
            out += line;
            out += L"\r\n";
        } else {
            out += L"\r\n";
            out += line;
            // An empty line (or one ending with a break) leaves the text at a break again.
            at_break = EmptyOrEndsWithBreak(line);
        }
    }
    return out;
}

bool EmptyOrEndsWithBreak(const std::wstring& text) {
    return text.empty() || (text.size() >= 2 && text.compare(text.size() - 2, 2, L"\r\n") == 0);
}

std::vector<std::wstring> SplitLines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    size_t start = 0, i = 0;
    while (i < text.size()) {
        wchar_t c = text[i];
        if (c == L'\r' || c == L'\n') {
            lines.emplace_back(text, start, i - start);
            i += (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ? 2 : 1;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < text.size()) lines.emplace_back(text, start, text.size() - start);
    return lines;
}

void Strings::SaveToFile(const std::wstring& path) const { WriteTextFile(path, Text()); }

std::wstring StringList::Text() const {
    std::wstring out;
    for (const auto& l : lines_) {
        out += l;
        out += L"\r\n";
    }
    return out;
}

void StringList::SetText(const std::wstring& text) { lines_ = SplitLines(text); }

void StringList::AddStrings(std::span<const std::wstring> lines) {
    lines_.insert(lines_.end(), lines.begin(), lines.end());
}

}  // namespace census
