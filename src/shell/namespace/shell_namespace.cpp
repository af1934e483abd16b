#include "shell/namespace/shell_namespace.h"

#include "runtime/path_names.h"

#include <cstring>
#include <cwchar>

namespace census {
namespace {

constexpr SHGDNF kNameFlags[] = {SHGDN_NORMAL, SHGDN_INFOLDER, SHGDN_FORPARSING,
                                 SHGDN_INFOLDER | SHGDN_FOREDITING};

std::wstring FromAnsi(const char* text, int length) {
    if (length <= 0) return {};
    const int wide = ::MultiByteToWideChar(CP_ACP, 0, text, length, nullptr, 0);
    std::wstring out(static_cast<size_t>(wide), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text, length, out.data(), wide);
    return out;
}

int BoundedLength(const char* text, size_t limit) {
    const void* nul = std::memchr(text, 0, limit);
    return static_cast<int>(nul ? static_cast<const char*>(nul) - text : limit);
}

}  // namespace

SHGDNF DisplayNameFlags(DisplayNameKind kind) {
    return kNameFlags[static_cast<int>(kind)];
}

ComPtr<IShellFolder> DesktopFolder() {
    ComPtr<IShellFolder> desktop;
    ::SHGetDesktopFolder(desktop.put());
    return desktop;
}

HRESULT BindToFolder(PCIDLIST_ABSOLUTE list, ComPtr<IShellFolder>& folder) {
    folder.reset();
    ComPtr<IShellFolder> desktop;
    HRESULT hr = ::SHGetDesktopFolder(desktop.put());
    if (FAILED(hr)) return hr;
    if (IdListSize(list) <= 2) {
        folder = std::move(desktop);
        return S_OK;
    }
    hr = desktop->BindToObject(list, nullptr, IID_IShellFolder, folder.put_void());
    if (SUCCEEDED(hr) && !folder) hr = E_FAIL;
    return hr;
}

HRESULT ParsePath(const std::wstring& path, UniqueIdList& list) {
    list.reset();
    if (path.size() >= MAX_PATH) return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    ComPtr<IShellFolder> desktop;
    HRESULT hr = ::SHGetDesktopFolder(desktop.put());
    if (FAILED(hr)) return hr;
    std::wstring buffer = path;  // ParseDisplayName takes a writable string
    ULONG eaten = 0;
    hr = desktop->ParseDisplayName(nullptr, nullptr, buffer.data(), &eaten, list.put(), nullptr);
    if (FAILED(hr)) list.reset();
    return hr;
}

HRESULT SplitParentAndItem(PCIDLIST_ABSOLUTE list, ComPtr<IShellFolder>& parent_folder,
                           UniqueIdList& parent_list, UniqueIdList& item) {
    parent_folder.reset();
    parent_list.reset();
    item.reset();
    UniqueIdList desktop_directory;
    IdListArray items(list);
    if (items.ItemCount() == 0) {
        const HRESULT hr = ParsePath(GetSpecialFolderPath(CSIDL_DESKTOP), desktop_directory);
        if (FAILED(hr)) return hr;
        items = IdListArray(desktop_directory.get());
    }
    const int count = items.ItemCount();
    if (count == 1) {
        item = CopyIdList(items.SingleItem(0));
        parent_folder = DesktopFolder();
        return parent_folder ? S_OK : E_FAIL;
    }
    if (count == 0) return E_FAIL;
    parent_list = CopyIdList(items.LeadingItems(1));
    item = CopyIdList(items.SingleItem(count - 1));
    return BindToFolder(parent_list.get(), parent_folder);
}

std::wstring TakeNameRecord(STRRET& record, PCUITEMID_CHILD item) {
    switch (record.uType) {
    case STRRET_WSTR: {
        UniqueCoTaskMem<wchar_t> text(record.pOleStr);
        record.pOleStr = nullptr;
        return text ? std::wstring(text.get()) : std::wstring();
    }
    case STRRET_OFFSET: {
        const UINT size = IdListSize(item);
        if (!item || record.uOffset >= size) return {};
        const char* text = reinterpret_cast<const char*>(item) + record.uOffset;
        return FromAnsi(text, BoundedLength(text, size - record.uOffset));
    }
    case STRRET_CSTR:
        return FromAnsi(record.cStr, BoundedLength(record.cStr, sizeof record.cStr));
    default:
        return {};
    }
}

std::wstring ItemDisplayName(IShellFolder* folder, PCUITEMID_CHILD item, DisplayNameKind kind) {
    ComPtr<IShellFolder> desktop;
    if (!folder) {
        desktop = DesktopFolder();
        folder = desktop.get();
        if (!folder) return {};
    }
    UniqueIdList empty;
    if (!item) {
        empty = CopyIdList(nullptr);
        item = empty.get();
    }
    STRRET record{};
    if (FAILED(folder->GetDisplayNameOf(item, DisplayNameFlags(kind), &record))) return {};
    return TakeNameRecord(record, item);
}

namespace {

constexpr size_t kLongestPath = 32768;

std::wstring PlatformPath(PCIDLIST_ABSOLUTE list) {
    std::wstring buffer(kLongestPath, L'\0');
    if (!::SHGetPathFromIDListEx(list, buffer.data(), static_cast<DWORD>(buffer.size()), GPFIDL_DEFAULT)) return {};
    buffer.resize(std::wcslen(buffer.c_str()));
    return buffer;
}

// A shell whose path service stops at MAX_PATH cuts longer paths to
// MAX_PATH - 1 characters (or refuses them). Such a path is made again from
// the parent's path and the item's own file name, which the item carries.
bool MayBeCut(const std::wstring& path) { return path.empty() || path.size() >= MAX_PATH - 1; }

std::wstring PathThroughParent(PCIDLIST_ABSOLUTE list) {
    IdListArray items(list);
    const int count = items.ItemCount();
    if (count < 2) return {};
    UniqueIdList item = CopyIdList(items.SingleItem(count - 1));
    UniqueIdList parent_list = CopyIdList(items.LeadingItems(1));
    ComPtr<IShellFolder> parent;
    if (FAILED(BindToFolder(parent_list.get(), parent))) return {};
    const std::wstring name = FileSystemName(parent.get(), item.get());
    if (name.empty()) return {};
    const std::wstring parent_path = GetPathFromIdList(parent_list.get());
    return parent_path.empty() ? std::wstring() : JoinPath(parent_path, name);
}

}  // namespace

std::wstring FileSystemName(IShellFolder* parent, PCUITEMID_CHILD child) {
    SFGAOF attributes = SFGAO_FILESYSTEM;
    if (!parent || FAILED(parent->GetAttributesOf(1, &child, &attributes)) || !(attributes & SFGAO_FILESYSTEM))
        return {};
    STRRET record{};
    if (FAILED(parent->GetDisplayNameOf(child, SHGDN_INFOLDER | SHGDN_FORPARSING, &record))) return {};
    const std::wstring name = TakeNameRecord(record, child);
    return name.find(L'\\') == std::wstring::npos ? name : std::wstring();
}

std::wstring GetPathFromIdList(PCIDLIST_ABSOLUTE list) {
    UniqueIdList empty;
    if (!list) {
        empty = CopyIdList(nullptr);
        list = empty.get();
    }
    std::wstring path = PlatformPath(list);
    if (MayBeCut(path)) {
        std::wstring rebuilt = PathThroughParent(list);
        if (rebuilt.size() > path.size()) path = std::move(rebuilt);
    }
    // A path ends in a backslash only at a drive root ("C:\").
    while (path.size() > 3 && path.back() == L'\\') path.pop_back();
    return path;
}

std::wstring GetSpecialFolderPath(int csidl) {
    UniqueIdList list;
    if (FAILED(::SHGetSpecialFolderLocation(nullptr, csidl, list.put())) || !list) return {};
    return GetPathFromIdList(list.get());
}

}  // namespace census
