// The platform's tree control (SysTreeView32) as a control, with its nodes
// addressed by HTREEITEM.
//
// Notifications reach the control reflected from its parent (CN_NOTIFY) and
// go to virtual handlers, which derived trees override; each handler's base
// version raises the matching event. Every node carries one LPARAM of data
// that the tree does not interpret.
#pragma once

#include "runtime/control.h"
#include "runtime/timer.h"

#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>

namespace census {

using TreeNode = HTREEITEM;

class TreeView : public Control {
public:
    TreeView();
    ~TreeView() override;

    // --- Styles (applied at window creation; changing one re-creates the window).
    bool ShowRoot() const { return show_root_; }
    void SetShowRoot(bool v) { SetStyleFlag(show_root_, v); }
    void SetShowButtons(bool v) { SetStyleFlag(show_buttons_, v); }
    void SetShowLines(bool v) { SetStyleFlag(show_lines_, v); }
    bool HideSelection() const { return hide_selection_; }
    void SetHideSelection(bool v) { SetStyleFlag(hide_selection_, v); }
    bool ToolTips() const { return tool_tips_; }
    void SetToolTips(bool v) { SetStyleFlag(tool_tips_, v); }
    bool AutoExpand() const { return auto_expand_; }
    virtual void SetAutoExpand(bool v) { SetStyleFlag(auto_expand_, v); }
    void SetHotTrack(bool v) { SetStyleFlag(hot_track_, v); }
    void SetRowSelect(bool v) { SetStyleFlag(row_select_, v); }
    // Read-only trees do not edit their nodes' text in place.
    bool ReadOnly() const { return read_only_; }
    void SetReadOnly(bool v) { SetStyleFlag(read_only_, v); }
    int Indent() const { return indent_; }
    void SetIndent(int pixels);
    // Milliseconds between a selection change and its OnChange; 0: at once.
    unsigned ChangeDelay() const { return change_delay_; }
    void SetChangeDelay(unsigned ms) { change_delay_ = ms; }
    // Not owned: the tree never destroys it.
    void SetImageList(HIMAGELIST images);
    HIMAGELIST ImageList() const { return images_; }

    // --- Nodes (need the window).
    TreeNode AddChild(TreeNode parent, const std::wstring& text, LPARAM data);
    // The same with the expansion button and the dimmed look given at once
    // (one message per node, where setting them afterwards costs two more),
    // placed after `after` (TVI_FIRST, TVI_LAST or a sibling).
    TreeNode AddChild(TreeNode parent, const std::wstring& text, LPARAM data, bool has_children, bool cut,
                      TreeNode after = TVI_LAST);
    void DeleteNode(TreeNode node);
    void DeleteAll();
    int NodeCount();
    TreeNode FirstRoot();
    TreeNode FirstChild(TreeNode node);
    TreeNode NextSibling(TreeNode node);
    TreeNode ParentNode(TreeNode node);
    std::wstring NodeText(TreeNode node);
    void SetNodeText(TreeNode node, const std::wstring& text);
    bool HasChildren(TreeNode node);
    void SetHasChildren(TreeNode node, bool value);
    void SetNodeImages(TreeNode node, int image, int selected);
    bool NodeCut(TreeNode node);
    bool IsExpanded(TreeNode node);
    void Expand(TreeNode node);
    void MakeVisible(TreeNode node);
    RECT NodeTextRect(TreeNode node);
    // Where the control draws the node's image (client coordinates); empty
    // when the node shows none or is not in view.
    RECT NodeImageRect(TreeNode node);
    TreeNode NodeAt(int x, int y);
    // Sorts node's children (the top level for null) with compare(a data, b data).
    void CustomSort(TreeNode node, const std::function<int(LPARAM, LPARAM)>& compare);

    // The platform tree's selection.
    TreeNode NativeSelection();
    void Select(TreeNode node);
    // The node shown as the target of a drag (none for null).
    TreeNode DropHighlight();
    void SetDropHighlight(TreeNode node);

    // In-place editing of a node's text.
    bool IsEditing();
    void EditLabel(TreeNode node);
    HWND EditControl();

    // Redrawing suspended while above 0.
    void BeginUpdate();
    void EndUpdate();

    std::function<void(TreeView& sender, TreeNode node)> OnChange;
    std::function<void(TreeView& sender, TreeNode node, bool& allow)> OnExpanding;

protected:
    void FillCreateParams(CreateParams& params) override;
    void WindowCreated() override;
    void ColorChanged() override;
    void DpiChanged(int old_dpi) override;
    bool Reflected(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

    // TVN_ITEMEXPANDING: false refuses the expansion.
    virtual bool CanExpand(TreeNode node);
    // TVN_SELCHANGED.
    virtual void SelectionChanged(TreeNode node);
    // Raises OnChange (after ChangeDelay when one is set).
    void ReportChange(TreeNode node);
    virtual void Change(TreeNode node);
    virtual void NodeDeleted(TreeNode node, LPARAM data) {}
    virtual void GetDisplayInfo(NMTVDISPINFOW& info) {}
    // NM_CUSTOMDRAW: the answer to the drawing stage; CDRF_DODEFAULT by default.
    virtual LRESULT CustomDraw(NMTVCUSTOMDRAW& draw) { return CDRF_DODEFAULT; }
    // NM_RCLICK: true when handled (the platform's own handling is skipped).
    virtual bool RightClicked() { return false; }
    // TVN_BEGINDRAG / TVN_BEGINRDRAG.
    virtual void BeginDrag(TreeNode node, MouseButton button) {}
    // TVN_BEGINLABELEDIT: false refuses the edit.
    virtual bool CanEditLabel(TreeNode node) { return true; }
    // TVN_ENDLABELEDIT; text is null when the edit was cancelled. True keeps the new text.
    virtual bool LabelEdited(TreeNode node, const wchar_t* text) { return text != nullptr; }

    void SetStyleFlag(bool& flag, bool value);

private:
    HWND Window();
    bool show_root_ = true;
    bool show_buttons_ = true;
    bool show_lines_ = true;
    bool hide_selection_ = true;
    bool tool_tips_ = true;
    bool auto_expand_ = false;
    bool hot_track_ = false;
    bool row_select_ = false;
    bool read_only_ = false;
    int indent_ = 19;
    unsigned change_delay_ = 0;
    HIMAGELIST images_ = nullptr;
    int update_count_ = 0;
    std::unique_ptr<Timer> change_timer_;
    TreeNode pending_change_ = nullptr;
};

}  // namespace census
