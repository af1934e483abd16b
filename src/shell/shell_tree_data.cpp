#include "shell/shell_tree_data.h"

#include "shell/shell_namespace.h"

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

std::wstring ShellTreeData::Path() {
    return GetPathFromIdList(AbsoluteIdList());
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
