// The tree keeping in step with the disk: change messages, the delayed
// refresh that merges opened folders, folder watches and device events.
#include "runtime/wait_cursor.h"
#include "shell/namespace/shell_namespace.h"
#include "shell/tree/shell_tree.h"
#include "shell/tree/shell_tree_messages.h"
#include "shell/watching/change_watcher.h"
#include "shell/watching/device_change_dispatcher.h"

#include <string>
#include <unordered_map>
#include <unordered_set>

namespace census {
namespace {

// Nested device events (a refresh that lets messages run) must not make the
// shell re-read its drives again; shared by every tree of the process.
int revalidate_lock = 0;

bool WatchedDriveType(UINT type) { return type == DRIVE_FIXED || type == DRIVE_REMOTE || type == DRIVE_RAMDISK; }

}  // namespace

// --- change messages ------------------------------------------------------------

// A change from a watch that is no longer wanted (removed, or dynamic
// refresh switched off since) may still be on its way: it refreshes nothing.
void ShellTree::ChangeNotified(unsigned watch) {
    if (!MonitoringWanted() || !watchers_ || !watchers_->Wanted(watch)) return;
    if (refresh_gate_.Ignores([&](const std::wstring& folder) { return watchers_->Covers(watch, folder); })) return;
    // A command, a drag or a menu holds the change; whoever ends it refreshes.
    if (refresh_gate_.Defers(false)) return;
    // Every change restarts the wait, so a burst gives one refresh.
    sync_timer_.SetEnabled(false);
    sync_timer_.SetInterval(Focused() ? kFocusedRefreshDelay : kUnfocusedRefreshDelay);
    sync_timer_.SetEnabled(true);
}

void ShellTree::SyncTimerFired() {
    // A label being edited holds the refresh: the timer tries again after it.
    if (EditingLabel()) return;
    sync_timer_.SetEnabled(false);
    RefreshTree();
}

// --- refresh --------------------------------------------------------------------

void ShellTree::RefreshAfterOperation() {
    RefreshTree();  // only recorded while busy or editing
}

void ShellTree::EndHold(RefreshGate::Hold& hold, bool refresh) {
    if (hold.End() || refresh) RefreshAfterOperation();
}

void ShellTree::RefreshTree() {
    if (refresh_gate_.Defers(EditingLabel())) return;
    refresh_gate_.Refreshing();
    if (!HandleAllocated()) return;
    if (NodeCount() == 0) {
        FillTree();
        return;
    }
    WaitCursor wait;
    BeginUpdate();
    ScopeExit resume([this] { EndUpdate(); });
    if (OnFillStart) OnFillStart(*this);
    TreeNode selection = Selected();
    {
        UpdateLock lock(*this);
        Select(nullptr);
        ResyncNode(FirstRoot(), selection);
    }
    Select(selection);
    resume.dismiss();
    EndUpdate();
    if (OnFillComplete) OnFillComplete(*this);
}

namespace {

std::string ItemBytes(PCUIDLIST_RELATIVE item) {
    return std::string(reinterpret_cast<const char*>(item), IdListSize(item));
}

}  // namespace

// Only folders that were opened are read again (a folder of thousands of
// leaves costs one enumeration, not thousands); the others are left alone
// with their whole subtree. New items follow the same rules as a fill.
//
// Most items come back byte for byte as they were: those are matched by
// their bytes, and only the rest are compared by the folder, so a refresh of
// a large folder asks the shell to compare a handful of items, not n log n.
void ShellTree::ResyncNode(TreeNode node, TreeNode& selection) {
    ShellTreeData* data = ShellData(node);
    if (!data) return;
    if (!data->Opened()) {
        OfferButton(node, data);
        return;
    }
    IShellFolder* folder = data->NodeFolder();
    ComPtr<IEnumIDList> items;
    if (!folder || folder->EnumObjects(OwnerWindow(), EnumerationFlags(), items.put()) != S_OK || !items) return;

    std::vector<TreeNode> children = ChildrenInOrder(node, data);
    std::unordered_multimap<std::string, TreeNode> unmatched;
    for (TreeNode child : children) {
        if (ShellTreeData* child_data = ShellData(child)) unmatched.emplace(ItemBytes(child_data->RelIdList()), child);
    }
    PidlList current;
    current.SetOwningAllocator(&ShellAllocator());
    for (;;) {
        LPITEMIDLIST item = nullptr;
        ULONG fetched = 0;
        if (items->Next(1, reinterpret_cast<PITEMID_CHILD*>(&item), &fetched) != S_OK || !fetched) break;
        auto same = unmatched.find(ItemBytes(item));
        if (same != unmatched.end()) {
            unmatched.erase(same);
            ShellAllocator().Free(item);
        } else {
            current.Add(item);
        }
    }

    // What is left on both sides: in the shell's order, as the nodes are.
    PidlList existing;
    existing.SetOrderFolder(folder);
    existing.SetDuplicatePolicy(DuplicatePolicy::Accept);
    std::unordered_set<TreeNode> left;
    for (const auto& entry : unmatched) left.insert(entry.second);
    for (TreeNode child : children) {
        if (left.count(child))
            existing.Add(const_cast<LPITEMIDLIST>(static_cast<LPCITEMIDLIST>(ShellData(child)->RelIdList())), child);
    }
    existing.SetKeepSorted(true);
    for (int i = current.Count() - 1; i >= 0; --i) {
        const int at = existing.IndexOf(current[i].list);
        if (at < 0) continue;
        existing.Delete(at);
        current.Delete(i);
    }
    if (existing.Count() > 0) {
        std::unordered_set<TreeNode> gone;
        for (int i = 0; i < existing.Count(); ++i) gone.insert(existing[i].node);
        std::erase_if(children, [&gone](TreeNode child) { return gone.count(child) != 0; });
        RemoveVanished(existing, node, selection);
    }
    for (int i = 0; i < current.Count(); ++i) InsertInOrder(folder, node, current[i].list, children);
    if (current.Count() > 0) SetHasChildren(node, true);
    child_order_[data] = children;
    for (TreeNode child : children) ResyncNode(child, selection);
}

// A folder never opened that showed no button may have been given a
// sub-folder since (the platform's has-sub-folders answer was true to the
// disk when the node was added): it is asked again, and a folder that now
// has one gets its button; opening it then fills it as usual.
void ShellTree::OfferButton(TreeNode node, ShellTreeData* data) {
    if (HasChildren(node)) return;
    IShellFolder* parent = data->ParentShellFolder();
    PCUITEMID_CHILD item = data->RelIdList();
    SFGAOF attributes = SFGAO_FOLDER | SFGAO_HASSUBFOLDER;
    if (!parent || FAILED(parent->GetAttributesOf(1, &item, &attributes))) return;
    if (ShowsButton(attributes)) SetHasChildren(node, true);
}

std::vector<TreeNode> ShellTree::ChildrenInOrder(TreeNode node, ShellTreeData* data) {
    auto known = child_order_.find(data);
    if (known != child_order_.end()) return known->second;
    std::vector<TreeNode> children;
    for (TreeNode child = FirstChild(node); child; child = NextSibling(child)) children.push_back(child);
    return children;
}

// A new item goes straight to its place among the node's children (which are
// in the shell's order), so the other children need not be sorted again.
void ShellTree::InsertInOrder(IShellFolder* folder, TreeNode node, PCUITEMID_CHILD item,
                              std::vector<TreeNode>& children) {
    size_t lo = 0, hi = children.size();
    while (lo < hi) {
        const size_t mid = (lo + hi) / 2;
        ShellTreeData* mid_data = ShellData(children[mid]);
        const HRESULT hr = mid_data ? folder->CompareIDs(0, mid_data->RelIdList(), item) : E_FAIL;
        if (SUCCEEDED(hr) && static_cast<short>(HRESULT_CODE(hr)) < 0) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    const TreeNode after = lo == 0 ? TVI_FIRST : children[lo - 1];
    if (TreeNode added = AddShellItem(folder, ShellData(node)->AbsoluteIdList(), item, node, after))
        children.insert(children.begin() + static_cast<std::ptrdiff_t>(lo), added);
}

void ShellTree::RemoveVanished(PidlList& existing, TreeNode node, TreeNode& selection) {
    for (int i = existing.Count() - 1; i >= 0; --i) {
        TreeNode gone = existing[i].node;
        if (LiesWithin(selection, gone)) selection = node;
        DeleteNode(gone);
    }
    if (existing.Count() > 0 && !FirstChild(node)) SetHasChildren(node, false);
}

// --- watches --------------------------------------------------------------------

bool ShellTree::MonitoringWanted() const { return (options_ & stoDynamicRefresh) && HandleAllocated(); }

void ShellTree::StartMonitoring() {
    if (!watchers_) watchers_ = std::make_unique<ChangeWatchers>(Handle(), kFolderChangeMessage, watch_opener_);
    watchers_->RemoveAll();
    const DWORD drives = ::GetLogicalDrives();
    for (int letter = 0; letter < 26; ++letter) {
        if (!(drives & (1u << letter))) continue;
        const std::wstring root = std::wstring(1, static_cast<wchar_t>(L'A' + letter)) + L":\\";
        if (WatchedDriveType(::GetDriveTypeW(root.c_str()))) watchers_->Add(root, WatchFilter(), true);
    }
    if (PlatformWatchesWholeSubtrees()) return;
    std::vector<TreeNode> pending;
    if (TreeNode root = FirstRoot()) pending.push_back(root);
    while (!pending.empty()) {
        TreeNode node = pending.back();
        pending.pop_back();
        ShellTreeData* data = ShellData(node);
        if (!data || !data->Opened()) continue;
        WatchOpenedFolder(node);
        for (TreeNode c = FirstChild(node); c; c = NextSibling(c)) pending.push_back(c);
    }
}

void ShellTree::StopMonitoring() {
    if (watchers_) watchers_->RemoveAll();
    sync_timer_.SetEnabled(false);
    refresh_gate_.ForgetIgnoredChange();
}

// Where a drive's subtree watch misses changes inside folders that existed
// before it, each opened folder on a watched drive is watched by itself.
void ShellTree::WatchOpenedFolder(TreeNode node) {
    if (!watchers_ || !MonitoringWanted() || PlatformWatchesWholeSubtrees()) return;
    ShellTreeData* data = ShellData(node);
    const std::wstring path = data ? data->Path() : std::wstring();
    if (path.size() < 3 || path[1] != L':') return;
    if (!WatchedDriveType(::GetDriveTypeW(path.substr(0, 3).c_str()))) return;
    watchers_->Add(path, WatchFilter(), false, node);
}

DWORD ShellTree::WatchFilter() const {
    return HasOption(stoIncludeNonFolders) ? FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME
                                           : FILE_NOTIFY_CHANGE_DIR_NAME;
}

void ShellTree::SetOptions(ShellTreeOptions options) {
    const bool was_watching = HasOption(stoDynamicRefresh);
    const bool drop_changed = ((options_ ^ options) & stoOleDrop) != 0;
    options_ = options;
    if (drop_changed) DropOptionChanged();
    if (was_watching == HasOption(stoDynamicRefresh) || !HandleAllocated() || IsLoading()) return;
    if (was_watching) {
        StopMonitoring();
    } else if (NodeCount() > 0) {
        StartMonitoring();
    }
}

// --- device events --------------------------------------------------------------

void ShellTree::DeviceChanged(WPARAM event) {
    if (event != kDeviceArrived && event != kDeviceRemoveComplete) return;
    if (revalidate_lock == 0) {
        UniqueIdList computer;
        ComPtr<IShellFolder> folder;
        if (SUCCEEDED(::SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, computer.put())) &&
            SUCCEEDED(BindToFolder(computer.get(), folder))) {
            SFGAOF validate = SFGAO_VALIDATE;
            folder->GetAttributesOf(0, nullptr, &validate);
        }
    }
    ++revalidate_lock;
    ScopeExit lower([] { --revalidate_lock; });
    RefreshTree();
}

}  // namespace census
