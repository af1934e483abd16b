#include "runtime/errors.h"

#include "runtime/handles.h"
#include "runtime/text_bytes.h"

#include <windows.h>

namespace census {

std::string ToUtf8(const std::wstring& text) {
    std::string out;
    AppendBytes(text, kUtf8CodePage, Unfit::Question, out);
    return out;
}

std::wstring FromUtf8(const std::string& text) {
    if (text.empty()) return {};
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

Exception::Exception(std::wstring message) : std::runtime_error(ToUtf8(message)), message_(std::move(message)) {}

std::wstring SystemErrorMessage(unsigned long code) {
    UniqueLocalMemory<wchar_t*> buffer;
    DWORD n = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                   FORMAT_MESSAGE_IGNORE_INSERTS,
                               nullptr, code, 0, reinterpret_cast<wchar_t*>(buffer.put()), 0, nullptr);
    std::wstring text = n && buffer ? std::wstring(buffer.get(), n) : std::wstring();
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    if (text.empty()) text = L"System error " + std::to_wstring(code);
    return text;
}

void ThrowIfFailed(long result) {
    if (FAILED(result)) throw Exception(SystemErrorMessage(static_cast<unsigned long>(result)));
}

}  // namespace census
