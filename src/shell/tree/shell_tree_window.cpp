// The folder tree's window: its fill at loading or once the window exists,
// what ends with it, the nodes' data going with their nodes, and the
// messages the tree posts to itself.
#include "shell/tree/shell_tree.h"

#include "shell/transfer/file_operations.h"
#include "shell/tree/shell_tree_messages.h"
#include "shell/watching/change_watcher.h"

#include <utility>

namespace census {

void ShellTree::Loaded() {
    if (HasOption(stoAutoFill) && NodeCount() == 0) {
        // The fill belongs to loading: a tree placed on a window makes its
        // window now; one without a parent yet waits for its window.
        if (!HandleAllocated() && Parent()) HandleNeeded();
        if (HandleAllocated()) {
            FillAsLoading();
        } else {
            fill_from_load_ = true;
        }
    }
    no_expand_ = true;
    ScopeExit expand([this] { no_expand_ = false; });
    FramedTreeView::Loaded();
}

void ShellTree::WindowCreated() {
    FramedTreeView::WindowCreated();
    RegisterDropTarget();
    if ((fill_from_load_ || !Loading()) && HasOption(stoAutoFill) && NodeCount() == 0)
        ::PostMessageW(Handle(), kDeferredFillMessage, 0, 0);
}

void ShellTree::FillAsLoading() {
    fill_from_load_ = false;
    filling_at_load_ = true;
    ScopeExit loaded([this] { filling_at_load_ = false; });
    FillTree();
}

void ShellTree::WindowDestroying() {
    // The watchers and the transfer worker post to this window: they end with
    // it. A transfer is asked to stop and ends after its current file.
    sync_timer_.SetEnabled(false);
    watchers_.reset();
    transfers_.reset();
    child_order_.clear();
    BeginUpdate();
    DeleteAllNodes();
    EndUpdate();
    node_data_.clear();
    RevokeDropTarget();
    FramedTreeView::WindowDestroying();
}

void ShellTree::NodeDeleted(TreeNode node, LPARAM) {
    if (watchers_) watchers_->Remove(node);
    auto found = node_data_.find(node);
    if (found == node_data_.end()) return;
    std::unique_ptr<ShellTreeData> data = std::move(found->second);
    node_data_.erase(found);
    child_order_.erase(data.get());
    child_order_.erase(data->ParentData());
    if (OnDeleteItem) OnDeleteItem(*this, node, *data);
}

LRESULT ShellTree::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case kDeferredFillMessage:
            if (NodeCount() != 0) return 0;
            if (fill_from_load_) {
                FillAsLoading();
            } else {
                FillTree();
            }
            return 0;
        case kDeferredRefreshMessage:
            RefreshAfterOperation();
            return 0;
        case kDeferredDragMessage:
            RunDrag(reinterpret_cast<TreeNode>(lp), static_cast<MouseButton>(wp));
            return 0;
        case kFolderChangeMessage:
            ChangeNotified(static_cast<unsigned>(wp));
            return 0;
        case kTransferDoneMessage:
            TransfersFinished();
            return 0;
        case kDeferredRefusalMessage:
            for (const std::wstring& refusal : std::exchange(deferred_refusals_, {})) ShowRefusal(refusal);
            return 0;
        case WM_PAINT:
            if (HIMAGELIST images = ImageList()) {
                // The shared system list is drawn on the tree's own background, then put back.
                const COLORREF previous = ImageList_SetBkColor(images, ColorToRgb(Color()));
                const LRESULT r = FramedTreeView::WndProc(msg, wp, lp);
                ImageList_SetBkColor(images, previous);
                return r;
            }
            break;
        default:
            if (current_menu_) {
                LRESULT result = FramedTreeView::WndProc(msg, wp, lp);
                RouteMenuMessage(msg, wp, lp, result);
                return result;
            }
            break;
    }
    return FramedTreeView::WndProc(msg, wp, lp);
}

}  // namespace census
