#include "runtime/text_file.h"

#include "runtime/errors.h"
#include "runtime/handles.h"

#include <windows.h>

#include <algorithm>

namespace census {

namespace {

std::wstring FullPath(const std::wstring& path) {
    DWORD n = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return path;
    std::wstring full(n, L'\0');
    n = ::GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
    full.resize(n);
    return full;
}

[[noreturn]] void ThrowCreateError(const std::wstring& path, DWORD code) {
    throw FileCreateError(L"Cannot create file \"" + FullPath(path) + L"\". " + SystemErrorMessage(code));
}

// A fresh file beside the target (same folder, so the final rename stays on one volume).
UniqueFileHandle CreateTemporaryBeside(const std::wstring& full, std::wstring& temp_name) {
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        temp_name = full + L"." + std::to_wstring(::GetCurrentProcessId()) + L"." + std::to_wstring(attempt) +
                    L".tmp";
        UniqueFileHandle h(::CreateFileW(temp_name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
        if (h) return h;
        if (::GetLastError() != ERROR_FILE_EXISTS && ::GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    return UniqueFileHandle();
}

}  // namespace

std::string ToCodePage1251(const std::wstring& text) {
    if (text.empty()) return {};
    BOOL used_default = FALSE;
    int n = ::WideCharToMultiByte(kListCodePage, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                                  nullptr, 0, "?", &used_default);
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(kListCodePage, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                          out.data(), n, "?", &used_default);
    return out;
}

void WriteTextFile(const std::wstring& path, const std::wstring& text) { WriteFileBytes(path, ToCodePage1251(text)); }

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    std::wstring full = FullPath(path);
    // The target must be replaceable at all: a locked or read-only file, or a
    // folder of that name, is reported before anything is written.
    DWORD attrs = ::GetFileAttributesW(full.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES) {
        if (attrs & FILE_ATTRIBUTE_DIRECTORY) ThrowCreateError(path, ERROR_ACCESS_DENIED);
        UniqueFileHandle probe(::CreateFileW(full.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!probe) ThrowCreateError(path, ::GetLastError());
    }
    std::wstring temp;
    UniqueFileHandle file = CreateTemporaryBeside(full, temp);
    if (!file) ThrowCreateError(path, ::GetLastError());
    ScopeExit remove_temp([&] { ::DeleteFileW(temp.c_str()); });

    size_t done = 0;
    while (done < bytes.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        if (!::WriteFile(file.get(), bytes.data() + done, chunk, &written, nullptr) || written == 0)
            throw StreamWriteError();
        done += written;
    }
    if (!::FlushFileBuffers(file.get())) throw StreamWriteError();
    file.reset();
    if (!::MoveFileExW(temp.c_str(), full.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        ThrowCreateError(path, ::GetLastError());
    remove_temp.dismiss();
}

}  // namespace census
