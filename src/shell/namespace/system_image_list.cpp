#include "shell/namespace/system_image_list.h"

#include <vector>

namespace census {
namespace {

constexpr int kSharedIconResource = 29;
constexpr int kShortcutIconResource = 30;

HIMAGELIST QuerySystemList(bool small) {
    SHFILEINFOW info{};
    const UINT flags = SHGFI_SYSICONINDEX | (small ? SHGFI_SMALLICON : 0);
    return reinterpret_cast<HIMAGELIST>(::SHGetFileInfoW(L"C:\\", 0, &info, sizeof info, flags));
}

// The two marks live in a list of their own. Adding them to the shared
// system lists would shift the indices the shell hands out wherever the
// shell keeps more lists than the program touches (Wine's icon cache adds
// each new icon to all of its lists and answers with the last list's index).
UniqueImageList MakeOverlayImages() {
    const int cx = ::GetSystemMetrics(SM_CXSMICON), cy = ::GetSystemMetrics(SM_CYSMICON);
    UniqueImageList list(::ImageList_Create(cx, cy, ILC_COLOR32 | ILC_MASK, 2, 0));
    UniqueModule shell(::LoadLibraryExW(L"shell32.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!list || !shell) return list;
    for (int resource : {kSharedIconResource, kShortcutIconResource}) {
        UniqueIcon icon(static_cast<HICON>(
            ::LoadImageW(shell.get(), MAKEINTRESOURCEW(resource), IMAGE_ICON, cx, cy, LR_DEFAULTCOLOR)));
        // A missing mark keeps its place empty so the other keeps its number.
        if (icon) {
            ::ImageList_AddIcon(list.get(), icon.get());
        } else {
            UniqueIcon blank(::CreateIcon(nullptr, 1, 1, 1, 1, std::vector<BYTE>(4, 0xFF).data(),
                                          std::vector<BYTE>(4, 0).data()));
            ::ImageList_AddIcon(list.get(), blank.get());
        }
    }
    return list;
}

}  // namespace

DWORD ModuleFileVersion(const wchar_t* module_name) {
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(module_name, &ignored);
    if (size == 0) return 0;
    std::vector<BYTE> data(size);
    if (!::GetFileVersionInfoW(module_name, 0, size, data.data())) return 0;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || !fixed ||
        length < sizeof *fixed)
        return 0;
    return fixed->dwFileVersionMS;
}

const ShellPlatform& Platform() {
    static const ShellPlatform platform = [] {
        ShellPlatform p;
        OSVERSIONINFOW version{sizeof version};
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        p.nt_family = ::GetVersionExW(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
#pragma GCC diagnostic pop
        p.common_controls_version = ModuleFileVersion(L"comctl32.dll");
        return p;
    }();
    return platform;
}

int GetItemIconIndex(PCIDLIST_ABSOLUTE list, UINT flavour) {
    UniqueIdList empty;
    if (!list) {
        empty = CopyIdList(nullptr);
        list = empty.get();
    }
    UINT flags = SHGFI_PIDL | SHGFI_SYSICONINDEX;
    if (flavour & 1) flags |= SHGFI_SMALLICON;
    if (flavour & 2) flags |= SHGFI_OPENICON;
    SHFILEINFOW info{};
    if (!::SHGetFileInfoW(reinterpret_cast<LPCWSTR>(list), 0, &info, sizeof info, flags)) return 0;
    return info.iIcon;
}

int GetFolderIconIndex(UINT flavour) {
    UINT flags = SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX;
    if (flavour & 1) flags |= SHGFI_SMALLICON;
    if (flavour & 2) flags |= SHGFI_OPENICON;
    SHFILEINFOW info{};
    if (!::SHGetFileInfoW(L"folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info, flags)) return 0;
    return info.iIcon;
}

int GetItemIconIndexIn(IShellFolder* folder, PCUITEMID_CHILD item) {
    if (!folder || !item) return 0;
    const int image = ::SHMapPIDLToSystemImageListIndex(folder, item, nullptr);
    return image < 0 ? 0 : image;
}

HIMAGELIST GetSystemImageList(bool small) {
    return QuerySystemList(small);
}

HIMAGELIST OverlayImages() {
    static const UniqueImageList images = MakeOverlayImages();
    return images.get();
}

}  // namespace census
