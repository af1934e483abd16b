#include "support/file_clipboard.h"

#include <shlobj.h>

#include <algorithm>

namespace census::testing {

namespace {

// A block until the clipboard takes it.
struct GlobalBlock {
    HGLOBAL handle;
    explicit GlobalBlock(std::size_t bytes) : handle(::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes)) {}
    ~GlobalBlock() {
        if (handle) ::GlobalFree(handle);
    }
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;
    bool GiveTo(UINT format) {
        if (!::SetClipboardData(format, handle)) return false;
        handle = nullptr;
        return true;
    }
};

}  // namespace

bool PutPathOnClipboard(const std::wstring& path, DWORD effect) {
    GlobalBlock drop(sizeof(DROPFILES) + (path.size() + 2) * sizeof(wchar_t));
    GlobalBlock preferred(sizeof(DWORD));
    if (!drop.handle || !preferred.handle) return false;
    auto* files = static_cast<DROPFILES*>(::GlobalLock(drop.handle));
    files->pFiles = sizeof(DROPFILES);
    files->fWide = TRUE;
    std::copy(path.begin(), path.end(), reinterpret_cast<wchar_t*>(files + 1));
    ::GlobalUnlock(drop.handle);
    *static_cast<DWORD*>(::GlobalLock(preferred.handle)) = effect;
    ::GlobalUnlock(preferred.handle);
    if (!::OpenClipboard(nullptr)) return false;
    ::EmptyClipboard();
    const bool set = drop.GiveTo(CF_HDROP) && preferred.GiveTo(::RegisterClipboardFormatW(CFSTR_PREFERREDDROPEFFECT));
    ::CloseClipboard();
    return set;
}

}  // namespace census::testing
