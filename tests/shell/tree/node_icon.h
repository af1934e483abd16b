// What a tree node's image shows on the screen, against the icon the shell
// gives for its item.
#pragma once

#include "editors/tree_view.h"
#include "shell/namespace/shell_namespace.h"

#include <algorithm>
#include <cstdlib>

namespace census::testing {

// The item's small icon as the shell itself extracts it (open: the icon of an
// opened folder); null when the shell gives none.
inline UniqueIcon ShellIcon(PCIDLIST_ABSOLUTE absolute, bool open = false) {
    ComPtr<IShellFolder> parent;
    UniqueIdList parent_list, item;
    if (FAILED(SplitParentAndItem(absolute, parent, parent_list, item))) return {};
    PCUITEMID_CHILD child = item.get();
    ComPtr<IExtractIconW> extract;
    parent->GetUIObjectOf(nullptr, 1, &child, IID_IExtractIconW, nullptr, extract.put_void());
    if (!extract) return {};
    wchar_t file[MAX_PATH] = {};
    int index = 0;
    UINT flags = 0;
    if (FAILED(extract->GetIconLocation(GIL_FORSHELL | (open ? GIL_OPENICON : 0), file, MAX_PATH, &index, &flags)))
        return {};
    const int cx = ::GetSystemMetrics(SM_CXSMICON);
    HICON large = nullptr, small = nullptr;
    if (extract->Extract(file, index, &large, &small, MAKELONG(32, cx)) == S_OK) {
        UniqueIcon drop(large);
        return UniqueIcon(small);
    }
    HICON icon = nullptr;
    UINT id = 0;
    ::PrivateExtractIconsW(file, index, cx, cx, &icon, &id, 1, 0);
    return UniqueIcon(icon);
}

inline double LikenessAt(TreeView& tree, TreeNode node, HICON icon, int dy) {
    const RECT image = tree.NodeImageRect(node);
    const int cx = image.right - image.left, cy = image.bottom - image.top;
    if (cx <= 0 || !icon) return 0;
    WindowDc screen(tree.Handle());
    UniqueMemoryDc dc(::CreateCompatibleDC(screen.get()));
    UniqueBitmap bitmap(::CreateCompatibleBitmap(screen.get(), cx, cy));
    SelectGuard select(dc.get(), bitmap.get());
    UniqueBrush face(::CreateSolidBrush(ColorToRgb(tree.Color())));
    RECT all{0, 0, cx, cy};
    ::FillRect(dc.get(), &all, face.get());
    ::DrawIconEx(dc.get(), 0, 0, icon, cx, cy, 0, nullptr, DI_NORMAL);
    int alike = 0;
    for (int y = 0; y < cy; ++y) {
        for (int x = 0; x < cx; ++x) {
            const COLORREF a = ::GetPixel(screen.get(), image.left + x, image.top + dy + y);
            const COLORREF b = ::GetPixel(dc.get(), x, y);
            if (std::abs(GetRValue(a) - GetRValue(b)) < 24 && std::abs(GetGValue(a) - GetGValue(b)) < 24 &&
                std::abs(GetBValue(a) - GetBValue(b)) < 24)
                ++alike;
        }
    }
    return static_cast<double>(alike) / (cx * cy);
}

// Share of the node's image pixels that match the icon drawn on the tree's
// colour; the control may centre the image a pixel off the row's middle.
inline double Likeness(TreeView& tree, TreeNode node, HICON icon) {
    double best = 0;
    for (int dy : {-1, 0, 1}) best = std::max(best, LikenessAt(tree, node, icon, dy));
    return best;
}

}  // namespace census::testing
