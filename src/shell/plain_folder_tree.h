// A plain folder tree over the platform's tree view: the desktop as its single
// root, sub-folders filled when a node is first expanded.
#pragma once

#include "runtime/control.h"
#include "runtime/handles.h"

#include <shlobj.h>

#include <functional>
#include <string>
#include <vector>

namespace census {

class PlainFolderTree : public Control {
public:
    PlainFolderTree();
    ~PlainFolderTree() override;

    // The selected folder's file-system path: no trailing backslash except on
    // a drive root; empty with no selection, no window, or a virtual folder.
    std::wstring SelectedFolderPath();
    // Selects the node of an absolute file-system folder path, expanding on the way.
    bool SelectPath(const std::wstring& path);

    std::function<void(Control& sender, HTREEITEM node)> OnChange;

protected:
    void FillCreateParams(CreateParams& params) override;
    void WindowCreated() override;
    bool Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    struct Node {
        UniqueCoTaskMem<ITEMIDLIST> absolute;
    };
    HTREEITEM AddNode(HTREEITEM parent, UniqueCoTaskMem<ITEMIDLIST> absolute, const std::wstring& text,
                      bool has_children);
    void FillChildren(HTREEITEM item);
    const ITEMIDLIST* NodeList(HTREEITEM item);

    std::vector<Node> nodes_;
    bool filling_ = false;
};

}  // namespace census
