// Shell commands in the folder tree: the shell's context menu of a folder,
// the command keys, and renaming a folder in place.
//
// The shell's context-menu object of a node carries out its commands. Where
// the shell does not transfer files (its folder menus have no rename), cut,
// copy and paste go to this program's clipboard handling and file layer
// instead, and a menu without a rename command gets one of the tree's own;
// where it does, every command is the shell's and this code adds nothing.
#include "shell/tree/shell_tree.h"

#include "runtime/application.h"
#include "runtime/errors.h"
#include "runtime/path_names.h"
#include "runtime/wait_cursor.h"
#include "shell/namespace/shell_context_menu.h"
#include "shell/namespace/shell_namespace.h"
#include "shell/transfer/file_operations.h"
#include "shell/transfer/progress_dialog.h"
#include "shell/transfer/tree_data_object.h"
#include "shell/tree/folder_name_rules.h"
#include "shell/tree/folder_rename.h"
#include "shell/tree/send_to_menu.h"

#include <atomic>
#include <cwctype>
#include <exception>
#include <optional>
#include <thread>

namespace census {
namespace {

constexpr UINT kShellRenameCommand = kFirstShellCommand + 18;
// The tree's own rename entry, outside the shell's command range.
constexpr UINT kOwnRenameCommand = kLastShellCommand + 1;
// Asked of the parent folder before a rename; only its can-rename answer is read.
constexpr SFGAOF kRenameQuery = SFGAO_FILESYSTEM | SFGAO_CAPABILITYMASK;
// The name flags the rename passes; no value of the named SHGDN set (0, 1,
// 0x1000, 0x4000, 0x8000) has this bit.
constexpr SHGDNF kRenameNameFlags = 0x20;
// A rename's answer once the user has been told (by the shell, which then
// answers "cancelled", or by the tree), or has cancelled.
const HRESULT kRenameTold = HRESULT_FROM_WIN32(ERROR_CANCELLED);

std::wstring Trimmed(const wchar_t* text) {
    std::wstring s = text ? text : L"";
    auto blank = [](wchar_t c) { return c <= L' ' || std::iswcntrl(c); };
    while (!s.empty() && blank(s.back())) s.pop_back();
    std::size_t start = 0;
    while (start < s.size() && blank(s[start])) ++start;
    return s.substr(start);
}

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
        if (FAILED(made)) throw Exception(SystemErrorMessage(static_cast<unsigned long>(made)));
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

// The transfer runs on the worker; its end shows the report and refreshes.
// A refusal is known at once and shown at once.
HRESULT ShellTree::PasteOwn(TreeNode node) {
    const std::wstring folder = ShellData(node)->Path();
    ComPtr<IDataObject> clipboard;
    std::vector<std::wstring> paths;
    if (!folder.empty() && SUCCEEDED(::OleGetClipboard(clipboard.put())) && clipboard)
        paths = ReadDroppedPaths(clipboard.get());
    if (paths.empty()) {
        ::MessageBeep(MB_ICONWARNING);
        RefreshAfterOperation();
        return S_FALSE;
    }
    const DWORD effect = ReadPreferredEffect(clipboard.get()) & DROPEFFECT_MOVE ? DROPEFFECT_MOVE : DROPEFFECT_COPY;
    if (const std::wstring refusal = Files().Refusal(paths, folder, effect); !refusal.empty()) {
        ShowRefusal(refusal);
        RefreshAfterOperation();
        return E_FAIL;
    }
    StartTransfer({std::move(paths), folder, effect, effect == DROPEFFECT_MOVE});
    return S_OK;
}

// The shell's delete where it does no file work of its own follows a link
// inside the folder and deletes what it leads to; such a folder is not
// handed to it, nor one the check could not look through.
// A Cancel in the check's progress dialog ends the delete too.
bool ShellTree::RefuseLinkedDelete(TreeNode node) {
    if (ShellTransfersFiles()) return false;
    ShellTreeData* data = ShellData(node);
    const std::wstring path = data ? data->Path() : std::wstring();
    if (path.empty()) return false;
    const LinkSearch search = LinkInsideChecked(path);
    switch (search.reason) {
    case StayReason::None: return false;
    case StayReason::Cancelled: return true;
    case StayReason::Link:
        ShowRefusal(L"\u00AB" + path + L"\u00BB не удалена: в ней есть ссылка \u00AB" + search.detail +
                    L"\u00BB. Удаление прошло бы по ней и удалило бы файлы вне этой папки.");
        return true;
    default: {
        ItemOutcome unchecked{path};
        unchecked.reason = search.reason;
        unchecked.detail = search.detail;
        ShowRefusal(L"\u00AB" + path + L"\u00BB не удалена: не удалось проверить, нет ли в ней ссылок (" +
                    ReasonText(unchecked) + L"). Удаление могло бы пройти по ссылке и удалить файлы вне этой папки.");
        return true;
    }
    }
}

// The check walks the whole folder, which can take long: it runs on a thread
// of its own with the platform's progress dialog and its Cancel, while this
// thread keeps the windows painted and answers what other threads send. It
// takes no input meanwhile, so the node the delete is for stays as it is.
LinkSearch ShellTree::LinkInsideChecked(const std::wstring& path) {
    WaitCursor wait;
    FileOperations& files = Files();
    const HWND owner = OwnerWindow();
    std::atomic<bool> stop{false};
    LinkSearch link;
    std::exception_ptr failed;
    UniqueKernelHandle done(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!done) throw Exception(SystemErrorMessage(::GetLastError()));
    std::thread checker([&] {
        const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        try {
            ProgressDialog progress(owner, ProgressTitle(DROPEFFECT_NONE), stop);
            link = files.FindLinkInside(path, progress);
        } catch (...) {
            failed = std::current_exception();
        }
        if (SUCCEEDED(com)) ::CoUninitialize();
        ::SetEvent(done.get());
    });
    WaitPainting(done.get());
    checker.join();
    if (failed) std::rethrow_exception(failed);
    return link;
}

// Paint messages are taken a batch at a time: a window that never validates
// must not keep this loop from seeing the end.
void ShellTree::WaitPainting(HANDLE done) {
    while (::MsgWaitForMultipleObjects(1, &done, FALSE, INFINITE, QS_SENDMESSAGE | QS_PAINT) != WAIT_OBJECT_0) {
        MSG msg;
        for (int i = 0; i < 64 && ::PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++i)
            ::DispatchMessageW(&msg);
    }
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
    if (FAILED(filled)) throw Exception(SystemErrorMessage(static_cast<unsigned long>(filled)));
    if (!ReadOnly() && !HasVerb(menu.get(), popup.get(), L"rename") && CanRename(node))
        ::AppendMenuW(popup.get(), MF_STRING, kOwnRenameCommand, L"Переименовать");

    RefreshGate::Hold hold(refresh_gate_);
    current_menu_ = menu.copy();
    UINT chosen;
    {
        ScopeExit end([this] {
            current_menu_.reset();
            send_to_popup_ = nullptr;
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
            return SendToMenuMessage(msg, wp, lp, result);
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

// --- the tree's own Send To submenu ---------------------------------------------

// A shell object without the extended menu interface leaves its Send To
// submenu as one disabled placeholder; the tree fills it with owner-drawn
// entries of ids 1, 2, 3...
bool ShellTree::SendToMenuMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    const std::vector<SendToEntry>& entries = SendToEntries();
    switch (msg) {
        case WM_INITMENUPOPUP: {
            HMENU sub = reinterpret_cast<HMENU>(wp);
            if (::GetMenuItemCount(sub) != 1 || !(::GetMenuState(sub, 0, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED)))
                return false;
            ::DeleteMenu(sub, 0, MF_BYPOSITION);
            for (std::size_t i = 0; i < entries.size(); ++i)
                ::AppendMenuW(sub, MF_OWNERDRAW, i + 1, reinterpret_cast<LPCWSTR>(i));
            send_to_popup_ = sub;
            return true;
        }
        case WM_MEASUREITEM: {
            auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
            if (item->CtlType != ODT_MENU || item->itemID == 0 || item->itemID > entries.size()) return false;
            const SIZE text = MenuTextSize(ShownName(entries[item->itemID - 1].name));
            // The icon between two gaps of half its width, then the name.
            item->itemWidth = static_cast<UINT>(text.cx + 2 * ::GetSystemMetrics(SM_CXSMICON));
            item->itemHeight = static_cast<UINT>(::GetSystemMetrics(SM_CYMENU) + 2);
            result = TRUE;
            return true;
        }
        case WM_DRAWITEM: {
            auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
            if (item->CtlType != ODT_MENU || static_cast<int>(item->itemID) >= static_cast<int>(kFirstShellCommand))
                return false;
            DrawSendToItem(*item);
            result = TRUE;
            return true;
        }
        case WM_MENUCHAR: {
            // Typed letters choose Send To entries only in the submenu that
            // holds them; elsewhere an answer by position would run whatever
            // command stands there.
            if (!(HIWORD(wp) & MF_POPUP) || !send_to_popup_ || reinterpret_cast<HMENU>(lp) != send_to_popup_)
                return false;
            std::vector<std::wstring> names;
            for (const SendToEntry& entry : entries) names.push_back(ShownName(entry.name));
            const MenuCharAnswer answer =
                AnswerMenuChar(names, HighlightedPosition(reinterpret_cast<HMENU>(lp)), static_cast<wchar_t>(LOWORD(wp)));
            result = MAKELRESULT(answer.position, static_cast<WORD>(answer.command));
            return true;
        }
        default:
            return false;
    }
}

namespace {
NONCLIENTMETRICSW MenuMetrics() {
    NONCLIENTMETRICSW metrics{sizeof metrics};
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    return metrics;
}
}  // namespace

SIZE ShellTree::MenuTextSize(const std::wstring& text) {
    NONCLIENTMETRICSW metrics = MenuMetrics();
    UniqueFont font(::CreateFontIndirectW(&metrics.lfMenuFont));
    WindowDc dc(Handle());
    SelectGuard select(dc.get(), font.get());
    SIZE size{};
    ::GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}

void ShellTree::DrawSendToItem(const DRAWITEMSTRUCT& item) {
    const bool selected = item.itemState & ODS_SELECTED;
    ::FillRect(item.hDC, &item.rcItem, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_MENU));
    const int index = static_cast<int>(item.itemID) - 1;
    const std::vector<SendToEntry>& entries = SendToEntries();
    if (static_cast<int>(item.itemID) < 0 || index < 0 || index >= static_cast<int>(entries.size())) return;
    NONCLIENTMETRICSW metrics = MenuMetrics();
    UniqueFont font(::CreateFontIndirectW(&metrics.lfMenuFont));
    SelectGuard select(item.hDC, font.get());
    ::SetBkMode(item.hDC, TRANSPARENT);
    ::SetTextColor(item.hDC, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
    const std::wstring name = ShownName(entries[static_cast<std::size_t>(index)].name);
    // Menus and the system's icons are at the screen's density: the gaps follow the icons' size.
    const int icon = ::GetSystemMetrics(SM_CXSMICON);
    ::TextOutW(item.hDC, item.rcItem.left + 2 * icon, item.rcItem.top + 2, name.c_str(), static_cast<int>(name.size()));
    if (ImageList() && entries[static_cast<std::size_t>(index)].icon >= 0)
        ImageList_Draw(ImageList(), entries[static_cast<std::size_t>(index)].icon, item.hDC, item.rcItem.left + icon / 2,
                       item.rcItem.top + 2, ILD_TRANSPARENT);
}

int ShellTree::HighlightedPosition(HMENU menu) {
    const int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i)
        if (::GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_HILITE) return i;
    return -1;
}

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

// --- rename in place ------------------------------------------------------------------

bool ShellTree::CanRename(TreeNode node) {
    ShellTreeData* data = ShellData(node);
    if (!data || !ParentNode(node) || IdListSize(data->AbsoluteIdList()) <= 2 || !data->ParentShellFolder())
        return false;
    PCUITEMID_CHILD item = data->RelIdList();
    SFGAOF attributes = kRenameQuery;
    return SUCCEEDED(data->ParentShellFolder()->GetAttributesOf(1, &item, &attributes)) &&
           (attributes & SFGAO_CANRENAME);
}

bool ShellTree::CanEditLabel(TreeNode node) {
    ShellTreeData* data = ShellData(node);
    if (!data) return FramedTreeView::CanEditLabel(node);
    if (!CanRename(node)) return false;
    bool allow = true;
    if (OnEditing) OnEditing(*this, node, allow);
    if (!allow) return false;
    if (HWND edit = EditControl()) {
        // No limit of the edit's own: a name too long for the shell is refused whole, never cut.
        ::SendMessageW(edit, EM_LIMITTEXT, 0, 0);
        const std::wstring name = ItemDisplayName(data->ParentShellFolder(), data->RelIdList(), DisplayNameKind::ForEditing);
        ::SetWindowTextW(edit, name.c_str());
    }
    return true;
}

bool ShellTree::LabelEdited(TreeNode node, const wchar_t* text) {
    if (!text) return false;  // cancelled
    if (!ShellData(node)) return FramedTreeView::LabelEdited(node, text);
    std::wstring typed = text;
    if (HWND edit = EditControl()) {
        // The notification's copy may be cut to the control's own buffer.
        typed.resize(static_cast<std::size_t>(::GetWindowTextLengthW(edit)) + 1);
        typed.resize(static_cast<std::size_t>(::GetWindowTextW(edit, typed.data(), static_cast<int>(typed.size()))));
    }
    std::wstring name = Trimmed(typed.c_str());
    if (OnEdited) OnEdited(*this, node, name);
    RenameNode(node, name);
    if (refresh_gate_.TakePending())
        ::PostMessageW(Handle(), kDeferredRefreshMessage, 0, 0);  // not inside the edit's own notification
    return false;  // the node's text is set by the rename itself
}

// A name the platform would refuse without a word, or cut to fit, is refused
// here with the reason. Items outside the file system (a drive's label) keep
// the shell's own rules.
bool ShellTree::NameAccepted(TreeNode node, const std::wstring& name) {
    ShellTreeData* parent_data = ShellData(ParentNode(node));
    const std::wstring parent = parent_data ? parent_data->Path() : std::wstring();
    if (parent.empty()) return !name.empty();
    const NameCheck check = CheckFolderName(parent, name);
    if (check.verdict == NameVerdict::Fine) return true;
    Application& app = Application::Instance();
    app.MessageBox(RefusalText(check, name), app.Title(), MB_OK | MB_ICONSTOP);
    return false;
}

// A rename that does not happen says why, unless the shell has said it
// through the owner window already. A change of case only that the shell
// answered without making it (or refused) is made by the program's own
// rename, once.
bool ShellTree::RenameNode(TreeNode node, const std::wstring& name) {
    if (!NameAccepted(node, name)) return false;
    ShellTreeData* data = ShellData(node);
    IShellFolder* parent = data->ParentShellFolder();
    const std::wstring path = data->Path();
    PITEMID_CHILD renamed = nullptr;
    HRESULT hr;
    {
        WaitCursor wait;
        ++update_lock_;
        ScopeExit unlock([this] { --update_lock_; });
        hr = parent->SetNameOf(OwnerWindow(), data->RelIdList(), name.c_str(), kRenameNameFlags, &renamed);
    }
    UniqueIdList new_item(renamed);
    if (hr != kRenameTold && CaseOnlyChange(path, name) && NameOnDisk(path) != name)
        hr = RenameCaseOwn(node, path, name, new_item);
    if (FAILED(hr)) {
        if (hr != kRenameTold) ShowRefusal(RenameFailureText(path, NodeText(node), name, hr));
        return false;
    }
    ShellTreeData* parent_data = ShellData(ParentNode(node));
    SwallowRenameChange(parent_data ? parent_data->Path() : std::wstring());
    ForgetCachesBelow(node);
    if (new_item) data->SetRelIdList(new_item.get());
    SetNodeText(node, ItemDisplayName(parent, data->RelIdList(), DisplayNameKind::InFolder));
    // The selection, the renamed folder or one inside it, now has another
    // path: the path shown for it follows.
    TreeNode selected = Selected();
    if (ShellTreeData* selected_data = LiesWithin(selected, node) ? ShellData(selected) : nullptr) {
        {
            ++update_lock_;
            ScopeExit unlock([this] { --update_lock_; });
            selected_folder_.SetIdList(selected_data->AbsoluteIdList());
        }
        ReportChange(selected);
    }
    SortChildren(ParentNode(node));
    return true;
}

HRESULT ShellTree::RenameCaseOwn(TreeNode node, const std::wstring& path, const std::wstring& name,
                                 UniqueIdList& renamed) {
    CaseRename done;
    {
        WaitCursor wait;
        ++update_lock_;
        ScopeExit unlock([this] { --update_lock_; });
        done = RenameCaseOnly(path, name);
    }
    if (!done.left_at.empty()) {
        ShowRefusal(L"Папка \u00AB" + LastPart(path) + L"\u00BB не переименована и осталась под временным именем \u00AB" +
                    done.left_at + L"\u00BB: " + SystemErrorMessage(done.error));
        RefreshAfterOperation();
        return kRenameTold;
    }
    if (done.error) return HRESULT_FROM_WIN32(done.error);
    // The folder's list as its parent names it now.
    std::wstring text = name;
    ULONG eaten = 0;
    PIDLIST_RELATIVE parsed = nullptr;
    const HRESULT hr = ShellData(node)->ParentShellFolder()->ParseDisplayName(OwnerWindow(), nullptr, text.data(),
                                                                               &eaten, &parsed, nullptr);
    UniqueIdList item(reinterpret_cast<PIDLIST_ABSOLUTE>(parsed));
    if (SUCCEEDED(hr) && item && IdListSize(item.get()) > sizeof(USHORT)) renamed = std::move(item);
    return S_OK;
}

bool ShellTree::LiesWithin(TreeNode node, TreeNode ancestor) {
    for (TreeNode n = node; n; n = ParentNode(n))
        if (n == ancestor) return true;
    return false;
}

// Lists and folders cached below a renamed node name the old path.
void ShellTree::ForgetCachesBelow(TreeNode node) {
    std::vector<TreeNode> below;
    for (TreeNode c = FirstChild(node); c; c = NextSibling(c)) below.push_back(c);
    while (!below.empty()) {
        TreeNode n = below.back();
        below.pop_back();
        if (ShellTreeData* data = ShellData(n)) data->ForgetCache();
        for (TreeNode c = FirstChild(n); c; c = NextSibling(c)) below.push_back(c);
    }
}

// Only where a watch will report the rename: elsewhere no change comes, and
// the next real one must not be taken for it.
void ShellTree::SwallowRenameChange(const std::wstring& parent) {
    const bool reported = !parent.empty() && MonitoringWanted() && watchers_ && watchers_->AnyCovers(parent);
    refresh_gate_.IgnoreNextChangeFrom(reported ? parent : std::wstring());
}

}  // namespace census
