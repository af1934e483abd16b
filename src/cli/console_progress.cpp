#include "cli/console_progress.h"

#include <windows.h>

namespace census {

ConsoleProgress::ConsoleProgress(bool wanted) {
    HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!wanted || !::GetConsoleMode(error, &mode) || !::GetConsoleScreenBufferInfo(error, &info)) return;
    console_ = error;
    width_ = info.dwSize.X;
}

std::wstring ConsoleProgress::Text(std::int64_t files, const std::wstring& folder, int width) {
    std::wstring text = L"Файлов: " + std::to_wstring(files) + L"  ";
    const size_t room = width > 1 ? static_cast<size_t>(width - 1) : 0;
    if (text.size() + folder.size() <= room) return text + folder;
    if (text.size() + 1 >= room) return text.substr(0, room);
    std::wstring tail = folder.substr(folder.size() - (room - text.size() - 1));
    if (tail[0] >= 0xDC00 && tail[0] <= 0xDFFF) tail.erase(0, 1);  // half a character is none
    return text + L"…" + tail;
}

void ConsoleProgress::Show(std::int64_t files, const std::wstring& folder) {
    if (!console_) return;
    std::wstring line = Text(files, folder, width_);
    // Blanks over what a longer line before left.
    line.resize(static_cast<size_t>(width_ > 1 ? width_ - 1 : 0), L' ');
    Write(L"\r" + line + L"\r");
    shown_ = true;
}

void ConsoleProgress::Clear() {
    if (!shown_) return;
    Write(L"\r" + std::wstring(static_cast<size_t>(width_ - 1), L' ') + L"\r");
    shown_ = false;
}

void ConsoleProgress::Write(const std::wstring& line) {
    DWORD written = 0;
    ::WriteConsoleW(console_, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

SecondTicker::SecondTicker() : next_(::GetTickCount64() + 1000) {}

bool SecondTicker::Ticked() {
    const std::uint64_t now = ::GetTickCount64();
    if (now < next_) return false;
    next_ = now + 1000;
    return true;
}

}  // namespace census
