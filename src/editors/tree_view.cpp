#include "editors/tree_view.h"

namespace census {
namespace {

// The CustomSort callback gets the node data; the comparison travels in lParamSort.
int CALLBACK CompareThrough(LPARAM a, LPARAM b, LPARAM compare) {
    return (*reinterpret_cast<const std::function<int(LPARAM, LPARAM)>*>(compare))(a, b);
}

TVINSERTSTRUCTW InsertionOf(TreeNode parent, const std::wstring& text, LPARAM data) {
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent ? parent : TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = const_cast<wchar_t*>(text.c_str());
    insert.item.lParam = data;
    // Icons are looked up when the control first draws the node.
    insert.item.iImage = I_IMAGECALLBACK;
    insert.item.iSelectedImage = I_IMAGECALLBACK;
    return insert;
}

}  // namespace

TreeView::TreeView() {
    SetTabStop(true);
    SetParentColor(false);
    SetColor(clWindow);
}

TreeView::~TreeView() {
    DestroyHandle();
}

HWND TreeView::Window() {
    return Handle();
}

void TreeView::SetStyleFlag(bool& flag, bool value) {
    if (flag == value) return;
    flag = value;
    RecreateWnd();
}

void TreeView::SetIndent(int pixels) {
    indent_ = pixels;
    if (HandleAllocated()) TreeView_SetIndent(Window(), pixels);
}

void TreeView::SetImageList(HIMAGELIST images) {
    images_ = images;
    if (HandleAllocated()) TreeView_SetImageList(Window(), images, TVSIL_NORMAL);
}

void TreeView::FillCreateParams(CreateParams& params) {
    Control::FillCreateParams(params);
    params.class_name = WC_TREEVIEWW;
    params.ex_style |= WS_EX_CLIENTEDGE;
    if (show_root_) params.style |= TVS_LINESATROOT;
    if (show_buttons_) params.style |= TVS_HASBUTTONS;
    if (show_lines_) params.style |= TVS_HASLINES;
    if (!hide_selection_) params.style |= TVS_SHOWSELALWAYS;
    if (!tool_tips_) params.style |= TVS_NOTOOLTIPS;
    if (auto_expand_) params.style |= TVS_SINGLEEXPAND;
    if (hot_track_) params.style |= TVS_TRACKSELECT;
    if (row_select_) params.style |= TVS_FULLROWSELECT;
    if (!read_only_) params.style |= TVS_EDITLABELS;
}

void TreeView::WindowCreated() {
    HWND h = Window();
    TreeView_SetIndent(h, indent_);
    TreeView_SetBkColor(h, ColorToRgb(Color()));
    if (images_) TreeView_SetImageList(h, images_, TVSIL_NORMAL);
}

// The indent is a size like the tree's bounds.
void TreeView::DpiChanged(int old_dpi) {
    Control::DpiChanged(old_dpi);
    SetIndent(ScaleDpi(indent_, Dpi(), old_dpi));
}

void TreeView::ColorChanged() {
    Control::ColorChanged();
    if (HandleAllocated()) TreeView_SetBkColor(Window(), ColorToRgb(Color()));
}

TreeNode TreeView::AddChild(TreeNode parent, const std::wstring& text, LPARAM data) {
    TVINSERTSTRUCTW insert = InsertionOf(parent, text, data);
    return TreeView_InsertItem(Window(), &insert);
}

TreeNode TreeView::AddChild(TreeNode parent, const std::wstring& text, LPARAM data, bool has_children, bool cut,
                            TreeNode after) {
    TVINSERTSTRUCTW insert = InsertionOf(parent, text, data);
    insert.hInsertAfter = after;
    insert.item.mask |= TVIF_CHILDREN | TVIF_STATE;
    insert.item.cChildren = has_children ? 1 : 0;
    insert.item.state = cut ? TVIS_CUT : 0;
    insert.item.stateMask = TVIS_CUT;
    return TreeView_InsertItem(Window(), &insert);
}

void TreeView::DeleteNode(TreeNode node) { TreeView_DeleteItem(Window(), node); }
void TreeView::DeleteAll() { TreeView_DeleteAllItems(Window()); }
int TreeView::NodeCount() { return HandleAllocated() ? static_cast<int>(TreeView_GetCount(Window())) : 0; }
TreeNode TreeView::FirstRoot() { return TreeView_GetRoot(Window()); }
TreeNode TreeView::FirstChild(TreeNode node) { return TreeView_GetChild(Window(), node); }
TreeNode TreeView::NextSibling(TreeNode node) { return TreeView_GetNextSibling(Window(), node); }
TreeNode TreeView::ParentNode(TreeNode node) { return TreeView_GetParent(Window(), node); }

std::wstring TreeView::NodeText(TreeNode node) {
    wchar_t buffer[MAX_PATH + 1] = {};
    TVITEMW item{};
    item.mask = TVIF_TEXT;
    item.hItem = node;
    item.pszText = buffer;
    item.cchTextMax = MAX_PATH + 1;
    TreeView_GetItem(Window(), &item);
    return buffer;
}

void TreeView::SetNodeText(TreeNode node, const std::wstring& text) {
    TVITEMW item{};
    item.mask = TVIF_TEXT;
    item.hItem = node;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    TreeView_SetItem(Window(), &item);
}

bool TreeView::HasChildren(TreeNode node) {
    TVITEMW item{};
    item.mask = TVIF_CHILDREN;
    item.hItem = node;
    return TreeView_GetItem(Window(), &item) && item.cChildren != 0;
}

void TreeView::SetHasChildren(TreeNode node, bool value) {
    TVITEMW item{};
    item.mask = TVIF_CHILDREN;
    item.hItem = node;
    item.cChildren = value ? 1 : 0;
    TreeView_SetItem(Window(), &item);
}

void TreeView::SetNodeImages(TreeNode node, int image, int selected) {
    TVITEMW item{};
    item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    item.hItem = node;
    item.iImage = image;
    item.iSelectedImage = selected;
    TreeView_SetItem(Window(), &item);
}

bool TreeView::NodeCut(TreeNode node) {
    return (TreeView_GetItemState(Window(), node, TVIS_CUT) & TVIS_CUT) != 0;
}

bool TreeView::IsExpanded(TreeNode node) {
    return (TreeView_GetItemState(Window(), node, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

void TreeView::Expand(TreeNode node) { TreeView_Expand(Window(), node, TVE_EXPAND); }
void TreeView::MakeVisible(TreeNode node) { TreeView_EnsureVisible(Window(), node); }

RECT TreeView::NodeTextRect(TreeNode node) {
    RECT r{};
    TreeView_GetItemRect(Window(), node, &r, TRUE);
    return r;
}

RECT TreeView::NodeImageRect(TreeNode node) {
    RECT row{}, text{};
    if (!TreeView_GetItemRect(Window(), node, &row, FALSE) || !TreeView_GetItemRect(Window(), node, &text, TRUE))
        return {};
    // The control alone knows its gaps: ask it which points lie on the image.
    const int y = (row.top + row.bottom) / 2;
    int left = text.left;
    for (int x = text.left - 1; x >= row.left; --x) {
        TVHITTESTINFO hit{};
        hit.pt = {x, y};
        if (TreeView_HitTest(Window(), &hit) != node || !(hit.flags & TVHT_ONITEMICON)) {
            if (left < text.left) break;
            continue;
        }
        left = x;
    }
    if (left == text.left || !images_) return {};
    int cx = 0, cy = 0;
    ImageList_GetIconSize(images_, &cx, &cy);
    const int top = row.top + (row.bottom - row.top - cy) / 2;
    return {left, top, left + cx, top + cy};
}

TreeNode TreeView::NodeAt(int x, int y) {
    TVHITTESTINFO hit{};
    hit.pt = {x, y};
    TreeNode node = TreeView_HitTest(Window(), &hit);
    return (hit.flags & TVHT_ONITEM) ? node : nullptr;
}

void TreeView::CustomSort(TreeNode node, const std::function<int(LPARAM, LPARAM)>& compare) {
    TVSORTCB sort{};
    sort.hParent = node ? node : TVI_ROOT;
    sort.lpfnCompare = &CompareThrough;
    sort.lParam = reinterpret_cast<LPARAM>(&compare);
    TreeView_SortChildrenCB(Window(), &sort, FALSE);
}

TreeNode TreeView::NativeSelection() {
    return HandleAllocated() ? TreeView_GetSelection(Window()) : nullptr;
}

void TreeView::Select(TreeNode node) { TreeView_SelectItem(Window(), node); }
TreeNode TreeView::DropHighlight() { return TreeView_GetDropHilight(Window()); }
void TreeView::SetDropHighlight(TreeNode node) { TreeView_SelectDropTarget(Window(), node); }
bool TreeView::IsEditing() { return HandleAllocated() && TreeView_GetEditControl(Window()) != nullptr; }
void TreeView::EditLabel(TreeNode node) { TreeView_EditLabel(Window(), node); }
HWND TreeView::EditControl() { return HandleAllocated() ? TreeView_GetEditControl(Window()) : nullptr; }

void TreeView::BeginUpdate() {
    if (update_count_++ == 0 && HandleAllocated()) ::SendMessageW(Window(), WM_SETREDRAW, FALSE, 0);
}

void TreeView::EndUpdate() {
    if (--update_count_ == 0 && HandleAllocated()) {
        ::SendMessageW(Window(), WM_SETREDRAW, TRUE, 0);
        Invalidate();
    }
}

bool TreeView::Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg != CN_NOTIFY) return false;
    auto* header = reinterpret_cast<NMHDR*>(lp);
    switch (header->code) {
        case TVN_ITEMEXPANDINGW: {
            auto* nm = reinterpret_cast<NMTREEVIEWW*>(lp);
            result = (nm->action & TVE_EXPAND) && !CanExpand(nm->itemNew.hItem) ? TRUE : FALSE;
            return true;
        }
        case TVN_SELCHANGEDW:
            SelectionChanged(reinterpret_cast<NMTREEVIEWW*>(lp)->itemNew.hItem);
            return true;
        case TVN_DELETEITEMW: {
            auto* nm = reinterpret_cast<NMTREEVIEWW*>(lp);
            if (nm->itemOld.hItem == pending_change_) pending_change_ = nullptr;
            NodeDeleted(nm->itemOld.hItem, nm->itemOld.lParam);
            return true;
        }
        case TVN_GETDISPINFOW:
            GetDisplayInfo(*reinterpret_cast<NMTVDISPINFOW*>(lp));
            return true;
        case NM_CUSTOMDRAW:
            result = CustomDraw(*reinterpret_cast<NMTVCUSTOMDRAW*>(lp));
            return true;
        case NM_RCLICK:
            result = RightClicked() ? TRUE : FALSE;
            return true;
        case TVN_BEGINDRAGW:
        case TVN_BEGINRDRAGW: {
            auto* nm = reinterpret_cast<NMTREEVIEWW*>(lp);
            BeginDrag(nm->itemNew.hItem, header->code == TVN_BEGINDRAGW ? MouseButton::Left : MouseButton::Right);
            return true;
        }
        case TVN_BEGINLABELEDITW:
            result = CanEditLabel(reinterpret_cast<NMTVDISPINFOW*>(lp)->item.hItem) ? FALSE : TRUE;
            return true;
        case TVN_ENDLABELEDITW: {
            const TVITEMW& item = reinterpret_cast<NMTVDISPINFOW*>(lp)->item;
            result = LabelEdited(item.hItem, item.pszText) ? TRUE : FALSE;
            return true;
        }
        default:
            return false;
    }
}

bool TreeView::CanExpand(TreeNode node) {
    bool allow = true;
    if (OnExpanding) OnExpanding(*this, node, allow);
    return allow;
}

void TreeView::SelectionChanged(TreeNode node) {
    ReportChange(node);
}

void TreeView::ReportChange(TreeNode node) {
    if (change_delay_ == 0) {
        Change(node);
        return;
    }
    if (!change_timer_) {
        change_timer_ = std::make_unique<Timer>();
        change_timer_->OnTimer = [this](Timer& timer) {
            timer.SetEnabled(false);
            if (pending_change_) Change(pending_change_);
        };
    }
    pending_change_ = node;
    change_timer_->SetInterval(change_delay_);
    change_timer_->SetEnabled(true);
    change_timer_->Restart();
}

void TreeView::Change(TreeNode node) {
    if (OnChange) OnChange(*this, node);
}

}  // namespace census
