// What a folder tree node knows about its shell item. Owned by the tree,
// one per node, released when the node is deleted.
//
// The absolute list and the node's folder are made on first request and
// kept; ForgetCache drops both (after a rename above the node).
#pragma once

#include "shell/namespace/id_list.h"

#include <string>

namespace census {

class ShellTreeData {
public:
    // parent: the parent node's data, null for the root node.
    ShellTreeData(ShellTreeData* parent, UniqueIdList relative);
    ShellTreeData(const ShellTreeData&) = delete;
    ShellTreeData& operator=(const ShellTreeData&) = delete;

    ShellTreeData* ParentData() const { return parent_; }
    PCUITEMID_CHILD RelIdList() const { return relative_.get(); }
    PCIDLIST_ABSOLUTE AbsoluteIdList();
    // The root node's absolute list and the folder its fill started from.
    void SetAbsIdList(UniqueIdList absolute) { absolute_ = std::move(absolute); }
    void SetNodeFolder(ComPtr<IShellFolder> folder) { node_folder_ = std::move(folder); }

    // The node's own folder; null when it cannot be bound.
    IShellFolder* NodeFolder();
    // The folder that holds this node's item.
    IShellFolder* ParentShellFolder();
    // The file-system path; empty when the item has none.
    std::wstring Path();

    // The mark drawn over the node's image (kSharedOverlay, kShortcutOverlay, 0).
    int Overlay() const { return overlay_; }
    void SetOverlay(int overlay) { overlay_ = overlay; }

    // Whether the node's folder has been enumerated into it (a refresh reads
    // only such folders again).
    bool Opened() const { return opened_; }
    void SetOpened() { opened_ = true; }

    // The small icon as last given to the control (-1: not yet), and whether
    // its open icon was given too (only a selected node needs it).
    int Icon() const { return icon_; }
    bool OpenIconKnown() const { return open_icon_known_; }
    void SetIcon(int icon, bool open_icon_known) {
        icon_ = icon;
        open_icon_known_ = open_icon_known;
    }

    void SetRelIdList(PCUITEMID_CHILD relative);
    void ForgetCache();

private:
    ShellTreeData* parent_;
    UniqueIdList relative_;
    UniqueIdList absolute_;
    ComPtr<IShellFolder> node_folder_;
    ComPtr<IShellFolder> parent_folder_;  // the root node's only
    int overlay_ = 0;
    bool opened_ = false;
    int icon_ = -1;
    bool open_icon_known_ = false;
};

}  // namespace census
