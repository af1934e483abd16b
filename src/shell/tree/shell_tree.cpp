// The folder tree: its nodes filled from the shell's folders, in the
// shell's order, opened as they are expanded, with their icons and marks.
#include "shell/tree/shell_tree.h"

#include "runtime/errors.h"
#include "runtime/form.h"
#include "runtime/wait_cursor.h"
#include "shell/namespace/long_path_folder.h"
#include "shell/namespace/shell_namespace.h"
#include "shell/namespace/system_image_list.h"
#include "shell/transfer/file_operations.h"
#include "shell/watching/change_watcher.h"
#include "shell/watching/device_change_dispatcher.h"

#include <algorithm>
#include <vector>

namespace census {
namespace {

// The tree dims hidden items (SFGAO_HIDDEN; SFGAO_GHOSTED, 0x8000, means "cut").
constexpr ULONG kRequestedAttributes = SFGAO_HASSUBFOLDER | SFGAO_FILESYSTEM | SFGAO_FOLDER |
                                       SFGAO_FILESYSANCESTOR | SFGAO_REMOVABLE | SFGAO_HIDDEN |
                                       SFGAO_SHARE | SFGAO_LINK;
static_assert(kRequestedAttributes == 0xF20B0000);

// A failed comparison leaves the order alone.
int ShellOrder(IShellFolder* folder, PCUITEMID_CHILD a, PCUITEMID_CHILD b) {
    if (!folder) return 0;
    const HRESULT hr = folder->CompareIDs(0, a, b);
    return FAILED(hr) ? 0 : static_cast<short>(HRESULT_CODE(hr));
}

// The root node's text: a deep base folder is named by its own parent folder.
std::wstring RootDisplayName(PCIDLIST_ABSOLUTE list) {
    IdListArray items(list);
    const int count = items.ItemCount();
    if (count < 2) return ItemDisplayName(nullptr, list, DisplayNameKind::InFolder);
    ComPtr<IShellFolder> parent;
    if (FAILED(BindToFolder(items.LeadingItems(1), parent))) return {};
    return ItemDisplayName(parent.get(), items.SingleItem(count - 1), DisplayNameKind::InFolder);
}

}  // namespace

ShellTree::ShellTree() {
    SetShowRoot(false);
    SetWidth(150);
    SetHeight(150);
    SetImageList(GetSystemImageList(true));
    base_folder_.OnLocationChange = [this] { BaseFolderChanged(); };
    selected_folder_.OnLocationChange = [this] { SelectedFolderChanged(); };
    sync_timer_.OnTimer = [this](Timer&) { SyncTimerFired(); };
    DeviceChangeDispatcher::Instance().Register(this, [this](WPARAM event) { DeviceChanged(event); });
}

ShellTree::~ShellTree() {
    DeviceChangeDispatcher::Instance().Unregister(this);
    DestroyHandle();
    node_data_.clear();
}

HWND ShellTree::OwnerWindow() {
    if (no_ui_ > 0) return nullptr;
    Control* top = this;
    while (top->Parent()) top = top->Parent();
    Form* form = dynamic_cast<Form*>(top);
    return form && form->HandleAllocated() ? form->Handle() : nullptr;
}

ShellTreeData* ShellTree::ShellData(TreeNode node) {
    if (!node || !HandleAllocated()) return nullptr;
    auto found = node_data_.find(node);
    return found == node_data_.end() ? nullptr : found->second.get();
}

std::wstring ShellTree::SelectedFolderPath() {
    try {
        if (!HandleAllocated()) return {};
        ShellTreeData* data = ShellData(Selected());
        return data ? data->Path() : std::wstring();
    } catch (...) {
        return {};
    }
}

// --- filling ----------------------------------------------------------------------

void ShellTree::FillTree() {
    if (refresh_gate_.Defers(EditingLabel())) return;
    WaitCursor wait;
    DeleteAllNodes();
    ComPtr<IShellFolder> start;
    base_folder_.SetOwnerWindow(OwnerWindow());
    ThrowIfFailed(BindToFolder(base_folder_.IdList(), start));
    PopulateNode(start.get(), nullptr);
    if (selected_folder_.HeldList()) {
        NavigateTo(selected_folder_.HeldList());
    } else if (TreeNode root = FirstRoot()) {
        Select(root);
    }
    if (MonitoringWanted()) StartMonitoring();
}

void ShellTree::DeleteAllNodes() {
    if (!HandleAllocated()) return;
    UpdateLock lock(*this);
    Select(nullptr);
    DeleteAll();
}

TreeNode ShellTree::AddNode(TreeNode parent, const std::wstring& text, std::unique_ptr<ShellTreeData> data,
                            bool has_children, bool cut, TreeNode after) {
    TreeNode node = AddChild(parent, text, reinterpret_cast<LPARAM>(data.get()), has_children, cut, after);
    if (!node) return nullptr;
    // A node put last keeps the known order of its siblings true.
    if (auto known = child_order_.find(data->ParentData()); known != child_order_.end() && after == TVI_LAST)
        known->second.push_back(node);
    node_data_[node] = std::move(data);
    return node;
}

TreeNode ShellTree::AddRootNode(IShellFolder* folder) {
    PCIDLIST_ABSOLUTE base = base_folder_.IdList();
    IdListArray items(base);
    const int count = items.ItemCount();
    auto data = std::make_unique<ShellTreeData>(
        nullptr, CopyIdList(count ? items.SingleItem(count - 1) : nullptr));
    data->SetAbsIdList(CopyIdList(base));
    data->SetNodeFolder(ComPtr<IShellFolder>::AddRefOf(folder));
    TreeNode root = AddNode(nullptr, RootDisplayName(base), std::move(data));
    if (!root) throw Exception(L"The folder tree cannot add its root node");
    const int icon = GetItemIconIndex(base, kSmallIcon);
    SetNodeImages(root, icon, GetItemIconIndex(base, kSmallOpenIcon));
    ShellData(root)->SetIcon(icon, true);
    NodeInserted(root);
    return root;
}

void ShellTree::PopulateNode(IShellFolder* folder, TreeNode node) {
    if (OnFillStart) OnFillStart(*this);
    ScopeExit complete([this] {
        if (OnFillComplete) OnFillComplete(*this);
    });
    // An empty floppy or card drive must not raise the system's "insert a disk" box.
    const UINT error_mode = ::SetErrorMode(SEM_FAILCRITICALERRORS);
    ScopeExit restore([error_mode] { ::SetErrorMode(error_mode); });

    if (!node) node = AddRootNode(folder);
    if (!EnumerateInto(folder, node)) return;
    ShellData(node)->SetOpened();
    WatchOpenedFolder(node);
    if (!ParentNode(node)) Expand(node);
}

// False when the folder cannot be enumerated now (the button stays for another try).
SHCONTF ShellTree::EnumerationFlags() const {
    SHCONTF flags = SHCONTF_FOLDERS;
    if (HasOption(stoShowHidden)) flags |= SHCONTF_INCLUDEHIDDEN;
    if (HasOption(stoIncludeNonFolders)) flags |= SHCONTF_NONFOLDERS;
    return flags;
}

bool ShellTree::EditingLabel() {
    return HandleAllocated() && TreeView_GetEditControl(Handle()) != nullptr;
}

// The items are put in the shell's order before any node exists and each is
// inserted at the front, last first: the control then never walks the
// children, where appending (or sorting afterwards) walks them for every node.
bool ShellTree::EnumerateInto(IShellFolder* folder, TreeNode node) {
    ComPtr<IEnumIDList> items;
    const HRESULT start = folder ? folder->EnumObjects(OwnerWindow(), EnumerationFlags(), items.put()) : E_FAIL;
    if (start != S_OK || !items) {
        SetHasChildren(node, true);
        return false;
    }
    PCIDLIST_ABSOLUTE parent_list = ShellData(node)->AbsoluteIdList();
    std::vector<NewItem> found;
    HRESULT next;
    for (;;) {
        UniqueIdList item;
        ULONG fetched = 0;
        next = items->Next(1, reinterpret_cast<PITEMID_CHILD*>(item.put()), &fetched);
        if (next != S_OK || fetched == 0) break;
        if (!item) continue;
        NewItem prepared;
        const HRESULT hr = PrepareItem(folder, parent_list, std::move(item), prepared);
        ThrowIfFailed(hr);
        if (hr == S_OK) found.push_back(std::move(prepared));
    }
    std::stable_sort(found.begin(), found.end(), [folder](const NewItem& a, const NewItem& b) {
        return ShellOrder(folder, a.item.get(), b.item.get()) < 0;
    });
    const bool had_children = FirstChild(node) != nullptr;
    // A visible parent would be repainted for every node added.
    BeginUpdate();
    ScopeExit resume([this] { EndUpdate(); });
    std::vector<TreeNode> inserted;
    inserted.reserve(found.size());
    for (auto it = found.rbegin(); it != found.rend(); ++it) {
        TreeNode child = InsertItem(node, parent_list, *it, TVI_FIRST);
        if (!child) ThrowIfFailed(E_FAIL);
        inserted.push_back(child);
    }
    if (had_children) {
        SortChildren(node);
    } else if (ShellTreeData* data = ShellData(node)) {
        // The refresh merges against this order instead of walking the control's nodes.
        child_order_[data].assign(inserted.rbegin(), inserted.rend());
    }
    if (!FirstChild(node)) SetHasChildren(node, false);
    if (next == E_FAIL) return false;
    ThrowIfFailed(next);
    return true;
}

TreeNode ShellTree::AddShellItem(IShellFolder* folder, PCIDLIST_ABSOLUTE parent_list, PCUITEMID_CHILD item,
                                 TreeNode parent_node, TreeNode after) {
    if (!item) return nullptr;
    NewItem prepared;
    if (PrepareItem(folder, parent_list, CopyIdList(item), prepared) != S_OK) return nullptr;
    return InsertItem(parent_node, parent_list, prepared, after);
}

HRESULT ShellTree::PrepareItem(IShellFolder* folder, PCIDLIST_ABSOLUTE parent_list, UniqueIdList item,
                               NewItem& prepared) {
    PCUITEMID_CHILD child = item.get();
    SFGAOF attributes = kRequestedAttributes;
    const HRESULT hr = folder->GetAttributesOf(1, &child, &attributes);
    if (FAILED(hr)) return hr;
    const bool in_file_system = attributes & (SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR);
    if (!HasOption(stoVirtualFolders) && !in_file_system) return S_FALSE;
    if (!CanAddItem(folder, parent_list, attributes, child)) return S_FALSE;
    prepared.text = ItemDisplayName(folder, child, DisplayNameKind::InFolder);
    prepared.attributes = attributes;
    prepared.item = std::move(item);
    return S_OK;
}

TreeNode ShellTree::InsertItem(TreeNode parent_node, PCIDLIST_ABSOLUTE parent_list, NewItem& prepared,
                               TreeNode after) {
    const ULONG attributes = prepared.attributes;
    ShellTreeData* parent_data = ShellData(parent_node);
    auto data = std::make_unique<ShellTreeData>(parent_data, std::move(prepared.item));
    if (!parent_data) data->SetAbsIdList(ConcatIdLists(parent_list, data->RelIdList()));
    if (attributes & SFGAO_SHARE) {
        data->SetOverlay(kSharedOverlay);
    } else if (attributes & SFGAO_LINK) {
        data->SetOverlay(kShortcutOverlay);
    }
    TreeNode node = AddNode(parent_node, prepared.text, std::move(data), ShowsButton(attributes),
                            (attributes & SFGAO_HIDDEN) != 0, after);
    if (node) NodeInserted(node);
    return node;
}

// The platform's has-sub-folders answer decides whether the expansion button
// shows before the node is opened.
bool ShellTree::ShowsButton(ULONG attributes) const {
    const bool is_folder = attributes & SFGAO_FOLDER, has_sub = attributes & SFGAO_HASSUBFOLDER;
    return HasOption(stoIncludeNonFolders) ? (is_folder || has_sub) : (is_folder && has_sub);
}

bool ShellTree::CanAddItem(IShellFolder* folder, PCIDLIST_ABSOLUTE parent_list, ULONG attributes,
                           PCUITEMID_CHILD item) {
    bool allow = true;
    if (OnAddItem) OnAddItem(*this, folder, parent_list, item, attributes, allow);
    return allow;
}

void ShellTree::NodeInserted(TreeNode node) {
    if (OnInsertItem) OnInsertItem(*this, node);
}

// --- order ------------------------------------------------------------------------

int ShellTree::CompareNodes(LPARAM a, LPARAM b) {
    auto* first = reinterpret_cast<ShellTreeData*>(a);
    auto* second = reinterpret_cast<ShellTreeData*>(b);
    if (!first || !second) return 0;
    return ShellOrder(first->ParentShellFolder(), first->RelIdList(), second->RelIdList());
}

void ShellTree::SortChildren(TreeNode node) {
    if (!HandleAllocated()) return;
    const std::function<int(LPARAM, LPARAM)> compare = [this](LPARAM a, LPARAM b) { return CompareNodes(a, b); };
    if (node) {
        CustomSort(node, compare);
        if (ShellTreeData* data = ShellData(node)) {
            std::vector<TreeNode>& order = child_order_[data];
            order.clear();
            for (TreeNode c = FirstChild(node); c; c = NextSibling(c)) order.push_back(c);
        }
        return;
    }
    child_order_.clear();
    CustomSort(nullptr, compare);
    std::vector<TreeNode> pending;
    for (TreeNode n = FirstRoot(); n; n = NextSibling(n)) pending.push_back(n);
    while (!pending.empty()) {
        TreeNode n = pending.back();
        pending.pop_back();
        CustomSort(n, compare);
        for (TreeNode c = FirstChild(n); c; c = NextSibling(c)) pending.push_back(c);
    }
}

// --- expansion and icons ----------------------------------------------------------

bool ShellTree::CanExpand(TreeNode node) {
    if (no_expand_) return false;
    if (!FramedTreeView::CanExpand(node)) return false;
    ShellTreeData* data = ShellData(node);
    if (data && !FirstChild(node) && HasChildren(node)) {
        WaitCursor wait;
        PopulateNode(data->NodeFolder(), node);
    }
    return true;
}

// Icons are asked for as nodes come into view. The open icon costs the shell
// as much again and shows only on the selected node, so an unselected node
// gets its small icon in both places until it is selected.
void ShellTree::GetDisplayInfo(NMTVDISPINFOW& info) {
    if (!(info.item.mask & (TVIF_IMAGE | TVIF_SELECTEDIMAGE))) return;
    auto* data = reinterpret_cast<ShellTreeData*>(info.item.lParam);
    if (!data) {
        info.item.iImage = info.item.iSelectedImage = 0;
        return;
    }
    if (IsLongPathItem(data->RelIdList())) {
        // The platform cannot read the long path layer's items.
        info.item.iImage = GetFolderIconIndex(kSmallIcon);
        info.item.iSelectedImage = GetFolderIconIndex(kSmallOpenIcon);
    } else {
        const bool selected = TreeView_GetItemState(Handle(), info.item.hItem, TVIS_SELECTED) & TVIS_SELECTED;
        const int icon = GetItemIconIndexIn(data->ParentShellFolder(), data->RelIdList());
        data->SetIcon(icon, selected);
        info.item.iImage = icon;
        info.item.iSelectedImage = selected ? GetItemIconIndex(data->AbsoluteIdList(), kSmallOpenIcon) : icon;
    }
    info.item.mask |= TVIF_DI_SETITEM;  // asked once per node
}

// A node shown before it was selected still holds its small icon as its
// selected image; one never shown yet gets both here.
void ShellTree::GiveOpenIcon(TreeNode node) {
    ShellTreeData* data = ShellData(node);
    if (!data || data->OpenIconKnown() || IsLongPathItem(data->RelIdList())) return;
    const int icon =
        data->Icon() >= 0 ? data->Icon() : GetItemIconIndexIn(data->ParentShellFolder(), data->RelIdList());
    data->SetIcon(icon, true);
    SetNodeImages(node, icon, GetItemIconIndex(data->AbsoluteIdList(), kSmallOpenIcon));
}

// The marks are drawn over the node's image after the control has drawn it,
// so the shared system lists are never changed.
LRESULT ShellTree::CustomDraw(NMTVCUSTOMDRAW& draw) {
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    auto* data = reinterpret_cast<ShellTreeData*>(draw.nmcd.lItemlParam);
    if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT)
        return data && data->Overlay() ? CDRF_NOTIFYPOSTPAINT : CDRF_DODEFAULT;
    if (draw.nmcd.dwDrawStage == CDDS_ITEMPOSTPAINT && data && data->Overlay()) {
        const RECT image = NodeImageRect(reinterpret_cast<TreeNode>(draw.nmcd.dwItemSpec));
        if (image.right > image.left)
            ::ImageList_Draw(OverlayImages(), data->Overlay() - 1, draw.nmcd.hdc, image.left, image.top,
                             ILD_TRANSPARENT);
    }
    return CDRF_DODEFAULT;
}

}  // namespace census
