#include "shell/namespace/shell_context_menu.h"

#include "runtime/path_names.h"

namespace census {

HRESULT ItemContextMenu(IShellFolder* parent, PCUITEMID_CHILD item, HWND owner, ComPtr<IContextMenu>& menu) {
    menu.reset();
    if (!parent || !item) return E_INVALIDARG;
    const HRESULT hr = parent->GetUIObjectOf(owner, 1, &item, IID_IContextMenu, nullptr, menu.put_void());
    if (SUCCEEDED(hr) && !menu) return E_FAIL;
    return hr;
}

std::wstring CommandVerb(IContextMenu* menu, UINT offset) {
    wchar_t wide[MAX_PATH + 1] = {};
    if (SUCCEEDED(menu->GetCommandString(offset, GCS_VERBW, nullptr, reinterpret_cast<char*>(wide), MAX_PATH)) &&
        wide[0]) {
        return wide;
    }
    char ansi[MAX_PATH + 1] = {};
    if (FAILED(menu->GetCommandString(offset, GCS_VERBA, nullptr, ansi, MAX_PATH)) || !ansi[0]) return {};
    wchar_t converted[MAX_PATH + 1] = {};
    ::MultiByteToWideChar(CP_ACP, 0, ansi, -1, converted, MAX_PATH);
    return converted;
}

std::optional<UINT> FindVerbOffset(IContextMenu* menu, const std::wstring& verb, UINT flags) {
    if (!menu) return std::nullopt;
    UniqueMenu scratch(::CreatePopupMenu());
    if (!scratch || FAILED(menu->QueryContextMenu(scratch.get(), 0, kFirstShellCommand, kLastShellCommand, flags))) {
        return std::nullopt;
    }
    const int count = ::GetMenuItemCount(scratch.get());
    for (int i = 0; i < count; ++i) {
        const UINT id = ::GetMenuItemID(scratch.get(), i);
        if (id == static_cast<UINT>(-1) || id < kFirstShellCommand) continue;
        const std::wstring name = CommandVerb(menu, id - kFirstShellCommand);
        if (!name.empty() && SameName(name, verb))
            return id - kFirstShellCommand;
    }
    return std::nullopt;
}

}  // namespace census
