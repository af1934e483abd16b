#include "shell/transfer/file_identity.h"

#include "shell/transfer/transfer_names.h"

#include <winternl.h>

#include <string_view>
#include <vector>

namespace census {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// The longest path the file functions take, in characters.
constexpr DWORD kLongestPath = 32767;
// The first buffer for a final path: a classic path with the extended prefix fits.
constexpr std::size_t kFirstFinalPathBuffer = MAX_PATH + 8;

// The parent to compare next, or empty once past a drive's root or a share.
std::wstring ParentWithin(const std::wstring& path) {
    const std::wstring parent = ParentPart(path);
    const bool server_only = parent.rfind(L"\\\\", 0) == 0 && parent.find(L'\\', 2) == std::wstring::npos;
    return server_only ? std::wstring{} : parent;
}

// The handle's name in the object namespace, read into a buffer of the
// longest path's size, where that name is in the DOS devices form
// ("\??\C:\...", "\??\UNC\server\share\...") that the extended-length
// prefix stands for; empty for any other form.
std::wstring ObjectDosName(HANDLE handle) {
    using QueryObject = LONG(NTAPI*)(HANDLE, OBJECT_INFORMATION_CLASS, void*, ULONG, ULONG*);
    static const auto query =
        reinterpret_cast<QueryObject>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryObject"));
    if (!query) return {};
    std::vector<unsigned char> buffer(sizeof(OBJECT_NAME_INFORMATION) + (kLongestPath + 8) * sizeof(wchar_t));
    ULONG returned = 0;
    if (query(handle, ObjectNameInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &returned) < 0) return {};
    const auto* info = reinterpret_cast<const OBJECT_NAME_INFORMATION*>(buffer.data());
    const auto first = reinterpret_cast<std::uintptr_t>(info->Name.Buffer);
    const auto start = reinterpret_cast<std::uintptr_t>(buffer.data());
    if (first < start || first + info->Name.Length > start + buffer.size()) return {};
    const std::wstring name(info->Name.Buffer, info->Name.Length / sizeof(wchar_t));
    constexpr std::wstring_view kDosDevices = L"\\??\\";
    if (name.rfind(kDosDevices, 0) != 0) return {};
    const std::wstring path = WithoutExtendedPrefix(L"\\\\?\\" + name.substr(kDosDevices.size()));
    const bool drive = path.size() >= 3 && path[1] == L':' && path[2] == L'\\';
    const bool share = path.rfind(L"\\\\", 0) == 0;
    return drive || share ? path : std::wstring{};
}

}  // namespace

bool IdentityOf(const std::wstring& path, FileIdentity& identity) {
    UniqueFileHandle h(::CreateFileW(ExtendedPath(path).c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!h || !::GetFileInformationByHandle(h.get(), &info)) return false;
    identity.volume = info.dwVolumeSerialNumber;
    identity.index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

Containment IdentitySameOrInside(const std::wstring& folder, const std::wstring& source) {
    FileIdentity source_id;
    const std::wstring real = FinalPathOfPath(folder);
    if (real.empty() || !IdentityOf(source, source_id)) return Containment::Unknown;
    for (std::wstring at = real; !at.empty(); at = ParentWithin(at)) {
        FileIdentity id;
        if (!IdentityOf(at, id)) return Containment::Unknown;
        if (id == source_id) return Containment::Inside;
    }
    return Containment::Outside;
}

// The platform's call answers a buffer too small either with the size it
// needs or, on some platforms (Wine), only with "more data"; there it also
// reads the name into a buffer of the classic size of its own, so no buffer
// of ours is ever enough, and the name is read from the object namespace.
std::wstring FinalPathOf(HANDLE handle) {
    std::wstring path(kFirstFinalPathBuffer, L'\0');
    for (;;) {
        const DWORD length =
            ::GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()), FILE_NAME_NORMALIZED);
        if (length > 0 && length < path.size()) {
            path.resize(length);
            return WithoutExtendedPrefix(path);
        }
        if (length == 0 && ::GetLastError() != ERROR_MORE_DATA) return {};
        if (path.size() > kLongestPath) break;
        path.assign(length > path.size() ? length + 1 : kLongestPath + 1, L'\0');
    }
    std::wstring named = ObjectDosName(handle);
    if (named.empty()) ::SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return named;
}

UniqueFileHandle OpenEntry(const std::wstring& path, DWORD access, DWORD extra_flags) {
    return UniqueFileHandle(::CreateFileW(ExtendedPath(path).c_str(), access, kShareAll, nullptr, OPEN_EXISTING,
                                          FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT | extra_flags,
                                          nullptr));
}

EntryCheck CheckEntry(const std::wstring& path, const std::wstring& expected_final, DWORD attributes) {
    EntryCheck check;
    UniqueFileHandle h = OpenEntry(path, 0);
    if (!h) {
        check.kind = EntryKind::Unreadable;
        check.error = ::GetLastError();
        return check;
    }
    check.final_path = FinalPathOf(h.get());
    const bool special = ::GetFileType(h.get()) != FILE_TYPE_DISK;
    const bool elsewhere = !check.final_path.empty() && !SameName(check.final_path, expected_final);
    if ((elsewhere || special) && ReservedDeviceName(LastPart(path))) {
        check.kind = EntryKind::DeviceName;
    } else if (elsewhere) {
        check.kind = EntryKind::HiddenLink;
    } else if (special) {
        check.kind = EntryKind::Special;
    } else if (check.final_path.empty()) {
        check.kind = EntryKind::Unreadable;
        check.error = ::GetLastError();
    } else if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        check.kind = EntryKind::Link;
    }
    return check;
}

std::wstring FinalPathOfPath(const std::wstring& path) {
    UniqueFileHandle h(::CreateFileW(ExtendedPath(path).c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return h ? FinalPathOf(h.get()) : std::wstring{};
}

}  // namespace census
