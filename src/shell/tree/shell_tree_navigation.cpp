// Selection and navigation in the folder tree: the selection reported and
// followed by SelectedFolder, a list assigned to SelectedFolder opened down
// to its node, and a new BaseFolder filling the tree again.
#include "shell/tree/shell_tree.h"

#include "shell/namespace/shell_namespace.h"

namespace census {
namespace {

bool SameItem(IShellFolder* folder, PCUITEMID_CHILD a, PCUITEMID_CHILD b) {
    if (!folder) return false;
    const HRESULT hr = folder->CompareIDs(0, a, b);
    return SUCCEEDED(hr) && static_cast<short>(HRESULT_CODE(hr)) == 0;
}

}  // namespace

void ShellTree::SelectionChanged(TreeNode node) {
    GiveOpenIcon(node);
    ShellTreeData* data = ShellData(node);
    if (update_lock_ == 0 && !IsLoading()) {
        ReportChange(node);
        if (data) {
            UpdateLock lock(*this);
            selected_folder_.SetIdList(data->AbsoluteIdList());
        }
        return;
    }
    if (data) {
        // Following the selection must not navigate back to it.
        UpdateLock lock(*this);
        selected_folder_.SetIdList(data->AbsoluteIdList());
    }
}

void ShellTree::SelectedFolderChanged() {
    if (update_lock_ > 0 || !HandleAllocated() || NodeCount() == 0) return;
    NavigateTo(selected_folder_.IdList());
}

TreeNode ShellTree::FindChild(TreeNode node, PCUITEMID_CHILD item) {
    ShellTreeData* data = ShellData(node);
    IShellFolder* folder = data ? data->NodeFolder() : nullptr;
    for (TreeNode child = FirstChild(node); child; child = NextSibling(child)) {
        ShellTreeData* child_data = ShellData(child);
        if (child_data && SameItem(folder, child_data->RelIdList(), item)) return child;
    }
    return nullptr;
}

void ShellTree::NavigateTo(PCIDLIST_ABSOLUTE target) {
    if (update_lock_ > 0) return;
    TreeNode root = FirstRoot();
    if (!root) return;
    BeginUpdate();
    ScopeExit resume([this] { EndUpdate(); });
    IdListArray base_items(base_folder_.IdList());
    IdListArray target_items(target);
    const int base_count = base_items.ItemCount(), target_count = target_items.ItemCount();
    TreeNode reached = root;
    if (target_count > 0 && target_count <= base_count) {
        Expand(root);
    } else if (target_count > base_count) {
        Expand(root);
        for (int i = base_count; i < target_count; ++i) {
            UniqueIdList item = CopyIdList(target_items.SingleItem(i));
            TreeNode child = FindChild(reached, item.get());
            if (!child) {
                ShellTreeData* data = ShellData(reached);
                child = data ? AddShellItem(data->NodeFolder(), data->AbsoluteIdList(), item.get(), reached, TVI_LAST)
                             : nullptr;
                if (!child) {
                    ::MessageBeep(0);
                    break;
                }
            }
            reached = child;
            if (i + 1 < target_count) Expand(reached);
        }
    }
    Select(reached);
    resume.dismiss();
    EndUpdate();
    MakeVisible(reached);
}

void ShellTree::BaseFolderChanged() {
    if (IsLoading()) return;
    {
        UpdateLock lock(*this);
        selected_folder_.SetIdList(nullptr);
    }
    if (HasOption(stoAutoFill) && HandleAllocated()) FillTree();
}

}  // namespace census
