// A folder tree under the temp directory for one test, removed afterwards.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>

namespace census::testing {

class TempFolder {
public:
    explicit TempFolder(const std::wstring& name) {
        wchar_t temp[MAX_PATH];
        const DWORD n = ::GetTempPathW(MAX_PATH, temp);
        std::wstring base(temp, n);
        if (!base.empty() && base.back() == L'\\') base.pop_back();
        // The long form: the shell reports long names and tests compare paths.
        wchar_t full[MAX_PATH];
        if (::GetLongPathNameW(base.c_str(), full, MAX_PATH)) base = full;
        path_ = base + L"\\" + name + L"_" + std::to_wstring(::GetCurrentProcessId());
        RemoveTree(path_);
        ::CreateDirectoryW(path_.c_str(), nullptr);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder() { RemoveTree(path_); }

    const std::wstring& Path() const { return path_; }
    std::wstring Sub(const std::wstring& relative) const { return path_ + L"\\" + relative; }

    void Folder(const std::wstring& relative, DWORD attributes = 0) const {
        ::CreateDirectoryW(Sub(relative).c_str(), nullptr);
        if (attributes) ::SetFileAttributesW(Sub(relative).c_str(), attributes);
    }
    void File(const std::wstring& relative) const {
        HANDLE h = ::CreateFileW(Sub(relative).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
    }

private:
    static void RemoveTree(const std::wstring& path) {
        std::wstring from = path + L'\0';  // double-NUL terminated
        SHFILEOPSTRUCTW op{};
        op.wFunc = FO_DELETE;
        op.pFrom = from.c_str();
        op.fFlags = FOF_NO_UI;
        ::SHFileOperationW(&op);
    }

    std::wstring path_;
};

}  // namespace census::testing
