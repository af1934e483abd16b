#include "shell/plain_folder_tree.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <cstring>

namespace census {

namespace {

UniqueCoTaskMem<ITEMIDLIST> Append(const ITEMIDLIST* parent, const ITEMIDLIST* child) {
    return UniqueCoTaskMem<ITEMIDLIST>(::ILCombine(parent, child));
}

std::wstring PathOf(const ITEMIDLIST* list) {
    wchar_t path[MAX_PATH] = L"";
    if (!::SHGetPathFromIDListW(list, path)) return {};
    std::wstring p = path;
    if (p.size() > 3 && p.back() == L'\\') p.pop_back();
    return p;
}

std::wstring DisplayName(IShellFolder* folder, const ITEMIDLIST* child) {
    STRRET sr{};
    if (FAILED(folder->GetDisplayNameOf(child, SHGDN_INFOLDER, &sr))) return {};
    wchar_t buf[MAX_PATH] = L"";
    ::StrRetToBufW(&sr, child, buf, MAX_PATH);
    return buf;
}

ComPtr<IShellFolder> BindFolder(const ITEMIDLIST* absolute) {
    ComPtr<IShellFolder> desktop;
    ::SHGetDesktopFolder(desktop.put());
    if (!desktop) return {};
    if (!absolute || absolute->mkid.cb == 0) return desktop;
    ComPtr<IShellFolder> folder;
    desktop->BindToObject(absolute, nullptr, IID_IShellFolder, folder.put_void());
    return folder;
}

}  // namespace

PlainFolderTree::PlainFolderTree() {
    SetTabStop(true);
    SetColor(clWindow);
}

PlainFolderTree::~PlainFolderTree() { DestroyHandle(); }

void PlainFolderTree::FillCreateParams(CreateParams& params) {
    Control::FillCreateParams(params);
    params.class_name = WC_TREEVIEWW;
    params.style |= TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS;
    params.ex_style |= WS_EX_CLIENTEDGE;
}

void PlainFolderTree::WindowCreated() {
    nodes_.clear();
    filling_ = true;
    UniqueCoTaskMem<ITEMIDLIST> root(static_cast<ITEMIDLIST*>(::CoTaskMemAlloc(sizeof(USHORT))));
    root.get()->mkid.cb = 0;
    ComPtr<IShellFolder> desktop = BindFolder(nullptr);
    STRRET sr{};
    std::wstring name = L"Desktop";
    if (desktop && SUCCEEDED(desktop->GetDisplayNameOf(root.get(), SHGDN_INFOLDER, &sr))) {
        wchar_t buf[MAX_PATH] = L"";
        ::StrRetToBufW(&sr, root.get(), buf, MAX_PATH);
        name = buf;
    }
    HTREEITEM item = AddNode(TVI_ROOT, std::move(root), name, true);
    TreeView_SelectItem(Handle(), item);
    TreeView_Expand(Handle(), item, TVE_EXPAND);
    filling_ = false;
}

HTREEITEM PlainFolderTree::AddNode(HTREEITEM parent, UniqueCoTaskMem<ITEMIDLIST> absolute, const std::wstring& text,
                                   bool has_children) {
    nodes_.push_back(Node{std::move(absolute)});
    TVINSERTSTRUCTW ins{};
    ins.hParent = parent;
    ins.hInsertAfter = TVI_LAST;
    ins.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN;
    ins.item.pszText = const_cast<wchar_t*>(text.c_str());
    ins.item.lParam = static_cast<LPARAM>(nodes_.size() - 1);
    ins.item.cChildren = has_children ? 1 : 0;
    return TreeView_InsertItem(Handle(), &ins);
}

const ITEMIDLIST* PlainFolderTree::NodeList(HTREEITEM item) {
    TVITEMW tvi{};
    tvi.mask = TVIF_PARAM;
    tvi.hItem = item;
    if (!item || !TreeView_GetItem(Handle(), &tvi)) return nullptr;
    size_t index = static_cast<size_t>(tvi.lParam);
    return index < nodes_.size() ? nodes_[index].absolute.get() : nullptr;
}

void PlainFolderTree::FillChildren(HTREEITEM item) {
    if (TreeView_GetChild(Handle(), item)) return;
    const ITEMIDLIST* parent_list = NodeList(item);
    ComPtr<IShellFolder> folder = BindFolder(parent_list);
    ComPtr<IEnumIDList> items;
    if (folder) folder->EnumObjects(Handle(), SHCONTF_FOLDERS, items.put());
    int added = 0;
    if (items) {
        UniqueCoTaskMem<ITEMIDLIST> child;
        while (items->Next(1, child.put(), nullptr) == S_OK) {
            SFGAOF attrs = SFGAO_FOLDER | SFGAO_HASSUBFOLDER | SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR;
            const ITEMIDLIST* c = child.get();
            folder->GetAttributesOf(1, &c, &attrs);
            if (!(attrs & SFGAO_FOLDER)) continue;
            // Only what leads to the file system: a census needs a path.
            if (!(attrs & (SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR))) continue;
            AddNode(item, Append(parent_list, c), DisplayName(folder.get(), c), (attrs & SFGAO_HASSUBFOLDER) != 0);
            ++added;
        }
    }
    if (added == 0) {
        TVITEMW tvi{};
        tvi.mask = TVIF_CHILDREN;
        tvi.hItem = item;
        tvi.cChildren = 0;
        TreeView_SetItem(Handle(), &tvi);
    }
}

std::wstring PlainFolderTree::SelectedFolderPath() {
    if (!HandleAllocated()) return {};
    HTREEITEM sel = TreeView_GetSelection(Handle());
    if (!sel) return {};
    return PathOf(NodeList(sel));
}

bool PlainFolderTree::SelectPath(const std::wstring& path) {
    std::wstring want = path;
    if (want.size() > 3 && want.back() == L'\\') want.pop_back();
    // True when the node's folder is the wanted one or one of its ancestors.
    auto leads = [&](HTREEITEM node) {
        std::wstring p = PathOf(NodeList(node));
        if (p.empty()) return false;
        if (_wcsicmp(p.c_str(), want.c_str()) == 0) return true;
        if (p.back() != L'\\') p += L'\\';
        return _wcsnicmp(p.c_str(), want.c_str(), p.size()) == 0;
    };
    auto find_child = [&](HTREEITEM parent) -> HTREEITEM {
        FillChildren(parent);
        for (HTREEITEM c = TreeView_GetChild(Handle(), parent); c; c = TreeView_GetNextSibling(Handle(), c))
            if (leads(c)) return c;
        return nullptr;
    };
    HTREEITEM item = TreeView_GetRoot(Handle());
    for (int guard = 0; item && guard < 256; ++guard) {
        if (_wcsicmp(PathOf(NodeList(item)).c_str(), want.c_str()) == 0) {
            TreeView_SelectItem(Handle(), item);
            return true;
        }
        HTREEITEM next = find_child(item);
        // The path may sit below a virtual folder (the computer): look one level into each.
        for (HTREEITEM c = TreeView_GetChild(Handle(), item); c && !next; c = TreeView_GetNextSibling(Handle(), c))
            if (PathOf(NodeList(c)).empty()) next = find_child(c);
        if (next) TreeView_Expand(Handle(), TreeView_GetParent(Handle(), next), TVE_EXPAND);
        item = next;
    }
    return false;
}

bool PlainFolderTree::Reflected(UINT msg, WPARAM, LPARAM lp, LRESULT& result) {
    if (msg != CN_NOTIFY) return false;
    auto* hdr = reinterpret_cast<NMHDR*>(lp);
    switch (hdr->code) {
        case TVN_ITEMEXPANDINGW: {
            auto* nm = reinterpret_cast<NMTREEVIEWW*>(lp);
            if (nm->action & TVE_EXPAND) FillChildren(nm->itemNew.hItem);
            result = FALSE;
            return true;
        }
        case TVN_SELCHANGEDW:
            if (!filling_ && !Loading() && OnChange) OnChange(*this, reinterpret_cast<NMTREEVIEWW*>(lp)->itemNew.hItem);
            result = 0;
            return true;
        default:
            return false;
    }
}

}  // namespace census
