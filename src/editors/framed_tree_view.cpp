#include "editors/framed_tree_view.h"

#include "runtime/errors.h"
#include "runtime/path_names.h"

#include <uxtheme.h>
#include <windowsx.h>

#include <cwctype>
#include <utility>

namespace census {
namespace {

constexpr std::pair<const wchar_t*, FrameStyle> kFrameStyleNames[] = {
    {L"fsNone", fsNone},       {L"fsFlat", fsFlat},         {L"fsGroove", fsGroove},     {L"fsBump", fsBump},
    {L"fsLowered", fsLowered}, {L"fsButtonDown", fsButtonDown}, {L"fsRaised", fsRaised}, {L"fsButtonUp", fsButtonUp},
    {L"fsStatus", fsStatus},   {L"fsPopup", fsPopup},       {L"fsFlatBold", fsFlatBold},
};

[[noreturn]] void InvalidValue(const std::wstring& name, const std::wstring& value) {
    throw Exception(L"Invalid property value \"" + value + L"\" for " + name);
}

bool ReadBoolean(const std::wstring& name, const std::wstring& value) {
    if (SameName(value, L"True")) return true;
    if (SameName(value, L"False")) return false;
    InvalidValue(name, value);
}

FrameStyle ReadFrameStyle(const std::wstring& name, const std::wstring& value) {
    for (const auto& [text, style] : kFrameStyleNames)
        if (SameName(value, text)) return style;
    InvalidValue(name, value);
}

constexpr WORD kAppsKey = VK_APPS;  // 0x5D
constexpr WORD kShiftF10 = VK_F10;  // 0x79 with Shift

}  // namespace

FramedTreeView::FramedTreeView() {
    SetTabStop(true);
    SetParentColor(false);
    SetColor(clWindow);
}

FramedTreeView::~FramedTreeView() {
    DestroyHandle();
}

// --- frame ------------------------------------------------------------------------

void FramedTreeView::SetFrameVisible(bool value) {
    if (frame_visible_ == value) return;
    frame_visible_ = value;
    RecreateWnd();
}

void FramedTreeView::SetFrameHotTrack(bool value) {
    if (frame_hot_track_ == value) return;
    frame_hot_track_ = value;
    if (value) {
        if (!Loading()) frame_sides_ = sdAll;
        SetFrameVisible(true);
    }
    RepaintFrame();
    Invalidate();
}

void FramedTreeView::SetFramingPreference(FramingPreference value) {
    if (framing_preference_ == value) return;
    framing_preference_ = value;
    if (value == FramingPreference::CustomFraming) RepaintFrame();
}

bool FramedTreeView::ThemedBorderInForce() const {
    return framing_preference_ == FramingPreference::XPThemes && ::IsThemeActive();
}

void FramedTreeView::RepaintFrame() {
    if (!HandleAllocated()) return;
    RECT whole{0, 0, Width(), Height()};
    ::RedrawWindow(Handle(), &whole, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW | RDW_NOCHILDREN);
}

void FramedTreeView::PaintFrame(Canvas& canvas) {
    const bool hot = frame_hot_track_ && (Focused() || mouse_over_);
    PaintControlFrame(canvas, Width(), Height(), hot ? frame_hot_style_ : frame_style_, Color(),
                      hot ? frame_hot_color_ : frame_color_, frame_sides_, false);
}

void FramedTreeView::BoundsChanged() {
    TreeView::BoundsChanged();
    if (frame_visible_ && !ThemedBorderInForce()) RepaintFrame();
}

bool FramedTreeView::ReadLegacyProperty(const std::wstring& name, const std::wstring& value) {
    if (SameName(name, L"FrameFlat")) {
        const bool flat = ReadBoolean(name, value);
        SetFrameHotTrack(flat);
        if (flat) {
            SetFrameStyle(fsStatus);
            SetFrameHotStyle(fsLowered);
        }
        return true;
    }
    if (SameName(name, L"FrameFocusStyle")) {
        SetFrameHotStyle(ReadFrameStyle(name, value));
        return true;
    }
    return SameName(name, L"FrameFlatStyle");
}

// --- colours ----------------------------------------------------------------------

void FramedTreeView::ColorChanged() {
    TreeView::ColorChanged();
    if (updating_color_) return;
    if (focus_color_ == normal_color_) focus_color_ = Color();
    normal_color_ = Color();
    if (frame_visible_) RepaintFrame();
}

void FramedTreeView::UpdateColors() {
    if (Loading()) return;
    const TColor target = !Enabled() ? disabled_color_ : Focused() ? focus_color_ : normal_color_;
    updating_color_ = true;
    ScopeExit done([this] { updating_color_ = false; });
    SetColor(target);
}

void FramedTreeView::SetFocusColor(TColor value) {
    if (focus_color_ == value) return;
    focus_color_ = value;
    if (Focused()) UpdateColors();
}

void FramedTreeView::SetDisabledColor(TColor value) {
    if (disabled_color_ == value) return;
    disabled_color_ = value;
    if (!Enabled()) UpdateColors();
}

void FramedTreeView::UpdateFrameState(bool mouse_changed, bool mouse_over) {
    if (mouse_changed) mouse_over_ = mouse_over;
    if (frame_hot_track_) RepaintFrame();
    UpdateColors();
}

void FramedTreeView::Loaded() {
    TreeView::Loaded();
    UpdateColors();
    UpdateFrameState(false, false);
}

void FramedTreeView::EnabledChanged() {
    TreeView::EnabledChanged();
    UpdateColors();
}

void FramedTreeView::DoEnter() {
    UpdateFrameState(false, false);
    TreeView::DoEnter();
}

void FramedTreeView::DoExit() {
    UpdateFrameState(false, false);
    TreeView::DoExit();
}

void FramedTreeView::MouseEnter() {
    UpdateFrameState(true, true);
    TreeView::MouseEnter();
}

void FramedTreeView::MouseLeave() {
    UpdateFrameState(true, false);
    TreeView::MouseLeave();
}

// --- context menus ----------------------------------------------------------------

TreeNode FramedTreeView::Selected() {
    if (!HandleAllocated()) return nullptr;
    if (right_click_select_ && right_click_node_) return right_click_node_;
    return NativeSelection();
}

void FramedTreeView::NodeContextMenu(TreeNode node, POINT& point, HMENU& menu) {
    if (OnNodeContextMenu) OnNodeContextMenu(*this, node, point, menu);
}

void FramedTreeView::PopUp(HMENU menu, POINT client_point) {
    if (!menu) return;
    const POINT screen = ClientToScreen(client_point);
    ::TrackPopupMenuEx(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, Handle(), nullptr);
}

void FramedTreeView::ShowMenuFor(TreeNode node, POINT client_point) {
    HMENU menu = popup_menu_;
    NodeContextMenu(node, client_point, menu);
    if (menu != popup_menu_) menu_shown_ = true;
    PopUp(menu, client_point);
}

bool FramedTreeView::RightClicked() {
    POINT cursor{};
    ::GetCursorPos(&cursor);
    const POINT point = ScreenToClient(cursor);
    right_click_node_ = NodeAt(point.x, point.y);
    if (!right_click_node_) right_click_node_ = NativeSelection();
    if (right_click_node_) {
        ShowMenuFor(right_click_node_, point);
        right_click_node_ = nullptr;
        menu_shown_ = true;
    }
    return false;
}

void FramedTreeView::KeyDown(WORD& key, unsigned shift) {
    const bool apps = key == kAppsKey && (shift & (ssShift | ssCtrl | ssAlt)) == 0;
    const bool shift_f10 = key == kShiftF10 && (shift & (ssShift | ssCtrl | ssAlt)) == ssShift;
    if (!apps && !shift_f10) {
        TreeView::KeyDown(key, shift);
        return;
    }
    key = 0;
    if (TreeNode node = NativeSelection()) {
        const RECT r = NodeTextRect(node);
        ShowMenuFor(node, {(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    } else {
        PopUp(popup_menu_, {0, 0});
    }
}

// --- messages ---------------------------------------------------------------------

bool FramedTreeView::MouseWheel(int delta) {
    SCROLLINFO info{sizeof info, SIF_POS};
    if (!::GetScrollInfo(Handle(), SB_VERT, &info)) return true;
    UINT lines = 3;
    ::SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    const int steps = delta / WHEEL_DELTA;
    const int position = info.nPos - steps * static_cast<int>(lines);
    if (steps == 0 || position < 0) return true;
    ::SendMessageW(Handle(), WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, position), 0);
    ::SetScrollPos(Handle(), SB_VERT, position, TRUE);
    return true;
}

void FramedTreeView::PaintSelectionOutline() {
    if (HideSelection() || Focused()) return;
    TreeNode node = NativeSelection();
    if (!node) return;
    WindowDc dc(Handle());
    Canvas canvas(dc.get());
    canvas.SetPen(selection_pen_);
    canvas.SetBrushStyle(BrushStyle::Clear);
    canvas.Rectangle(NodeTextRect(node));
}

LRESULT FramedTreeView::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_NCPAINT: {
            const LRESULT r = DefaultHandler(msg, wp, lp);
            if (!frame_visible_ || ThemedBorderInForce()) return r;
            WindowDc dc(Handle(), true);
            Canvas canvas(dc.get());
            PaintFrame(canvas);
            return 0;
        }
        case WM_PAINT: {
            const LRESULT r = TreeView::WndProc(msg, wp, lp);
            PaintSelectionOutline();
            return r;
        }
        case WM_MOUSEWHEEL:
            MouseWheel(GET_WHEEL_DELTA_WPARAM(wp));
            return 0;
        case WM_CONTEXTMENU: {
            // After a right click whose menu was shown already, the platform's
            // own context-menu message must not pop up the default menu too.
            if (menu_shown_ || NativeSelection()) {
                menu_shown_ = false;
                return 0;
            }
            if (GET_X_LPARAM(lp) == -1 && GET_Y_LPARAM(lp) == -1) {
                PopUp(popup_menu_, {0, 0});
            } else {
                POINT point = ScreenToClient({GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
                ShowMenuFor(nullptr, point);
            }
            return 0;
        }
        case WM_SYSCOLORCHANGE:
            if (IsSystemColor(Color())) ColorChanged();
            break;
        default:
            break;
    }
    return TreeView::WndProc(msg, wp, lp);
}

}  // namespace census
