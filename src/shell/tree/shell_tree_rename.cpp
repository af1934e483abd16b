// Renaming a folder in place in the folder tree: the label edit, the checks
// of the typed name, the shell's rename and the program's own where the
// shell left a change of case undone, and what the new name changes in the
// tree.
#include "shell/tree/shell_tree.h"

#include "runtime/application.h"
#include "runtime/errors.h"
#include "runtime/path_names.h"
#include "runtime/wait_cursor.h"
#include "shell/namespace/shell_namespace.h"
#include "shell/tree/folder_name_rules.h"
#include "shell/tree/folder_rename.h"
#include "shell/tree/shell_tree_messages.h"

#include <cwctype>

namespace census {
namespace {

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

}  // namespace

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
