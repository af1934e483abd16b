#include "shell/namespace/long_path_folder.h"

#include "runtime/path_names.h"
#include "shell/namespace/com_object.h"
#include "shell/namespace/shell_namespace.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace census {
namespace {

constexpr BYTE kItemMarker = 0x7A;

// Item bytes: count (2), marker (1), padding (1), attributes (4), name with
// its NUL (UTF-16), then the list's terminator.
struct ItemHeader {
    USHORT size;
    BYTE marker;
    BYTE padding;
    DWORD attributes;
};

LPITEMIDLIST MakeItem(const WIN32_FIND_DATAW& entry) {
    const size_t name_bytes = (std::wcslen(entry.cFileName) + 1) * sizeof(wchar_t);
    const size_t size = sizeof(ItemHeader) + name_bytes;
    auto* bytes = static_cast<BYTE*>(::CoTaskMemAlloc(size + 2));
    if (!bytes) return nullptr;
    const ItemHeader header{static_cast<USHORT>(size), kItemMarker, 0, entry.dwFileAttributes};
    std::memcpy(bytes, &header, sizeof header);
    std::memcpy(bytes + sizeof header, entry.cFileName, name_bytes);
    bytes[size] = bytes[size + 1] = 0;
    return reinterpret_cast<LPITEMIDLIST>(bytes);
}

// The header and name of one of our items; false for anything else.
bool ReadItem(PCUIDLIST_RELATIVE item, ItemHeader& header, std::wstring& name) {
    if (!item || item->mkid.cb < sizeof(ItemHeader) + sizeof(wchar_t)) return false;
    std::memcpy(&header, item, sizeof header);
    if (header.marker != kItemMarker) return false;
    const auto* text = reinterpret_cast<const wchar_t*>(reinterpret_cast<const BYTE*>(item) + sizeof header);
    const size_t chars = (header.size - sizeof header) / sizeof(wchar_t);
    name.assign(text, chars);
    name.resize(std::wcslen(name.c_str()));
    return !name.empty();
}

bool Listable(const WIN32_FIND_DATAW& entry, SHCONTF flags) {
    const std::wstring name = entry.cFileName;
    if (name == L"." || name == L"..") return false;
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) && !(flags & SHCONTF_INCLUDEHIDDEN)) return false;
    const bool folder = entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
    return folder ? (flags & SHCONTF_FOLDERS) != 0 : (flags & SHCONTF_NONFOLDERS) != 0;
}

bool HasSubFolder(const std::wstring& path) {
    WIN32_FIND_DATAW entry;
    UniqueFindHandle search(::FindFirstFileExW((WithExtendedPrefix(path) + L"\\*").c_str(), FindExInfoBasic, &entry,
                                               FindExSearchLimitToDirectories, nullptr, 0));
    if (!search) return false;
    do {
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && Listable(entry, SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN))
            return true;
    } while (::FindNextFileW(search.get(), &entry));
    return false;
}

class ItemEnumerator : public ComObject<IEnumIDList> {
public:
    ItemEnumerator(const std::wstring& path, SHCONTF flags) {
        WIN32_FIND_DATAW entry;
        UniqueFindHandle search(::FindFirstFileExW((WithExtendedPrefix(path) + L"\\*").c_str(), FindExInfoBasic, &entry,
                                                   FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
        if (!search) return;
        do {
            if (Listable(entry, flags)) entries_.push_back(entry);
        } while (::FindNextFileW(search.get(), &entry));
    }
    HRESULT STDMETHODCALLTYPE Next(ULONG wanted, PITEMID_CHILD* items, ULONG* fetched) override {
        ULONG given = 0;
        while (given < wanted && next_ < entries_.size()) items[given++] = MakeItem(entries_[next_++]);
        if (fetched) *fetched = given;
        return given == wanted ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        next_ += count;
        return next_ <= entries_.size() ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        next_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumIDList**) override { return E_NOTIMPL; }

private:
    std::vector<WIN32_FIND_DATAW> entries_;
    size_t next_ = 0;
};

class LongPathFolder : public ComObject<IShellFolder> {
public:
    explicit LongPathFolder(std::wstring path) : path_(std::move(path)) {}

    HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND, IBindCtx*, LPWSTR, ULONG*, PIDLIST_RELATIVE*, ULONG*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE EnumObjects(HWND, SHCONTF flags, IEnumIDList** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        return ComBoundary([&] {
            *out = std::make_unique<ItemEnumerator>(path_, flags).release();
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE BindToObject(PCUIDLIST_RELATIVE item, IBindCtx*, REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        return ComBoundary([&] {
            ItemHeader header;
            std::wstring name;
            if (!ReadItem(item, header, name) || !(header.attributes & FILE_ATTRIBUTE_DIRECTORY)) return E_INVALIDARG;
            ComPtr<IShellFolder> folder(std::make_unique<LongPathFolder>(JoinPath(path_, name)).release());
            auto rest = reinterpret_cast<PCUIDLIST_RELATIVE>(reinterpret_cast<const BYTE*>(item) + item->mkid.cb);
            return rest->mkid.cb ? folder->BindToObject(rest, nullptr, iid, out) : folder->QueryInterface(iid, out);
        });
    }
    HRESULT STDMETHODCALLTYPE BindToStorage(PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM, PCUIDLIST_RELATIVE a, PCUIDLIST_RELATIVE b) override {
        return ComBoundary([&] {
            ItemHeader ha, hb;
            std::wstring na, nb;
            if (!ReadItem(a, ha, na) || !ReadItem(b, hb, nb)) return E_INVALIDARG;
            const int order = CompareNames(na, nb);
            return MAKE_HRESULT(SEVERITY_SUCCESS, 0, static_cast<USHORT>(static_cast<short>(order)));
        });
    }
    HRESULT STDMETHODCALLTYPE CreateViewObject(HWND, REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT count, PCUITEMID_CHILD_ARRAY items, SFGAOF* in_out) override {
        if (!in_out) return E_POINTER;
        return ComBoundary([&] {
            SFGAOF common = ~0u;
            for (UINT i = 0; i < count; ++i) {
                ItemHeader header;
                std::wstring name;
                if (!ReadItem(items[i], header, name)) return E_INVALIDARG;
                SFGAOF own = SFGAO_FILESYSTEM | SFGAO_CANCOPY | SFGAO_CANMOVE;
                if (header.attributes & FILE_ATTRIBUTE_DIRECTORY) {
                    own |= SFGAO_FOLDER | SFGAO_FILESYSANCESTOR;
                    if ((*in_out & SFGAO_HASSUBFOLDER) && HasSubFolder(JoinPath(path_, name))) own |= SFGAO_HASSUBFOLDER;
                }
                if (header.attributes & FILE_ATTRIBUTE_HIDDEN) own |= SFGAO_HIDDEN;  // the tree dims these
                common &= own;
            }
            *in_out &= count ? common : SFGAO_FOLDER | SFGAO_FILESYSTEM;
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND, UINT, PCUITEMID_CHILD_ARRAY, REFIID, UINT*, void**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetDisplayNameOf(PCUITEMID_CHILD item, SHGDNF flags, STRRET* out) override {
        return ComBoundary([&] {
            ItemHeader header;
            std::wstring name;
            if (!out || !ReadItem(item, header, name)) return E_INVALIDARG;
            const std::wstring text =
                (flags & SHGDN_FORPARSING) && !(flags & SHGDN_INFOLDER) ? JoinPath(path_, name) : name;
            const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
            auto* copy = static_cast<wchar_t*>(::CoTaskMemAlloc(bytes));
            if (!copy) return E_OUTOFMEMORY;
            std::memcpy(copy, text.c_str(), bytes);
            out->uType = STRRET_WSTR;
            out->pOleStr = copy;
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE SetNameOf(HWND, PCUITEMID_CHILD, LPCWSTR, SHGDNF, PITEMID_CHILD*) override {
        return E_NOTIMPL;
    }

private:
    std::wstring path_;
};

// The platform's shell folders reach a folder beyond MAX_PATH when one made
// in the temporary folder shows its sub-folder through them.
bool ShellEnumeratesLongFolders() {
    wchar_t temp[MAX_PATH + 1] = {};
    if (!::GetTempPathW(MAX_PATH + 1, temp)) return true;
    const std::wstring base = std::wstring(temp) + L"census-long-" + std::to_wstring(::GetCurrentProcessId());
    const std::wstring name(std::max<int>(20, MAX_PATH + 10 - static_cast<int>(base.size())), L'l');
    const std::wstring long_folder = WithExtendedPrefix(JoinPath(base, name));
    ::CreateDirectoryW(base.c_str(), nullptr);
    ::CreateDirectoryW(long_folder.c_str(), nullptr);
    ::CreateDirectoryW((long_folder + L"\\sub").c_str(), nullptr);
    ScopeExit remove([&] {
        ::RemoveDirectoryW((long_folder + L"\\sub").c_str());
        ::RemoveDirectoryW(long_folder.c_str());
        ::RemoveDirectoryW(base.c_str());
    });
    UniqueIdList base_list;
    ComPtr<IShellFolder> base_folder, folder;
    ComPtr<IEnumIDList> items;
    if (FAILED(ParsePath(base, base_list)) || FAILED(BindToFolder(base_list.get(), base_folder))) return true;
    if (base_folder->EnumObjects(nullptr, SHCONTF_FOLDERS, items.put()) != S_OK) return true;
    UniqueIdList item;
    ULONG fetched = 0;
    if (items->Next(1, reinterpret_cast<PITEMID_CHILD*>(item.put()), &fetched) != S_OK || !fetched) return true;
    if (FAILED(base_folder->BindToObject(item.get(), nullptr, IID_IShellFolder, folder.put_void())) || !folder)
        return false;
    ComPtr<IEnumIDList> inner;
    UniqueIdList sub;
    return folder->EnumObjects(nullptr, SHCONTF_FOLDERS, inner.put()) == S_OK &&
           inner->Next(1, reinterpret_cast<PITEMID_CHILD*>(sub.put()), &fetched) == S_OK && fetched == 1;
}

}  // namespace

bool IsLongPathItem(PCUIDLIST_RELATIVE item) {
    ItemHeader header;
    std::wstring name;
    return ReadItem(item, header, name);
}

bool NeedsLongPathFolder(const std::wstring& path) {
    // "path\*" must fit the shell's buffers.
    if (path.size() + 2 < MAX_PATH) return false;
    static const bool shell_reaches = ShellEnumeratesLongFolders();
    return !shell_reaches;
}

ComPtr<IShellFolder> MakeLongPathFolder(const std::wstring& path) {
    return ComPtr<IShellFolder>(std::make_unique<LongPathFolder>(path).release());
}

}  // namespace census
