// Drag and drop in the folder tree: a folder dragged out, files and folders
// dropped onto a folder node, and the scrolling and opening of folders while
// the pointer hovers.
//
// The platform calls the drop target and the drop source on this thread,
// inside DoDragDrop's modal loop for a drag that starts here. The drop
// target is asked for an effect on every pointer move (and periodically
// while the pointer rests), which is what drives the auto-scroll and the
// hover expansion.
#include "shell/tree/shell_tree.h"

#include "runtime/application.h"
#include "runtime/path_names.h"
#include "runtime/wait_cursor.h"
#include "shell/namespace/com_object.h"
#include "shell/namespace/shell_namespace.h"
#include "shell/transfer/file_operations.h"
#include "shell/transfer/tree_data_object.h"
#include "shell/tree/shell_tree_messages.h"

namespace census {
namespace {

constexpr DWORD kScrollInterval = 100;
// At 96 pixels per inch.
constexpr int kHorizontalScrollZone = 26;
constexpr int kVerticalScrollZone = 20;
constexpr DWORD kMouseButtons = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON;
// The drop menu's entries are the effects they choose; its cancel entry is
// none of them, so choosing it is no effect.
constexpr UINT kCancelDropCommand = 0x100;
static_assert((kCancelDropCommand & kAllDropEffects) == 0);

struct HoverSettings {
    UINT time = 400, width = 2, height = 2;
};

// The system's mouse-hover settings, read once; a failed query keeps the default.
const HoverSettings& Hover() {
    static const HoverSettings settings = [] {
        HoverSettings s;
        UINT value = 0;
        if (::SystemParametersInfoW(SPI_GETMOUSEHOVERTIME, 0, &value, 0)) s.time = value;
        if (::SystemParametersInfoW(SPI_GETMOUSEHOVERWIDTH, 0, &value, 0)) s.width = value;
        if (::SystemParametersInfoW(SPI_GETMOUSEHOVERHEIGHT, 0, &value, 0)) s.height = value;
        return s;
    }();
    return settings;
}

class TreeDropSource : public ComObject<IDropSource> {
public:
    explicit TreeDropSource(DWORD button) : button_(button) {}

    HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
        if (escape || (keys & kMouseButtons & ~button_)) return DRAGDROP_S_CANCEL;
        if (keys & button_) return S_OK;
        return DRAGDROP_S_DROP;
    }
    HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

private:
    DWORD button_;
};

// Forwards the platform's calls to the tree; exceptions end at this boundary.
class TreeDropTarget : public ComObject<IDropTarget> {
public:
    explicit TreeDropTarget(ShellTree& tree) : tree_(&tree) {}
    void Detach() { tree_ = nullptr; }

    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override {
        return Guard(effect, [&] { return tree_->DragEnter(data, keys, point, effect); });
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL point, DWORD* effect) override {
        return Guard(effect, [&] { return tree_->DragOver(keys, point, effect); });
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override {
        return Guard(nullptr, [&] { return tree_->DragLeave(); });
    }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) override {
        return Guard(effect, [&] { return tree_->Drop(data, keys, point, effect); });
    }

private:
    template <typename F>
    HRESULT Guard(DWORD* effect, F call) {
        if (!tree_) {
            if (effect) *effect = DROPEFFECT_NONE;
            return S_OK;
        }
        try {
            return call();
        } catch (...) {
            if (effect) *effect = DROPEFFECT_NONE;
            Application::Instance().HandleException(std::current_exception());
            return HresultOfCurrentException();
        }
    }

    ShellTree* tree_;
};

// The right-button drop's menu for this program's own transfers; the chosen effect, none when dismissed.
DWORD ChooseDropEffect(HWND owner, POINTL point, DWORD allowed, DWORD preferred) {
    UniqueMenu menu(::CreatePopupMenu());
    if (!menu) return DROPEFFECT_NONE;
    const std::pair<DWORD, const wchar_t*> entries[] = {
        {DROPEFFECT_COPY, L"Копировать"}, {DROPEFFECT_MOVE, L"Переместить"}, {DROPEFFECT_LINK, L"Создать ярлык"}};
    for (const auto& [effect, text] : entries) {
        ::AppendMenuW(menu.get(), MF_STRING | ((allowed & effect) ? 0 : MF_GRAYED), effect, text);
    }
    ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu.get(), MF_STRING, kCancelDropCommand, L"Отмена");
    if (preferred) ::SetMenuDefaultItem(menu.get(), preferred, FALSE);
    const UINT chosen = ::TrackPopupMenuEx(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN, point.x,
                                           point.y, owner, nullptr);
    return (chosen & kAllDropEffects) == chosen ? chosen : DROPEFFECT_NONE;
}

}  // namespace

// --- registration ---------------------------------------------------------------------

void ShellTree::RegisterDropTarget() {
    if (drop_target_ || !HasOption(stoOleDrop) || !HandleAllocated()) return;
    ComPtr<IDropTarget> target = MakeComObject<TreeDropTarget, IDropTarget>(*this);
    if (SUCCEEDED(::RegisterDragDrop(Handle(), target.get()))) drop_target_ = std::move(target);
}

void ShellTree::DropOptionChanged() {
    if (!HandleAllocated()) return;
    if (HasOption(stoOleDrop)) {
        RegisterDropTarget();
    } else {
        RevokeDropTarget();
    }
}

void ShellTree::RevokeDropTarget() {
    if (!drop_target_) return;
    if (HandleAllocated()) ::RevokeDragDrop(Handle());
    static_cast<TreeDropTarget*>(drop_target_.get())->Detach();
    drop_target_.reset();
    drag_.data.reset();
}

// --- dragging out -----------------------------------------------------------------

ComPtr<IDropSource> ShellTree::CreateDropSource(MouseButton button) {
    const DWORD key = button == MouseButton::Right ? MK_RBUTTON : button == MouseButton::Middle ? MK_MBUTTON : MK_LBUTTON;
    return MakeComObject<TreeDropSource, IDropSource>(key);
}

ComPtr<IDataObject> ShellTree::NodeDataObject(TreeNode node, DWORD preferred_effect) {
    ShellTreeData* data = ShellData(node);
    TreeNode parent = node ? ParentNode(node) : nullptr;
    ShellTreeData* parent_data = ShellData(parent);
    if (!data || !parent_data || !data->ParentShellFolder()) return {};
    PCUITEMID_CHILD item = data->RelIdList();
    SFGAOF attributes = SFGAO_FILESYSTEM;
    std::wstring path;
    if (SUCCEEDED(data->ParentShellFolder()->GetAttributesOf(1, &item, &attributes)) &&
        (attributes & SFGAO_FILESYSTEM)) {
        path = ItemDisplayName(data->ParentShellFolder(), item, DisplayNameKind::ForParsing);
    }
    return MakeTreeDataObject(parent_data->AbsoluteIdList(), item, path, preferred_effect);
}

// Some platform trees mark the node they reported as dragged once the
// notification returns; a drag loop run inside it would leave that mark on
// a node the refresh has deleted.
void ShellTree::BeginDrag(TreeNode node, MouseButton button) {
    if (HasOption(stoOleDrag) && node)
        ::PostMessageW(Handle(), kDeferredDragMessage, static_cast<WPARAM>(button), reinterpret_cast<LPARAM>(node));
}

void ShellTree::RunDrag(TreeNode node, MouseButton button) {
    if (!HasOption(stoOleDrag) || refresh_gate_.Busy() || !ShellData(node)) return;
    ComPtr<IDataObject> data = NodeDataObject(node);
    if (!data) return;  // never the root
    PCUITEMID_CHILD item = ShellData(node)->RelIdList();
    SFGAOF allowed = kAllDropEffects;
    if (FAILED(ShellData(node)->ParentShellFolder()->GetAttributesOf(1, &item, &allowed))) allowed = kAllDropEffects;
    allowed &= kAllDropEffects;

    drag_.dragged = node;
    SetDropHighlight(node);
    RefreshGate::Hold hold(refresh_gate_);
    HRESULT hr;
    {
        // The highlight goes before the refresh deletes the node that carries it.
        ScopeExit end([this] {
            drag_.dragged = nullptr;
            SetDropHighlight(nullptr);
        });
        ComPtr<IDropSource> source = CreateDropSource(button);
        DWORD effect = DROPEFFECT_NONE;
        hr = ::DoDragDrop(data.get(), source.get(), allowed, &effect);
    }
    EndHold(hold, hr == DRAGDROP_S_DROP);
}

// --- dropping onto the tree -------------------------------------------------------

ComPtr<IDropTarget> ShellTree::NodeDropTarget(TreeNode node, HWND owner) {
    ShellTreeData* data = ShellData(node);
    if (!data) return {};
    ComPtr<IDropTarget> target;
    if (ParentNode(node)) {
        PCUITEMID_CHILD item = data->RelIdList();
        IShellFolder* parent = data->ParentShellFolder();
        if (parent) parent->GetUIObjectOf(owner, 1, &item, IID_IDropTarget, nullptr, target.put_void());
        return target;
    }
    ComPtr<IShellFolder> parent;
    UniqueIdList parent_list, item;
    if (FAILED(SplitParentAndItem(data->AbsoluteIdList(), parent, parent_list, item))) return {};
    PCUITEMID_CHILD child = item.get();
    parent->GetUIObjectOf(nullptr, 1, &child, IID_IDropTarget, nullptr, target.put_void());
    return target;
}

std::wstring ShellTree::OwnDropFolder(TreeNode node) {
    if (ShellTransfersFiles()) return {};
    ShellTreeData* data = ShellData(node);
    return data ? data->Path() : std::wstring();
}

const ShellTree::DragState::Decision& ShellTree::OwnDropDecision(const std::wstring& folder, DWORD keys,
                                                                  DWORD allowed) {
    const DWORD modifiers = keys & (MK_CONTROL | MK_SHIFT);
    const auto key = std::make_pair(folder, modifiers | (allowed << 8));
    auto found = drag_.decisions.find(key);
    if (found == drag_.decisions.end()) found = drag_.decisions.emplace(key, DecideOwnDrop(folder, keys, allowed)).first;
    return found->second;
}

// A drop refused only because a name is taken there is still taken, so the
// user learns why; any other refusal shows as "no drop here".
ShellTree::DragState::Decision ShellTree::DecideOwnDrop(const std::wstring& folder, DWORD keys, DWORD allowed) {
    DragState::Decision decision;
    if (drag_.paths.empty()) return decision;
    const DWORD effect = DefaultDropEffect(keys, allowed & drag_.allowed, SameDrive(drag_.paths.front(), folder));
    if (effect == DROPEFFECT_NONE) return decision;
    decision.refusal = Files().Refusal(drag_.paths, folder, effect);
    if (decision.refusal.empty() || OnlyNamesTaken(folder, effect)) decision.effect = effect;
    return decision;
}

// Some dragged item's name is taken in folder by another item than itself.
bool ShellTree::OnlyNamesTaken(const std::wstring& folder, DWORD effect) const {
    for (const std::wstring& path : drag_.paths) {
        const std::wstring parent = ParentPart(path);
        if (parent.empty()) continue;
        if (SamePath(parent, folder)) continue;
        const std::wstring target = JoinPath(folder, LastPart(path)) + (effect == DROPEFFECT_LINK ? L".lnk" : L"");
        if (::GetFileAttributesW(ExtendedPath(target).c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    }
    return false;
}

// The shell's answer for node, or this program's own where it does the transfer.
HRESULT ShellTree::AskNodeTarget(TreeNode node, DWORD keys, POINTL point, DWORD* effect, bool over) {
    if (const std::wstring folder = OwnDropFolder(node); !folder.empty()) {
        *effect = OwnDropDecision(folder, keys, *effect).effect;
        return S_OK;
    }
    ComPtr<IDropTarget> target = NodeDropTarget(node, nullptr);
    if (!target || !drag_.data) {
        *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    const DWORD offered = *effect;
    HRESULT hr = target->DragEnter(drag_.data.get(), keys, point, effect);
    if (over) {
        *effect = offered;
        hr = target->DragOver(keys, point, effect);
    }
    target->DragLeave();
    return hr;
}

void ShellTree::ShowDropHighlight(TreeNode node) {
    if (DropHighlight() == node) return;
    SetDropHighlight(node);
    Update();
}

HRESULT ShellTree::DragEnter(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) {
    if (!effect) return E_INVALIDARG;
    const DWORD now = ::GetTickCount();
    drag_.data = ComPtr<IDataObject>::AddRefOf(data);
    drag_.enter_keys = keys;
    drag_.paths = ShellTransfersFiles() ? std::vector<std::wstring>{} : ReadDroppedPaths(data);
    drag_.allowed = CommonDropAttributes(data);
    drag_.decisions.clear();
    drag_.last_scroll = now;
    drag_.hover_point = ScreenToClient({point.x, point.y});
    drag_.hover_start = now;
    TreeNode node = NodeAt(drag_.hover_point.x, drag_.hover_point.y);
    if (!ShellData(node) || !ParentNode(node)) {
        ShowDropHighlight(drag_.dragged);
        *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    ShowDropHighlight(node);
    return AskNodeTarget(node, keys, point, effect, false);
}

HRESULT ShellTree::DragOver(DWORD keys, POINTL point, DWORD* effect) {
    if (!effect) return E_INVALIDARG;
    const POINT client = ScreenToClient({point.x, point.y});
    TreeNode node = NodeAt(client.x, client.y);
    HRESULT hr = S_OK;
    if (ShellData(node)) {
        ShowDropHighlight(node);
        hr = AskNodeTarget(node, keys, point, effect, true);
    } else {
        ShowDropHighlight(drag_.dragged);
        *effect = DROPEFFECT_NONE;
    }
    DragAutoScroll(client);
    *effect |= DROPEFFECT_SCROLL;
    return hr;
}

HRESULT ShellTree::DragLeave() {
    drag_.data.reset();
    drag_.paths.clear();
    drag_.decisions.clear();
    ShowDropHighlight(nullptr);
    return S_OK;
}

HRESULT ShellTree::Drop(IDataObject* data, DWORD keys, POINTL point, DWORD* effect) {
    if (!effect) return E_INVALIDARG;
    ScopeExit end([this] { DragLeave(); });
    const POINT client = ScreenToClient({point.x, point.y});
    TreeNode node = NodeAt(client.x, client.y);
    if (!ShellData(node)) {
        *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    keys |= drag_.enter_keys & (MK_LBUTTON | MK_RBUTTON);
    if (const std::wstring folder = OwnDropFolder(node); !folder.empty()) {
        if (drag_.paths.empty()) {  // a drop without an enter before it
            drag_.paths = ReadDroppedPaths(data);
            drag_.allowed = CommonDropAttributes(data);
        }
        return OwnDrop(folder, keys, point, effect);  // the transfer refreshes the tree when it ends
    }
    ComPtr<IDropTarget> target = NodeDropTarget(node, OwnerWindow());
    if (!target) {
        *effect = DROPEFFECT_NONE;
        return S_OK;
    }
    DWORD ignored = *effect;
    target->DragEnter(data, keys, point, &ignored);
    ignored = *effect;
    target->DragOver(keys, point, &ignored);
    *effect &= CommonDropAttributes(data);
    HRESULT hr;
    {
        WaitCursor wait;
        hr = target->Drop(data, keys, point, effect);
    }
    // The highlight goes before the refresh deletes the node that carries it.
    end.dismiss();
    DragLeave();
    RefreshAfterOperation();
    return hr;
}

// The list goes to the worker and the drop returns at once, so the program
// the items came from is not held in its drag loop. A move answers "none":
// the transfer is still running, and a source that removes its items after
// a move it was told of would remove what is not yet carried.
HRESULT ShellTree::OwnDrop(const std::wstring& folder, DWORD keys, POINTL point, DWORD* effect) {
    const DragState::Decision decision = OwnDropDecision(folder, keys, *effect);
    DWORD chosen = decision.effect;
    if (keys & MK_RBUTTON) chosen = ChooseDropEffect(Handle(), point, *effect & drag_.allowed, chosen);
    *effect = DROPEFFECT_NONE;
    if (chosen == DROPEFFECT_NONE || drag_.paths.empty()) return S_OK;
    std::wstring refusal = chosen == decision.effect ? decision.refusal : Files().Refusal(drag_.paths, folder, chosen);
    if (!refusal.empty()) {
        deferred_refusals_.push_back(std::move(refusal));
        ::PostMessageW(Handle(), kDeferredRefusalMessage, 0, 0);
        return S_OK;
    }
    StartTransfer({drag_.paths, folder, chosen});
    *effect = chosen == DROPEFFECT_MOVE ? DROPEFFECT_NONE : chosen;
    return S_OK;
}

// --- scrolling and hovering -------------------------------------------------------

void ShellTree::DragAutoScroll(POINT point) {
    const DWORD now = ::GetTickCount();
    if (now - drag_.last_scroll > kScrollInterval) {
        const RECT client = ClientRect();
        auto scroll = [&](int bar, UINT message, WPARAM code) {
            SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE};
            if (!::GetScrollInfo(Handle(), bar, &info) || info.nMax - info.nMin + 1 <= static_cast<int>(info.nPage))
                return;
            ::SendMessageW(Handle(), message, code, 0);
            drag_.hover_start = now;
        };
        const int zone_x = Scaled(kHorizontalScrollZone), zone_y = Scaled(kVerticalScrollZone);
        if (point.x < zone_x) scroll(SB_HORZ, WM_HSCROLL, SB_LINELEFT);
        else if (point.x > client.right - zone_x) scroll(SB_HORZ, WM_HSCROLL, SB_LINERIGHT);
        if (point.y < zone_y) scroll(SB_VERT, WM_VSCROLL, SB_LINEUP);
        else if (point.y > client.bottom - zone_y) scroll(SB_VERT, WM_VSCROLL, SB_LINEDOWN);
        drag_.last_scroll = now;
    }
    const HoverSettings& hover = Hover();
    const int w = static_cast<int>(hover.width), h = static_cast<int>(hover.height);
    const RECT zone{drag_.hover_point.x - w / 2, drag_.hover_point.y - h / 2, drag_.hover_point.x + w,
                    drag_.hover_point.y + h};
    if (!::PtInRect(&zone, point)) {
        drag_.hover_point = point;
        drag_.hover_start = now;
        return;
    }
    if (now - drag_.hover_start <= hover.time) return;
    HoverExpand(NodeAt(drag_.hover_point.x, drag_.hover_point.y));
    drag_.hover_point = point;
    drag_.hover_start = now;
}

void ShellTree::HoverExpand(TreeNode node) {
    if (!node || IsExpanded(node) || !HasChildren(node)) return;
    ++no_ui_;  // no dialogs while a drag is in progress
    ScopeExit done([this] { --no_ui_; });
    Expand(node);
    if (!FirstChild(node)) SetHasChildren(node, false);
}

}  // namespace census
