#include "cli/console_text.h"

#include "runtime/text_bytes.h"

#include <windows.h>

namespace census {

namespace {

std::wstring WithCrLf(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size() + 8);
    for (wchar_t c : text) {
        if (c == L'\n') out += L'\r';
        out += c;
    }
    return out + L"\r\n";
}

}  // namespace

std::string RedirectedBytes(const std::wstring& text, unsigned code_page) {
    std::string bytes;
    AppendBytes(WithCrLf(text), code_page, Unfit::BestFit, bytes);
    return bytes;
}

void WriteConsoleLine(ConsoleStream stream, const std::wstring& text) {
    HANDLE out = ::GetStdHandle(stream == ConsoleStream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
    DWORD mode = 0, written = 0;
    if (::GetConsoleMode(out, &mode)) {
        const std::wstring lines = WithCrLf(text);
        ::WriteConsoleW(out, lines.data(), static_cast<DWORD>(lines.size()), &written, nullptr);
        return;
    }
    DWORD process = 0;
    const bool has_console = ::GetConsoleProcessList(&process, 1) != 0;
    const UINT code_page = has_console ? ::GetConsoleOutputCP() : CP_UTF8;
    const std::string bytes = RedirectedBytes(text, code_page ? code_page : CP_UTF8);
    ::WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace census
