#include "shell/file_operations.h"

#include "runtime/application.h"
#include "shell/shell_context_menu.h"
#include "shell/shell_namespace.h"

#include <shlobj.h>

namespace census {
namespace {

constexpr wchar_t kLinkExtension[] = L".lnk";

// Paths near or over the classic limit go to the file functions in their
// extended-length form.
std::wstring Extended(const std::wstring& path) {
    if (path.size() < MAX_PATH - 12 || path.rfind(L"\\\\?\\", 0) == 0) return path;
    if (path.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + path.substr(2);
    return L"\\\\?\\" + path;
}

std::wstring WithoutTrailingSlash(std::wstring path) {
    while (path.size() > 3 && path.back() == L'\\') path.pop_back();
    return path;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                  TRUE) == CSTR_EQUAL;
}

// inner is outer itself or lies somewhere below it.
bool IsSameOrInside(const std::wstring& inner, const std::wstring& outer) {
    const std::wstring a = WithoutTrailingSlash(inner), b = WithoutTrailingSlash(outer);
    if (SamePath(a, b)) return true;
    const std::wstring prefix = b.back() == L'\\' ? b : b + L'\\';
    return a.size() > prefix.size() && SamePath(a.substr(0, prefix.size()), prefix);
}

std::wstring NameOf(const std::wstring& path) {
    const std::wstring p = WithoutTrailingSlash(path);
    const std::size_t slash = p.find_last_of(L'\\');
    return slash == std::wstring::npos ? p : p.substr(slash + 1);
}

std::wstring ParentOf(const std::wstring& path) {
    const std::wstring p = WithoutTrailingSlash(path);
    const std::size_t slash = p.find_last_of(L'\\');
    if (slash == std::wstring::npos) return {};
    return slash == 2 ? p.substr(0, 3) : p.substr(0, slash);
}

std::wstring Join(const std::wstring& folder, const std::wstring& name) {
    const std::wstring f = WithoutTrailingSlash(folder);
    return f.back() == L'\\' ? f + name : f + L'\\' + name;
}

DWORD Attributes(const std::wstring& path) {
    return ::GetFileAttributesW(Extended(path).c_str());
}

bool Exists(const std::wstring& path) {
    return Attributes(path) != INVALID_FILE_ATTRIBUTES;
}

bool IsDirectory(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsLinkDirectory(DWORD attributes) {
    return IsDirectory(attributes) && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Calls visit(name) for every entry of folder but "." and ".."; false when
// the folder cannot be listed or visit says stop.
template <typename Visit>
bool ForEachEntry(const std::wstring& folder, Visit visit) {
    WIN32_FIND_DATAW found{};
    UniqueFindHandle search(::FindFirstFileW(Extended(Join(folder, L"*")).c_str(), &found));
    if (!search) return false;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        if (!visit(name)) return false;
    } while (::FindNextFileW(search.get(), &found));
    return ::GetLastError() == ERROR_NO_MORE_FILES;
}

std::uint64_t FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(Extended(path).c_str(), GetFileExInfoStandard, &data)) return ~0ull;
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Links inside a folder are not followed: the copy would leave the tree the user chose.
bool CopyTree(const std::wstring& source, const std::wstring& target) {
    const DWORD attributes = Attributes(source);
    if (attributes == INVALID_FILE_ATTRIBUTES || IsLinkDirectory(attributes)) return false;
    if (!IsDirectory(attributes)) return ::CopyFileW(Extended(source).c_str(), Extended(target).c_str(), TRUE);
    if (!::CreateDirectoryW(Extended(target).c_str(), nullptr)) return false;
    return ForEachEntry(source, [&](const std::wstring& name) { return CopyTree(Join(source, name), Join(target, name)); });
}

// The whole of source is at target: every folder, every file with its size.
bool CopyComplete(const std::wstring& source, const std::wstring& target) {
    const DWORD from = Attributes(source), to = Attributes(target);
    if (from == INVALID_FILE_ATTRIBUTES || to == INVALID_FILE_ATTRIBUTES) return false;
    if (IsDirectory(from) != IsDirectory(to)) return false;
    if (!IsDirectory(from)) return FileSize(source) == FileSize(target);
    return ForEachEntry(source,
                        [&](const std::wstring& name) { return CopyComplete(Join(source, name), Join(target, name)); });
}

bool RemoveTree(const std::wstring& path) {
    const DWORD attributes = Attributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    ::SetFileAttributesW(Extended(path).c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (!IsDirectory(attributes)) return ::DeleteFileW(Extended(path).c_str());
    if (!IsLinkDirectory(attributes) && !ForEachEntry(path, [&](const std::wstring& name) { return RemoveTree(Join(path, name)); }))
        return false;
    return ::RemoveDirectoryW(Extended(path).c_str());
}

bool MakeShortcut(const std::wstring& source, const std::wstring& link) {
    ComPtr<IShellLinkW> shortcut;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  shortcut.put_void())) ||
        !shortcut || FAILED(shortcut->SetPath(source.c_str()))) {
        return false;
    }
    ComPtr<IPersistFile> file = shortcut.query<IPersistFile>(IID_IPersistFile);
    return file && SUCCEEDED(file->Save(link.c_str(), TRUE)) && Exists(link);
}

std::wstring Quoted(const std::wstring& text) {
    return L"\u00AB" + text + L"\u00BB";
}

void Report(const std::wstring& text) {
    Application& app = Application::Instance();
    app.MessageBox(text, app.Title(), MB_OK | MB_ICONSTOP);
}

class OwnFileOperations : public FileOperations {
public:
    std::wstring Refusal(const std::vector<std::wstring>& sources, const std::wstring& folder,
                         DWORD effect) override {
        if (!IsDirectory(Attributes(folder))) return L"Папка " + Quoted(folder) + L" не найдена.";
        for (const std::wstring& source : sources) {
            if (std::wstring why = RefusalOf(source, folder, effect); !why.empty()) return why;
        }
        return {};
    }

    bool Transfer(const std::vector<std::wstring>& sources, const std::wstring& folder, DWORD effect) override {
        if (std::wstring why = Refusal(sources, folder, effect); !why.empty()) {
            Report(why);
            return false;
        }
        for (const std::wstring& source : sources) {
            if (!TransferOne(source, folder, effect)) return false;
        }
        return true;
    }

private:
    static std::wstring TargetOf(const std::wstring& source, const std::wstring& folder, DWORD effect) {
        return Join(folder, NameOf(source) + (effect == DROPEFFECT_LINK ? kLinkExtension : L""));
    }

    static std::wstring RefusalOf(const std::wstring& source, const std::wstring& folder, DWORD effect) {
        const std::wstring name = Quoted(NameOf(source));
        if (!Exists(source)) return L"Не найден исходный объект " + Quoted(source) + L".";
        if (effect != DROPEFFECT_LINK && IsSameOrInside(folder, source))
            return L"Нельзя поместить " + name + L" в саму себя или во вложенную в неё папку.";
        if (effect == DROPEFFECT_MOVE && SamePath(WithoutTrailingSlash(ParentOf(source)), WithoutTrailingSlash(folder)))
            return name + L" уже находится в этой папке.";
        if (Exists(TargetOf(source, folder, effect)))
            return L"В папке " + Quoted(folder) + L" уже есть " + Quoted(NameOf(TargetOf(source, folder, effect))) + L".";
        return {};
    }

    static bool TransferOne(const std::wstring& source, const std::wstring& folder, DWORD effect) {
        const std::wstring target = TargetOf(source, folder, effect);
        if (effect == DROPEFFECT_LINK) {
            if (MakeShortcut(source, target)) return true;
            Report(L"Не удалось создать ярлык для " + Quoted(source) + L" в папке " + Quoted(folder) + L".");
            return false;
        }
        if (!CopyTree(source, target) || !CopyComplete(source, target)) {
            RemoveTree(target);  // only what this copy made: the target did not exist before
            Report(L"Не удалось скопировать " + Quoted(source) + L" в папку " + Quoted(folder) +
                   L". Исходный объект не изменён.");
            return false;
        }
        if (effect == DROPEFFECT_MOVE && !RemoveTree(source)) {
            Report(L"Объект " + Quoted(source) + L" скопирован в папку " + Quoted(folder) +
                   L", но удалить его с прежнего места полностью не удалось.");
            return false;
        }
        return true;
    }
};

bool ProbeShellTransfers() {
    wchar_t temp[MAX_PATH + 1] = {};
    if (!::GetTempPathW(MAX_PATH, temp)) return false;
    UniqueIdList list;
    if (FAILED(ParsePath(WithoutTrailingSlash(temp), list))) return false;
    ComPtr<IShellFolder> parent;
    UniqueIdList parent_list, item;
    if (FAILED(SplitParentAndItem(list.get(), parent, parent_list, item))) return false;
    ComPtr<IContextMenu> menu;
    if (FAILED(ItemContextMenu(parent.get(), item.get(), nullptr, menu))) return false;
    return FindVerbOffset(menu.get(), L"rename", CMF_EXPLORE | CMF_CANRENAME).has_value();
}

}  // namespace

bool ShellTransfersFiles() {
    static const bool transfers = ProbeShellTransfers();
    return transfers;
}

DWORD DefaultDropEffect(DWORD keys, DWORD allowed, bool same_drive) {
    const bool ctrl = keys & MK_CONTROL, shift = keys & MK_SHIFT;
    DWORD chosen = same_drive ? DROPEFFECT_MOVE : DROPEFFECT_COPY;
    if (ctrl && shift) {
        chosen = DROPEFFECT_LINK;
    } else if (ctrl) {
        chosen = DROPEFFECT_COPY;
    } else if (shift) {
        chosen = DROPEFFECT_MOVE;
    } else if (!(allowed & chosen)) {
        // Without modifiers the other transfer is taken when the first is not allowed.
        chosen = chosen == DROPEFFECT_MOVE ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
    }
    return (allowed & chosen) ? chosen : DROPEFFECT_NONE;
}

bool SameDrive(const std::wstring& a, const std::wstring& b) {
    auto root = [](const std::wstring& path) -> std::wstring {
        if (path.size() >= 2 && path[1] == L':') return path.substr(0, 2);
        if (path.rfind(L"\\\\", 0) != 0) return {};
        // \\server\share
        const std::size_t server_end = path.find(L'\\', 2);
        if (server_end == std::wstring::npos) return path;
        const std::size_t share_end = path.find(L'\\', server_end + 1);
        return path.substr(0, share_end);
    };
    const std::wstring ra = root(a), rb = root(b);
    return !ra.empty() && SamePath(ra, rb);
}

bool TransferReport::Complete() const {
    for (const ItemOutcome& item : items) {
        if (item.fate == ItemFate::Stayed) return false;
    }
    return !cancelled;
}

std::wstring TransferReport::Summary() const {
    return {};
}

std::unique_ptr<FileOperations> MakeFileOperations() {
    return std::make_unique<OwnFileOperations>();
}

}  // namespace census
