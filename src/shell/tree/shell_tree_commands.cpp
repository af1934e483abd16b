// Shell commands in the folder tree: the shell's context menu of a folder,
// its Send To entries and the command keys (renaming in place:
// shell_tree_rename.cpp).
//
// The shell's context-menu object of a node carries out its commands. Where
// the shell does not transfer files (its folder menus have no rename), cut,
// copy and paste go to this program's clipboard handling and file layer
// instead (the paste and the delete's link check: shell_tree_transfers.cpp),
// and a menu without a rename command gets one of the tree's own; where it
// does, every command is the shell's and this code adds nothing.
#include "shell/tree/shell_tree.h"

#include "runtime/errors.h"
#include "runtime/path_names.h"
#include "runtime/wait_cursor.h"
#include "shell/namespace/shell_context_menu.h"
#include "shell/namespace/shell_namespace.h"
#include "shell/transfer/file_operations.h"
#include "shell/tree/send_to_menu.h"

#include <optional>

namespace census {
namespace {

// The platform's shell puts its rename command at this offset of its range.
constexpr UINT kShellRenameOffset = 18;
constexpr UINT kShellRenameCommand = kFirstShellCommand + kShellRenameOffset;
// The tree's own rename entry, outside the shell's command range.
constexpr UINT kOwnRenameCommand = kLastShellCommand + 1;

bool HasVerb(IContextMenu* menu, HMENU popup, const wchar_t* verb) {
    const int count = ::GetMenuItemCount(popup);
    for (int i = 0; i < count; ++i) {
        const UINT id = ::GetMenuItemID(popup, i);
        if (id != static_cast<UINT>(-1) && id >= kFirstShellCommand && id <= kLastShellCommand &&
            SameName(CommandVerb(menu, id - kFirstShellCommand), verb))
            return true;
    }
    return false;
}

}  // namespace

// --- verbs ----------------------------------------------------------------------------

bool ShellTree::OwnClipboardVerb(const std::wstring& verb) {
    return !ShellTransfersFiles() && (SameName(verb, L"cut") || SameName(verb, L"copy") || SameName(verb, L"paste"));
}

HRESULT ShellTree::InvokeVerb(TreeNode node, const std::wstring& verb) {
    ShellTreeData* data = ShellData(node);
    if (!data || !ParentNode(node)) return S_FALSE;
    RefreshGate::Hold hold(refresh_gate_);
    HRESULT hr = S_FALSE;
    if (OwnClipboardVerb(verb)) {
        hr = RunOwnClipboardVerb(node, verb);
    } else if (SameName(verb, L"delete") && RefuseLinkedDelete(node)) {
        RefreshAfterOperation();
    } else {
        ComPtr<IContextMenu> menu;
        const HRESULT made = ItemContextMenu(data->ParentShellFolder(), data->RelIdList(), OwnerWindow(), menu);
        ThrowIfFailed(made);
        const std::optional<UINT> offset = FindVerbOffset(menu.get(), verb);
        hr = HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
        if (offset) {
            hr = InvokeMenuCommand(node, menu.get(), *offset);
        } else {
            ::MessageBeep(MB_ICONWARNING);  // the menu's first command is not what was asked for
        }
        RefreshAfterOperation();
    }
    EndHold(hold);
    return hr;
}

HRESULT ShellTree::InvokeMenuCommand(TreeNode node, IContextMenu* menu, UINT offset) {
    CMINVOKECOMMANDINFO info{sizeof info};
    info.hwnd = OwnerWindow();
    info.lpVerb = MAKEINTRESOURCEA(offset);
    info.nShow = SW_SHOWNORMAL;
    const HRESULT hr = menu->InvokeCommand(&info);
    SelectParentIfGone(node);
    return hr;
}

// Cut and copy offer the node on the clipboard in the drag formats; paste
// carries what the clipboard names into the node's folder.
HRESULT ShellTree::RunOwnClipboardVerb(TreeNode node, const std::wstring& verb) {
    if (SameName(verb, L"paste")) return PasteOwn(node);
    ComPtr<IDataObject> data = NodeDataObject(node, SameName(verb, L"cut") ? DROPEFFECT_MOVE : DROPEFFECT_COPY);
    const HRESULT hr = data ? ::OleSetClipboard(data.get()) : E_FAIL;
    RefreshAfterOperation();
    return hr;
}

// --- keys -----------------------------------------------------------------------------

void ShellTree::KeyDown(WORD& key, unsigned shift) {
    FramedTreeView::KeyDown(key, shift);
    if (key == 0 || IsEditing() || !HasOption(stoDefaultKeyHandling)) return;
    const unsigned modifiers = shift & (ssShift | ssCtrl | ssAlt);
    const WORD original = key;
    key = 0;
    TreeNode node = Selected();
    if (original == VK_F2 && modifiers == 0) {
        if (node) EditLabel(node);
    } else if (original == VK_F5 && modifiers == 0) {
        RefreshAfterOperation();
    } else if (original == 'X' && modifiers == ssCtrl) {
        InvokeVerb(node, L"cut");
    } else if (original == 'C' && modifiers == ssCtrl) {
        InvokeVerb(node, L"copy");
    } else if (original == 'V' && modifiers == ssCtrl) {
        InvokeVerbOrRefresh(node, L"paste");
    } else if (original == VK_DELETE && (modifiers & ~ssShift) == 0) {
        InvokeVerbOrRefresh(node, L"delete");
    } else {
        key = original;
    }
}

// Paste and delete change folders: where no verb runs (on the root), the key
// still refreshes, once; where one runs, its own refresh is the only one.
void ShellTree::InvokeVerbOrRefresh(TreeNode node, const std::wstring& verb) {
    if (ShellData(node) && ParentNode(node))
        InvokeVerb(node, verb);
    else
        RefreshAfterOperation();
}

// --- context menu ---------------------------------------------------------------------

void ShellTree::NodeContextMenu(TreeNode node, POINT& point, HMENU& menu) {
    FramedTreeView::NodeContextMenu(node, point, menu);
    if (!HasOption(stoContextMenus) || !node) return;
    menu = nullptr;  // the tree takes over, also for the root, which gets no menu
    ShowNodeContextMenu(node, point);
}

// The root node gets no menu, whatever folder the tree starts from: like the
// command keys, the menu acts only on folders inside the tree's own root.
void ShellTree::ShowNodeContextMenu(TreeNode node, POINT point) {
    ShellTreeData* data = ShellData(node);
    if (!data || !ParentNode(node) || !data->ParentShellFolder() || IdListSize(data->AbsoluteIdList()) <= 2) return;
    ComPtr<IContextMenu> menu;
    if (FAILED(NodeMenuObject(node, menu)) || !menu) return;
    UniqueMenu popup(::CreatePopupMenu());
    if (!popup) return;
    const UINT flags = CMF_EXPLORE | (ReadOnly() ? 0 : CMF_CANRENAME);
    const HRESULT filled = menu->QueryContextMenu(popup.get(), 0, kFirstShellCommand, kLastShellCommand, flags);
    ThrowIfFailed(filled);
    if (!ReadOnly() && !HasVerb(menu.get(), popup.get(), L"rename") && CanRename(node))
        ::AppendMenuW(popup.get(), MF_STRING, kOwnRenameCommand, L"Переименовать");

    RefreshGate::Hold hold(refresh_gate_);
    current_menu_ = menu.copy();
    send_to_.emplace(Handle(), ImageList());
    UINT chosen;
    {
        ScopeExit end([this] {
            current_menu_.reset();
            send_to_.reset();
        });
        const POINT screen = ClientToScreen(point);
        chosen = ::TrackPopupMenuEx(popup.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN, screen.x, screen.y,
                                    Handle(), nullptr);
    }
    RunMenuCommand(node, menu.get(), chosen);
    EndHold(hold);
}

HRESULT ShellTree::NodeMenuObject(TreeNode node, ComPtr<IContextMenu>& menu) {
    ShellTreeData* data = ShellData(node);
    return ItemContextMenu(data->ParentShellFolder(), data->RelIdList(), OwnerWindow(), menu);
}

void ShellTree::RunMenuCommand(TreeNode node, IContextMenu* menu, UINT id) {
    if (id == 0) return;  // dismissed
    if (id < kFirstShellCommand) {
        InvokeSendTo(node, static_cast<int>(id) - 1);
        return;
    }
    if (id > kOwnRenameCommand) return;
    const UINT offset = id - kFirstShellCommand;
    if (id == kOwnRenameCommand || id == kShellRenameCommand ||
        SameName(CommandVerb(menu, offset), L"rename")) {
        EditLabel(node);
        return;
    }
    const std::wstring verb = CommandVerb(menu, offset);
    if (OwnClipboardVerb(verb)) {
        RunOwnClipboardVerb(node, verb);
        return;
    }
    if (SameName(verb, L"delete") && RefuseLinkedDelete(node)) {
        RefreshAfterOperation();
        return;
    }
    InvokeMenuCommand(node, menu, offset);
    RefreshAfterOperation();
}

// A folder deleted or moved away by a command hands the selection to its
// parent, so the refresh does not look for it again.
void ShellTree::SelectParentIfGone(TreeNode node) {
    ShellTreeData* data = ShellData(node);
    if (!data || !ParentNode(node)) return;
    const std::wstring path = data->Path();
    if (path.empty() || ::GetFileAttributesW(ExtendedPath(path).c_str()) != INVALID_FILE_ATTRIBUTES) return;
    for (TreeNode n = Selected(); n; n = ParentNode(n)) {
        if (n == node) {
            Select(ParentNode(node));
            return;
        }
    }
}

// The shell fills its own submenus (Send To, Open With) and draws their items
// through its extended handler; failures leave the menu as it is.
bool ShellTree::RouteMenuMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
        case WM_INITMENUPOPUP:
        case WM_MEASUREITEM:
        case WM_DRAWITEM:
        case WM_MENUCHAR: {
            if (auto third = current_menu_.query<IContextMenu3>(IID_IContextMenu3)) {
                LRESULT answer = 0;
                if (SUCCEEDED(third->HandleMenuMsg2(msg, wp, lp, &answer)) && msg == WM_MENUCHAR) result = answer;
                return true;
            }
            if (auto second = current_menu_.query<IContextMenu2>(IID_IContextMenu2)) {
                second->HandleMenuMsg(msg, wp, lp);
                return true;
            }
            return send_to_ && send_to_->HandleMessage(msg, wp, lp, result);
        }
        case WM_MENUSELECT: {
            if (!OnPopupHint) return false;
            const UINT id = LOWORD(wp), flags = HIWORD(wp);
            std::wstring hint;
            if (id >= kFirstShellCommand && id <= kLastShellCommand && !(flags & (MF_POPUP | MF_SYSMENU))) {
                wchar_t text[MAX_PATH + 1] = {};
                if (SUCCEEDED(current_menu_->GetCommandString(id - kFirstShellCommand, GCS_HELPTEXTW, nullptr,
                                                              reinterpret_cast<char*>(text), MAX_PATH)))
                    hint = text;
            }
            OnPopupHint(*this, hint);
            return true;
        }
        default:
            return false;
    }
}

// --- Send To -----------------------------------------------------------------------

// The node's data object dropped on the entry, as a copy with the left button.
void ShellTree::InvokeSendTo(TreeNode node, int index) {
    const std::vector<SendToEntry>& entries = SendToEntries();
    if (index < 0 || index >= static_cast<int>(entries.size())) return;
    ComPtr<IDataObject> data = NodeDataObject(node);
    UniqueIdList folder_list;
    ComPtr<IShellFolder> folder;
    if (!data || FAILED(::SHGetSpecialFolderLocation(nullptr, CSIDL_SENDTO, folder_list.put())) ||
        FAILED(BindToFolder(folder_list.get(), folder)))
        return;
    std::wstring name = entries[static_cast<std::size_t>(index)].name;
    UniqueIdList item;
    ULONG eaten = 0;
    if (FAILED(folder->ParseDisplayName(OwnerWindow(), nullptr, name.data(), &eaten, item.put(), nullptr))) return;
    PCUITEMID_CHILD child = item.get();
    ComPtr<IDropTarget> target;
    if (FAILED(folder->GetUIObjectOf(OwnerWindow(), 1, &child, IID_IDropTarget, nullptr, target.put_void())) || !target)
        return;
    DWORD effect = DROPEFFECT_COPY;
    target->DragEnter(data.get(), MK_LBUTTON, {0, 0}, &effect);
    effect = DROPEFFECT_COPY;
    target->DragOver(MK_LBUTTON, {0, 0}, &effect);
    effect = DROPEFFECT_COPY;
    WaitCursor wait;
    target->Drop(data.get(), MK_LBUTTON, {0, 0}, &effect);
}

}  // namespace census
