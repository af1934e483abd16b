// The folder tree: the shell namespace from BaseFolder down, one node per
// folder, filled lazily as nodes are expanded, in the shell's own order.
//
// OnChange reports selection changes made by mouse, keys or code, but not
// those made while the tree loads or inside its own locked phases (filling,
// the window going away). Assigning SelectedFolder a list navigates to it.
#pragma once

#include "runtime/timer.h"
#include "shell/framed_tree_view.h"
#include "shell/shell_locator.h"
#include "shell/pidl_list.h"
#include "shell/shell_tree_data.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>

namespace census {

enum ShellTreeOption : std::uint16_t {
    stoAutoFill = 1 << 0,
    stoVirtualFolders = 1 << 1,
    stoDesignInteractive = 1 << 2,
    stoDefaultKeyHandling = 1 << 3,
    stoContextMenus = 1 << 4,
    stoDynamicRefresh = 1 << 5,
    stoIncludeNonFolders = 1 << 6,
    stoOleDrag = 1 << 7,
    stoOleDrop = 1 << 8,
    stoShowHidden = 1 << 9,
};
using ShellTreeOptions = std::uint16_t;
constexpr ShellTreeOptions kDefaultShellTreeOptions = 955;

// Posted to itself when a window is created empty; fills the tree when it arrives.
constexpr UINT kDeferredFillMessage = 0x467;
// Posted to the tree when something changed below a watched folder.
constexpr UINT kFolderChangeMessage = 0x465;
// Refresh delays after the last change: with the focus, and without it.
constexpr unsigned kFocusedRefreshDelay = 400;
constexpr unsigned kUnfocusedRefreshDelay = 2000;

class ChangeWatchers;

class ShellTree : public FramedTreeView {
public:
    ShellTree();
    ~ShellTree() override;

    ShellTreeOptions Options() const { return options_; }
    // Turning stoDynamicRefresh on starts watching; turning it off removes every watch.
    void SetOptions(ShellTreeOptions options);
    bool HasOption(ShellTreeOption option) const { return (options_ & option) != 0; }

    ShellLocator& BaseFolder() { return base_folder_; }
    ShellLocator& SelectedFolder() { return selected_folder_; }

    // The selected node's file-system path; empty when there is none. Never throws.
    std::wstring SelectedFolderPath();
    ShellTreeData* ShellData(TreeNode node);

    void FillTree();
    // Re-reads the folders the user has opened and merges what changed into
    // the nodes, keeping expansion and selection. While busy_ is set or a
    // label is being edited it only records refresh_pending_.
    void RefreshTree();
    // A drive arrived or left (device event code): the computer folder
    // re-reads its drives and the tree refreshes.
    virtual void DeviceChanged(WPARAM event);
    // Sorts node's children in the shell's order; with no node, the whole tree.
    void SortChildren(TreeNode node);

    std::function<void(ShellTree& sender, IShellFolder* parent_folder, PCIDLIST_ABSOLUTE parent_list,
                       PCUITEMID_CHILD item, ULONG attributes, bool& allow_add)>
        OnAddItem;
    std::function<void(ShellTree& sender, TreeNode node)> OnInsertItem;
    std::function<void(ShellTree& sender, TreeNode node, ShellTreeData& data)> OnDeleteItem;
    std::function<void(ShellTree& sender)> OnFillStart;
    std::function<void(ShellTree& sender)> OnFillComplete;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void WindowCreated() override;
    void WindowDestroying() override;
    void Loaded() override;
    bool CanExpand(TreeNode node) override;
    void SelectionChanged(TreeNode node) override;
    void NodeDeleted(TreeNode node, LPARAM data) override;
    void GetDisplayInfo(NMTVDISPINFOW& info) override;
    LRESULT CustomDraw(NMTVCUSTOMDRAW& draw) override;

    virtual HRESULT AddShellItem(IShellFolder* folder, PCIDLIST_ABSOLUTE parent_list, PCUITEMID_CHILD item,
                                 TreeNode parent_node);
    virtual bool CanAddItem(IShellFolder* folder, PCIDLIST_ABSOLUTE parent_list, ULONG attributes,
                            PCUITEMID_CHILD item);
    virtual void PopulateNode(IShellFolder* folder, TreeNode node);
    virtual void NodeInserted(TreeNode node);

private:
    // Selection changes inside are neither reported nor navigated.
    class UpdateLock {
    public:
        explicit UpdateLock(ShellTree& tree) : tree_(tree) { ++tree_.update_lock_; }
        ~UpdateLock() { --tree_.update_lock_; }
        UpdateLock(const UpdateLock&) = delete;
        UpdateLock& operator=(const UpdateLock&) = delete;

    private:
        ShellTree& tree_;
    };

    bool IsLoading() const { return Loading() || filling_at_load_; }
    HWND OwnerWindow();
    TreeNode AddRootNode(IShellFolder* folder);
    // An enumerated item that passed the display rules and OnAddItem.
    struct NewItem {
        UniqueIdList item;
        ULONG attributes = 0;
        std::wstring text;
    };
    // S_FALSE when the item is not to be shown; a failure code when the
    // shell refuses its attributes.
    HRESULT PrepareItem(IShellFolder* folder, PCIDLIST_ABSOLUTE parent_list, UniqueIdList item, NewItem& prepared);
    TreeNode InsertItem(TreeNode parent_node, PCIDLIST_ABSOLUTE parent_list, NewItem& prepared, TreeNode after);
    TreeNode AddNode(TreeNode parent, const std::wstring& text, std::unique_ptr<ShellTreeData> data,
                     bool has_children = false, bool cut = false, TreeNode after = TVI_LAST);
    void GiveOpenIcon(TreeNode node);
    bool EnumerateInto(IShellFolder* folder, TreeNode node);
    void NavigateTo(PCIDLIST_ABSOLUTE target);
    TreeNode FindChild(TreeNode node, PCUITEMID_CHILD item);
    void BaseFolderChanged();
    void SelectedFolderChanged();
    void DeleteAllNodes();
    void FillAsLoading();
    int CompareNodes(LPARAM a, LPARAM b);
    SHCONTF EnumerationFlags() const;
    bool EditingLabel();

    // Refresh and monitoring (shell_tree_refresh.cpp).
    void ResyncNode(TreeNode node, TreeNode& selection);
    void RemoveVanished(PidlList& existing, TreeNode node, TreeNode& selection);
    void ChangeNotified();
    void SyncTimerFired();
    void StartMonitoring();
    void StopMonitoring();
    void WatchOpenedFolder(TreeNode node);
    bool MonitoringWanted() const;
    DWORD WatchFilter() const;

    ShellTreeOptions options_ = kDefaultShellTreeOptions;
    ShellLocator base_folder_;
    ShellLocator selected_folder_;
    std::unordered_map<TreeNode, std::unique_ptr<ShellTreeData>> node_data_;
    int update_lock_ = 0;
    int no_ui_ = 0;
    bool immediate_sync_ = false;
    bool no_expand_ = false;
    bool busy_ = false;
    bool refresh_pending_ = false;
    bool ignore_next_change_ = false;  // set by the tree's own rename: swallows the change it causes
    Timer sync_timer_;
    std::unique_ptr<ChangeWatchers> watchers_;
    bool filling_at_load_ = false;
    bool fill_from_load_ = false;  // loaded before it had a window
    TreeNode last_inserted_ = nullptr;
};

}  // namespace census
