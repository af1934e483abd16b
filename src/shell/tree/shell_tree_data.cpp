#include "shell/tree/shell_tree_data.h"

#include "runtime/path_names.h"
#include "shell/namespace/long_path_folder.h"
#include "shell/namespace/shell_namespace.h"

namespace census {

ShellTreeData::ShellTreeData(ShellTreeData* parent, UniqueIdList relative)
    : parent_(parent), relative_(std::move(relative)) {}

PCIDLIST_ABSOLUTE ShellTreeData::AbsoluteIdList() {
    if (!absolute_) {
        absolute_ = parent_ ? ConcatIdLists(parent_->AbsoluteIdList(), relative_.get()) : CopyIdList(relative_.get());
    }
    return absolute_.get();
}

IShellFolder* ShellTreeData::NodeFolder() {
    if (node_folder_) return node_folder_.get();
    if (IdListSize(AbsoluteIdList()) <= 2) {
        node_folder_ = DesktopFolder();
    } else if (IShellFolder* parent = ParentShellFolder()) {
        parent->BindToObject(relative_.get(), nullptr, IID_IShellFolder, node_folder_.put_void());
        // A folder of the long path layer binds its own items already.
        if (const std::wstring path = Path(); node_folder_ && !IsLongPathItem(relative_.get()) &&
                                              NeedsLongPathFolder(path))
            node_folder_ = MakeLongPathFolder(path);
    }
    return node_folder_.get();
}

IShellFolder* ShellTreeData::ParentShellFolder() {
    if (parent_) return parent_->NodeFolder();
    if (!parent_folder_) {
        UniqueIdList parent_list, item;
        SplitParentAndItem(AbsoluteIdList(), parent_folder_, parent_list, item);
    }
    return parent_folder_.get();
}

// Items of folders the platform cannot name by path (those of a long path
// folder) get their path from the parent's path and their own file name.
std::wstring ShellTreeData::Path() {
    const bool own_item = parent_ && IsLongPathItem(relative_.get());
    if (!own_item) {
        std::wstring path = GetPathFromIdList(AbsoluteIdList());
        if (!path.empty() || !parent_) return path;
    }
    const std::wstring name = FileSystemName(ParentShellFolder(), relative_.get());
    if (name.empty()) return {};
    const std::wstring parent_path = parent_->Path();
    return parent_path.empty() ? std::wstring() : JoinPath(parent_path, name);
}

void ShellTreeData::SetRelIdList(PCUITEMID_CHILD relative) {
    relative_ = CopyIdList(relative);
    ForgetCache();
}

void ShellTreeData::ForgetCache() {
    absolute_.reset();
    node_folder_.reset();
}

}  // namespace census
