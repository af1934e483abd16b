#include "shell/system_image_list.h"

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

void SetOverlay(HIMAGELIST list, HMODULE shell, int resource, int size, int overlay) {
    UniqueIcon icon(static_cast<HICON>(
        ::LoadImageW(shell, MAKEINTRESOURCEW(resource), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
    if (!list || !icon) return;
    const int index = ::ImageList_ReplaceIcon(list, -1, icon.get());
    if (index >= 0) ::ImageList_SetOverlayImage(list, index, overlay);
}

// The platform's own marks can be missing or look different between shell
// versions; the program always shows these two.
void ReplaceOverlays() {
    const ShellPlatform& platform = Platform();
    if (!platform.nt_family || platform.common_controls_version <= 0x00040046) return;
    UniqueModule shell(::LoadLibraryExW(L"shell32.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!shell) return;
    for (bool small : {true, false}) {
        const int size = small ? 16 : 32;
        HIMAGELIST list = QuerySystemList(small);
        SetOverlay(list, shell.get(), kSharedIconResource, size, kSharedOverlay);
        SetOverlay(list, shell.get(), kShortcutIconResource, size, kShortcutOverlay);
    }
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

HIMAGELIST GetSystemImageList(bool small) {
    static const bool replaced = (ReplaceOverlays(), true);
    (void)replaced;
    return QuerySystemList(small);
}

}  // namespace census
