// Rooting a folder tree at a folder and finding its nodes by text, for the
// tests and benchmarks that show one.
#pragma once

#include "runtime/application.h"
#include "runtime/form.h"
#include "shell/namespace/shell_namespace.h"
#include "shell/tree/shell_tree.h"

#include <string>

namespace census::testing {

// Loads the tree as a form does: the settings first, then the fill. The
// tree is filled even when the folder cannot be parsed; the answer says so.
inline HRESULT LoadTreeAt(ShellTree& tree, const std::wstring& base,
                          ShellTreeOptions options = kDefaultShellTreeOptions & ~stoDynamicRefresh) {
    tree.BeginLoading();
    tree.SetOptions(options);
    UniqueIdList list;
    const HRESULT hr = ParsePath(base, list);
    tree.BaseFolder().SetIdList(list.get());
    tree.HandleNeeded();
    tree.EndLoading();
    return hr;
}

// A folder tree on a shown form, rooted at a folder (for benchmarks).
struct ShownTreeAt {
    explicit ShownTreeAt(const std::wstring& root) {
        form.SetBounds(50, 50, 320, 480);
        tree.SetParent(&form);
        tree.SetBounds(0, 0, 300, 440);
        LoadTreeAt(tree, root);
        form.Show();
        Application::Instance().ProcessMessages();
    }
    Form form;
    ShellTree tree;
};

// node's child shown with text, or null.
inline TreeNode ChildWithText(TreeView& tree, TreeNode node, const std::wstring& text) {
    for (TreeNode c = tree.FirstChild(node); c; c = tree.NextSibling(c))
        if (tree.NodeText(c) == text) return c;
    return nullptr;
}

}  // namespace census::testing
