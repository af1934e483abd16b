// The folder tree: the shell namespace from BaseFolder down, one node per
// folder, filled lazily as nodes are expanded, in the shell's own order.
//
// OnChange reports selection changes made by mouse, keys or code, but not
// those made while the tree loads or inside its own locked phases (filling,
// the window going away). Assigning SelectedFolder a list navigates to it.
#pragma once

#include "editors/framed_tree_view.h"
#include "runtime/timer.h"
#include "shell/namespace/pidl_list.h"
#include "shell/namespace/shell_locator.h"
#include "shell/transfer/transfer_job.h"
#include "shell/transfer/tree_data_object.h"
#include "shell/tree/refresh_gate.h"
#include "shell/tree/send_to_menu.h"
#include "shell/tree/shell_tree_data.h"
#include "shell/watching/change_watcher.h"

#include <oleidl.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace census {

class FileOperations;

enum ShellTreeOption : std::uint16_t {
    stoAutoFill = 1 << 0,
    stoVirtualFolders = 1 << 1,
    stoDefaultKeyHandling = 1 << 3,
    stoContextMenus = 1 << 4,
    stoDynamicRefresh = 1 << 5,
    stoIncludeNonFolders = 1 << 6,
    stoOleDrag = 1 << 7,
    stoOleDrop = 1 << 8,
    stoShowHidden = 1 << 9,
};
using ShellTreeOptions = std::uint16_t;
constexpr ShellTreeOptions kDefaultShellTreeOptions = stoAutoFill | stoVirtualFolders | stoDefaultKeyHandling |
                                                     stoContextMenus | stoDynamicRefresh | stoOleDrag | stoOleDrop |
                                                     stoShowHidden;

// Refresh delays after the last change: with the focus, and without it.
constexpr unsigned kFocusedRefreshDelay = 400;
constexpr unsigned kUnfocusedRefreshDelay = 2000;

class TransferJobs;

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
    // the nodes, keeping expansion and selection. While a command, a drag or
    // a menu holds the tree, or a label is being edited, it is only recorded.
    void RefreshTree();
    // A drive arrived or left (device event code): the computer folder
    // re-reads its drives and the tree refreshes.
    virtual void DeviceChanged(WPARAM event);
    // The delay of the refresh a folder change has armed; 0 when none is.
    unsigned ArmedRefreshDelay() const { return sync_timer_.Enabled() ? sync_timer_.Interval() : 0; }
    // Where the tree's watches are opened (on the watcher threads); for a
    // test that stands in for a slow drive. Takes effect at the next start.
    void SetWatchOpener(WatchOpener opener) { watch_opener_ = std::move(opener); }
    // Waits up to ms for the watcher threads to have carried out every
    // opening and removal asked of them so far.
    bool WaitWatchesSettled(DWORD ms = kWatchRequestWait) { return !watchers_ || watchers_->WaitSettled(ms); }
    // Sorts node's children in the shell's order; with no node, the whole tree.
    void SortChildren(TreeNode node);

    std::function<void(ShellTree& sender, IShellFolder* parent_folder, PCIDLIST_ABSOLUTE parent_list,
                       PCUITEMID_CHILD item, ULONG attributes, bool& allow_add)>
        OnAddItem;
    std::function<void(ShellTree& sender, TreeNode node)> OnInsertItem;
    std::function<void(ShellTree& sender, TreeNode node, ShellTreeData& data)> OnDeleteItem;
    std::function<void(ShellTree& sender)> OnFillStart;
    std::function<void(ShellTree& sender)> OnFillComplete;

    // --- Drag and drop (shell_tree_drag_drop.cpp). The drop target of the
    // tree's window forwards its four calls here; points are in screen
    // coordinates, as the platform gives them.
    virtual HRESULT DragEnter(IDataObject* data, DWORD keys, POINTL point, DWORD* effect);
    virtual HRESULT DragOver(DWORD keys, POINTL point, DWORD* effect);
    virtual HRESULT DragLeave();
    virtual HRESULT Drop(IDataObject* data, DWORD keys, POINTL point, DWORD* effect);
    // Scrolls near the edges and opens a folder the pointer rests on (client point).
    virtual void DragAutoScroll(POINT point);
    // The drop source of a drag started with button.
    static ComPtr<IDropSource> CreateDropSource(MouseButton button);
    // The data object offered for node (none for the root or a node without shell data).
    ComPtr<IDataObject> NodeDataObject(TreeNode node, DWORD preferred_effect = 0);

    // --- This program's own transfers (shell_tree_transfers.cpp).
    // Where the shell does no file work, drops and pastes are carried out by
    // this program's file layer on a worker thread, one after another; true
    // while one runs or its report has not been shown yet.
    bool TransfersRunning() const;
    // The window is about to close: the running transfer stops and undoes
    // its half-made item while the window goes, and no queued one starts.
    void StopTransfers();
    // Makes the file layer objects (one for the window's thread, one per
    // transfer); the program's own layer unless replaced.
    void SetFileLayerFactory(std::function<std::unique_ptr<FileOperations>()> factory);

    // --- Shell commands (shell_tree_commands.cpp).
    // Runs a shell verb ("cut", "copy", "paste", "delete", ...) on node and
    // refreshes. S_FALSE for the root or a node without shell data; a verb no
    // command of the node's menu matches runs nothing, beeps and answers
    // HRESULT_FROM_WIN32(ERROR_NOT_FOUND).
    HRESULT InvokeVerb(TreeNode node, const std::wstring& verb);
    // The shell's context menu of node at a client point (none for the root).
    void ShowNodeContextMenu(TreeNode node, POINT point);
    // Drops node's data object on the index-th Send To entry.
    void InvokeSendTo(TreeNode node, int index);

    std::function<void(ShellTree& sender, TreeNode node, bool& allow)> OnEditing;
    std::function<void(ShellTree& sender, TreeNode node, std::wstring& text)> OnEdited;
    std::function<void(ShellTree& sender, const std::wstring& hint)> OnPopupHint;

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

    // Adds item under parent_node after the node after (or TVI_FIRST,
    // TVI_LAST); the node added, none when the item is not shown or cannot be.
    virtual TreeNode AddShellItem(IShellFolder* folder, PCIDLIST_ABSOLUTE parent_list, PCUITEMID_CHILD item,
                                  TreeNode parent_node, TreeNode after);
    virtual bool CanAddItem(IShellFolder* folder, PCIDLIST_ABSOLUTE parent_list, ULONG attributes,
                            PCUITEMID_CHILD item);
    virtual void PopulateNode(IShellFolder* folder, TreeNode node);
    virtual void NodeInserted(TreeNode node);
    void BeginDrag(TreeNode node, MouseButton button) override;
    virtual void RunDrag(TreeNode node, MouseButton button);
    void NodeContextMenu(TreeNode node, POINT& point, HMENU& menu) override;
    // The context-menu object whose commands the node's menu shows and runs
    // (the shell's, from the node's parent folder).
    virtual HRESULT NodeMenuObject(TreeNode node, ComPtr<IContextMenu>& menu);
    void KeyDown(WORD& key, unsigned shift) override;
    bool CanEditLabel(TreeNode node) override;
    bool LabelEdited(TreeNode node, const wchar_t* text) override;

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
    bool ShowsButton(ULONG attributes) const;
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
    void OfferButton(TreeNode node, ShellTreeData* data);
    void RemoveVanished(PidlList& existing, TreeNode node, TreeNode& selection);
    void InsertInOrder(IShellFolder* folder, TreeNode node, PCUITEMID_CHILD item, std::vector<TreeNode>& children);
    std::vector<TreeNode> ChildrenInOrder(TreeNode node, ShellTreeData* data);
    void ChangeNotified(unsigned watch);
    void SyncTimerFired();
    void StartMonitoring();
    void StopMonitoring();
    void WatchOpenedFolder(TreeNode node);
    bool MonitoringWanted() const;
    DWORD WatchFilter() const;

    // Drag and drop.
    struct DragState {
        ComPtr<IDataObject> data;  // of the drag over the tree, from enter to leave or drop
        DWORD enter_keys = 0;
        std::vector<std::wstring> paths;  // what it names, for this program's own transfers
        DWORD allowed = kAllDropEffects;  // what its items allow
        DWORD last_scroll = 0;
        POINT hover_point{};
        DWORD hover_start = 0;
        TreeNode dragged = nullptr;  // the node dragged out of this tree
        // This program's own decision per target folder and keys, made once
        // per drag: the refusal check costs look-ups for every dragged path.
        struct Decision {
            DWORD effect = DROPEFFECT_NONE;
            std::wstring refusal;  // shown when the drop comes (the effect stays for a name taken there)
        };
        std::map<std::pair<std::wstring, DWORD>, Decision> decisions;
    };
    void RegisterDropTarget();
    void RevokeDropTarget();
    void DropOptionChanged();
    ComPtr<IDropTarget> NodeDropTarget(TreeNode node, HWND owner);
    std::wstring OwnDropFolder(TreeNode node);
    HRESULT AskNodeTarget(TreeNode node, DWORD keys, POINTL point, DWORD* effect, bool over);
    const DragState::Decision& OwnDropDecision(const std::wstring& folder, DWORD keys, DWORD allowed);
    DragState::Decision DecideOwnDrop(const std::wstring& folder, DWORD keys, DWORD allowed);
    bool OnlyNamesTaken(const std::wstring& folder, DWORD effect) const;
    HRESULT OwnDrop(const std::wstring& folder, DWORD keys, POINTL point, DWORD* effect);
    void ShowDropHighlight(TreeNode node);
    void HoverExpand(TreeNode node);

    // This program's own transfers (shell_tree_transfers.cpp; transfer_job.cpp runs them).
    FileOperations& Files();
    void StartTransfer(TransferTask task);
    void TransfersFinished();
    void ShowRefusal(const std::wstring& text);
    HRESULT PasteOwn(TreeNode node);
    // Where the shell's delete would follow a link out of the folder, or where
    // the check could not look everywhere: refused, saying which.
    bool RefuseLinkedDelete(TreeNode node);
    LinkSearch LinkInsideChecked(const std::wstring& path);
    static void WaitPainting(HANDLE done);

    // After a drop or a command: the refresh of opened folders (deferred while busy).
    void RefreshAfterOperation();
    // How a command, a drag and a menu end: one refresh, when one was asked
    // for while they held the tree or refresh says so.
    void EndHold(RefreshGate::Hold& hold, bool refresh = false);

    // Commands.
    bool CanRename(TreeNode node);
    bool OwnClipboardVerb(const std::wstring& verb);
    HRESULT RunOwnClipboardVerb(TreeNode node, const std::wstring& verb);
    void InvokeVerbOrRefresh(TreeNode node, const std::wstring& verb);
    // Runs the command at offset of the node's menu; the selection leaves a node it removed.
    HRESULT InvokeMenuCommand(TreeNode node, IContextMenu* menu, UINT offset);
    void RunMenuCommand(TreeNode node, IContextMenu* menu, UINT id);
    void SelectParentIfGone(TreeNode node);
    bool NameAccepted(TreeNode node, const std::wstring& name);
    bool RenameNode(TreeNode node, const std::wstring& name);
    // The program's own rename where the shell left a change of case undone; the item's new list in renamed.
    HRESULT RenameCaseOwn(TreeNode node, const std::wstring& path, const std::wstring& name, UniqueIdList& renamed);
    void ForgetCachesBelow(TreeNode node);
    // Whether node is ancestor or lies below it.
    bool LiesWithin(TreeNode node, TreeNode ancestor);
    // The one folder change a successful rename causes is not a change to refresh for.
    void SwallowRenameChange(const std::wstring& parent);
    bool RouteMenuMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    ComPtr<IContextMenu> current_menu_;
    std::optional<SendToSubmenu> send_to_;  // while a context menu is shown

    ShellTreeOptions options_ = kDefaultShellTreeOptions;
    ShellLocator base_folder_;
    ShellLocator selected_folder_;
    std::unordered_map<TreeNode, std::unique_ptr<ShellTreeData>> node_data_;
    int update_lock_ = 0;
    int no_ui_ = 0;
    bool no_expand_ = false;
    RefreshGate refresh_gate_;
    WatchOpener watch_opener_;
    Timer sync_timer_;
    std::unique_ptr<ChangeWatchers> watchers_;
    bool filling_at_load_ = false;
    bool fill_from_load_ = false;  // loaded before it had a window
    ComPtr<IDropTarget> drop_target_;
    DragState drag_;
    std::unique_ptr<FileOperations> file_operations_;
    std::function<std::unique_ptr<FileOperations>()> file_layer_factory_;
    std::unique_ptr<TransferJobs> transfers_;
    std::vector<std::wstring> deferred_refusals_;
    // The children of opened nodes in the control's order, kept from one
    // sort or refresh to the next (walking thousands of nodes through the
    // control's messages costs more than the refresh itself). A node's entry
    // goes when one of its children is deleted elsewhere.
    std::unordered_map<ShellTreeData*, std::vector<TreeNode>> child_order_;
};

}  // namespace census
