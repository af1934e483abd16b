#include "shell/transfer/file_identity.h"

#include "shell/transfer/transfer_names.h"

namespace census {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

}  // namespace

std::wstring ExtendedPath(const std::wstring& path) {
    return path.size() < MAX_PATH - 12 ? path : WithExtendedPrefix(path);
}

bool IdentityOf(const std::wstring& path, FileIdentity& identity) {
    UniqueFileHandle h(::CreateFileW(ExtendedPath(path).c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!h || !::GetFileInformationByHandle(h.get(), &info)) return false;
    identity.volume = info.dwVolumeSerialNumber;
    identity.index = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

bool IdentitySameOrInside(const std::wstring& folder, const std::wstring& source) {
    FileIdentity source_id;
    if (!IdentityOf(source, source_id)) return TextSameOrInside(folder, source);
    for (std::wstring at = folder; !at.empty(); at = ParentPart(at)) {
        FileIdentity id;
        if (IdentityOf(at, id) && id == source_id) return true;
        if (ParentPart(at) == at) break;
    }
    return false;
}

std::wstring FinalPathOf(HANDLE handle) {
    wchar_t small[MAX_PATH + 8];
    DWORD length = ::GetFinalPathNameByHandleW(handle, small, MAX_PATH + 8, FILE_NAME_NORMALIZED);
    if (length == 0) return {};
    if (length < MAX_PATH + 8) return WithoutExtendedPrefix(std::wstring(small, length));
    std::wstring big(length, L'\0');
    length = ::GetFinalPathNameByHandleW(handle, big.data(), length, FILE_NAME_NORMALIZED);
    if (length == 0 || length >= big.size()) return {};
    big.resize(length);
    return WithoutExtendedPrefix(big);
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
    if (!check.final_path.empty() && !SameName(check.final_path, expected_final)) {
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
