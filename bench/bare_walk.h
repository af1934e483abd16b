// The least a census must do: find every file under a folder, and count it.
// The yardstick the census benchmarks measure against. Also how they clear
// away the trees they make.
#pragma once

#include "runtime/handles.h"

#include <windows.h>

#include <cwchar>
#include <string>

namespace census::bench {

inline long BareWalk(const std::wstring& folder) {
    long files = 0;
    WIN32_FIND_DATAW fd;
    UniqueFindHandle h(::FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch,
                                          nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!h) return 0;
    do {
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (std::wcscmp(fd.cFileName, L".") != 0 && std::wcscmp(fd.cFileName, L"..") != 0)
                files += BareWalk(folder + L"\\" + fd.cFileName);
        } else {
            ++files;
        }
    } while (::FindNextFileW(h.get(), &fd));
    return files;
}

// Removes a folder with everything in it (the benchmarks' own trees: no links).
inline void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW fd;
    UniqueFindHandle h(::FindFirstFileW((path + L"\\*").c_str(), &fd));
    if (h) {
        do {
            const std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring child = path + L"\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                ::DeleteFileW(child.c_str());
        } while (::FindNextFileW(h.get(), &fd));
    }
    ::RemoveDirectoryW(path.c_str());
}

}  // namespace census::bench
