// A small drive of its own for a test: a size-limited memory file system
// mounted on a folder (under Wine, by the host's mount). Writing past its
// size fails as a full disk does, and moving onto it crosses volumes.
#pragma once

#include "runtime/handles.h"
#include "support/temp_tree.h"

#include <windows.h>

#include <string>

namespace census::testing {

class SmallDrive {
public:
    // Mounts size_kib of space on folder, which must exist and be empty.
    SmallDrive(const std::wstring& folder, int size_kib) : folder_(folder) {
        if (!HostPath(folder, host_)) return;
        const std::wstring command =
            L"mount -t tmpfs -o size=" + std::to_wstring(size_kib) + L"k tmpfs \"" + host_ + L"\"";
        mounted_ = RunHost(L"Z:\\bin\\mount", command, [this] { return Crossed(); });
    }
    ~SmallDrive() {
        if (mounted_) RunHost(L"Z:\\bin\\umount", L"umount -l \"" + host_ + L"\"", [this] { return !Crossed(); });
    }
    SmallDrive(const SmallDrive&) = delete;
    SmallDrive& operator=(const SmallDrive&) = delete;

    bool Mounted() const { return mounted_; }

private:
    // A file made beside the folder cannot be renamed into it: another device.
    bool Crossed() const {
        const std::wstring beside = folder_ + L"-probe", inside = folder_ + L"\\probe";
        UniqueFileHandle made(::CreateFileW(beside.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        made.reset();
        const bool moved = ::MoveFileExW(beside.c_str(), inside.c_str(), 0);
        const bool crossed = !moved && ::GetLastError() == ERROR_NOT_SAME_DEVICE;
        ::DeleteFileW(moved ? inside.c_str() : beside.c_str());
        return crossed;
    }

    std::wstring folder_, host_;
    bool mounted_ = false;
};

}  // namespace census::testing
