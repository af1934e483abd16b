// The census benchmarks' trees of small empty files, made once under the
// temporary folder and kept for later runs (a marker file says a tree is
// complete): making a million files takes minutes.
#pragma once

#include "bare_walk.h"
#include "runtime/handles.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace census::bench {

inline std::wstring CacheFolder(long files) {
    wchar_t temp[MAX_PATH] = L"";
    ::GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + L"census-last-block-" + std::to_wstring(files);
}

// Folders of 100 files, 100 folders to a group: root\gA\dB\fileC.dat.
inline std::wstring CachedTree(long files) {
    const std::wstring root = CacheFolder(files);
    const std::wstring marker = root + L".complete";
    if (::GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES) return root;
    RemoveTree(root);
    std::printf("making %ld files under the temporary folder (once)...\n", files);
    std::fflush(stdout);
    const auto begin = std::chrono::steady_clock::now();
    ::CreateDirectoryW(root.c_str(), nullptr);
    for (long made = 0, folder = 0; made < files; ++folder) {
        std::wstring group = root + L"\\g" + std::to_wstring(folder / 100);
        if (folder % 100 == 0) ::CreateDirectoryW(group.c_str(), nullptr);
        std::wstring dir = group + L"\\d" + std::to_wstring(folder % 100);
        ::CreateDirectoryW(dir.c_str(), nullptr);
        for (int f = 0; f < 100 && made < files; ++f, ++made) {
            std::wstring file = dir + L"\\file" + std::to_wstring(f) + L".dat";
            UniqueFileHandle h(::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        }
    }
    UniqueFileHandle done(::CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    std::printf("  made in %.0f s\n", std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count());
    std::fflush(stdout);
    return root;
}

}  // namespace census::bench
