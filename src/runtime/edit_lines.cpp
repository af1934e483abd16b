#include "runtime/edit_lines.h"

#include <algorithm>

namespace census {

HWND EditLines::Window() const { return edit_.Handle(); }

std::wstring EditLines::Text() const { return edit_.WindowText(); }

void EditLines::SetText(const std::wstring& text) { edit_.SetCaption(text); }

int EditLines::Count() const {
    HWND h = Window();
    int n = static_cast<int>(::SendMessageW(h, EM_GETLINECOUNT, 0, 0));
    // An edit always reports one (empty) line after a final line break.
    int last_start = static_cast<int>(::SendMessageW(h, EM_LINEINDEX, n - 1, 0));
    if (last_start == ::GetWindowTextLengthW(h)) --n;
    return n;
}

std::wstring EditLines::Get(int index) const {
    HWND h = Window();
    int start = static_cast<int>(::SendMessageW(h, EM_LINEINDEX, index, 0));
    if (start < 0) return {};
    int len = static_cast<int>(::SendMessageW(h, EM_LINELENGTH, start, 0));
    std::wstring line(static_cast<size_t>(std::max(len, 1)) + 1, L'\0');
    *reinterpret_cast<WORD*>(line.data()) = static_cast<WORD>(line.size());
    int got = static_cast<int>(::SendMessageW(h, EM_GETLINE, index, reinterpret_cast<LPARAM>(line.data())));
    line.resize(static_cast<size_t>(std::max(got, 0)));
    return line;
}

void EditLines::AddStrings(std::span<const std::wstring> lines) {
    if (lines.empty()) return;
    HWND h = Window();
    int length = ::GetWindowTextLengthW(h);
    // The last line starts at the very end only when the text is empty or ends with a line break.
    int count = static_cast<int>(::SendMessageW(h, EM_GETLINECOUNT, 0, 0));
    int last_start = static_cast<int>(::SendMessageW(h, EM_LINEINDEX, count - 1, 0));
    std::wstring block = AppendedText(length == 0 || last_start == length, lines);
    ::SendMessageW(h, EM_SETSEL, length, length);
    ::SendMessageW(h, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(block.c_str()));
}

}  // namespace census
