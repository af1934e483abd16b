#include "shell/transfer/tree_data_object.h"

#include "shell/namespace/com_object.h"
#include "shell/namespace/id_list_bytes.h"
#include "shell/namespace/shell_namespace.h"

#include <cstring>
#include <memory>

namespace census {
namespace {

struct OfferedBlock {
    FORMATETC format;
    dropblocks::Bytes bytes;
};
using OfferedBlocks = std::vector<OfferedBlock>;

FORMATETC GlobalFormat(CLIPFORMAT format) {
    return {format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

dropblocks::Bytes ListBytes(PCUIDLIST_RELATIVE list) {
    UniqueIdList copy = CopyIdList(list);  // null reads as the empty list
    const auto* p = reinterpret_cast<const std::uint8_t*>(copy.get());
    return dropblocks::Bytes(p, p + IdListSize(copy.get()));
}

class FormatEnumerator : public ComObject<IEnumFORMATETC> {
public:
    FormatEnumerator(std::shared_ptr<const OfferedBlocks> blocks, std::size_t position)
        : blocks_(std::move(blocks)), position_(position) {}

    HRESULT STDMETHODCALLTYPE Next(ULONG wanted, FORMATETC* out, ULONG* fetched) override {
        if (!out) return E_POINTER;
        ULONG copied = 0;
        while (copied < wanted && position_ < blocks_->size()) out[copied++] = (*blocks_)[position_++].format;
        if (fetched) *fetched = copied;
        return copied == wanted ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        if (blocks_->size() - position_ < count) {
            position_ = blocks_->size();
            return S_FALSE;
        }
        position_ += count;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        position_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumFORMATETC** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        return ComBoundary([&] {
            *out = MakeComObject<FormatEnumerator, IEnumFORMATETC>(blocks_, position_).release();
            return S_OK;
        });
    }

private:
    std::shared_ptr<const OfferedBlocks> blocks_;
    std::size_t position_;
};

class TreeDataObject : public ComObject<IDataObject> {
public:
    explicit TreeDataObject(OfferedBlocks blocks) : blocks_(std::make_shared<const OfferedBlocks>(std::move(blocks))) {}

    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (!medium) return E_POINTER;
        const OfferedBlock* block = nullptr;
        const HRESULT hr = Find(format, block);
        if (FAILED(hr)) return hr;
        UniqueGlobal copy(::GlobalAlloc(GMEM_MOVEABLE, block->bytes.size()));
        if (!copy) return E_OUTOFMEMORY;
        {
            LockedGlobal locked(copy.get());
            if (!locked.mutable_data()) return E_OUTOFMEMORY;
            std::memcpy(locked.mutable_data(), block->bytes.data(), block->bytes.size());
        }
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = copy.release();
        medium->pUnkForRelease = nullptr;  // the caller owns the copy
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
        const OfferedBlock* block = nullptr;
        return Find(format, block);
    }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
        if (out) out->ptd = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (direction != DATADIR_GET) return E_NOTIMPL;
        return ComBoundary([&] {
            *out = MakeComObject<FormatEnumerator, IEnumFORMATETC>(blocks_, 0).release();
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    HRESULT Find(const FORMATETC* format, const OfferedBlock*& found) const {
        if (!format) return E_POINTER;
        if (format->dwAspect != DVASPECT_CONTENT) return DV_E_FORMATETC;
        for (const OfferedBlock& block : *blocks_) {
            if (block.format.cfFormat != format->cfFormat) continue;
            if (!(format->tymed & block.format.tymed)) return DV_E_TYMED;
            found = &block;
            return S_OK;
        }
        return DV_E_FORMATETC;
    }

    std::shared_ptr<const OfferedBlocks> blocks_;
};

// The block of one format as bytes; nothing when data does not supply it.
std::optional<dropblocks::Bytes> ReadBlock(IDataObject* data, CLIPFORMAT format) {
    if (!data) return std::nullopt;
    FORMATETC wanted = GlobalFormat(format);
    ReceivedMedium medium;
    if (FAILED(data->GetData(&wanted, medium.put())) || medium.get().tymed != TYMED_HGLOBAL) return std::nullopt;
    LockedGlobal locked(medium.get().hGlobal);
    if (!locked.data()) return std::nullopt;
    return dropblocks::Bytes(locked.data(), locked.data() + locked.size());
}

std::wstring FromAnsi(const std::string& text) {
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), length);
    return out;
}

std::vector<std::wstring> PathsOfItems(const dropblocks::IdListArrayBlock& block) {
    std::vector<std::wstring> paths;
    for (const dropblocks::Bytes& item : block.items) {
        UniqueIdList whole = ConcatIdLists(reinterpret_cast<PCUIDLIST_RELATIVE>(block.parent.data()),
                                           reinterpret_cast<PCUIDLIST_RELATIVE>(item.data()));
        std::wstring path = GetPathFromIdList(whole.get());
        if (path.empty()) return {};
        paths.push_back(std::move(path));
    }
    return paths;
}

}  // namespace

CLIPFORMAT ShellIdListFormat() {
    static const CLIPFORMAT format = static_cast<CLIPFORMAT>(::RegisterClipboardFormatW(CFSTR_SHELLIDLIST));
    return format;
}

static CLIPFORMAT PreferredEffectFormat() {
    static const CLIPFORMAT format = static_cast<CLIPFORMAT>(::RegisterClipboardFormatW(CFSTR_PREFERREDDROPEFFECT));
    return format;
}

ComPtr<IDataObject> MakeTreeDataObject(PCIDLIST_ABSOLUTE parent, PCUITEMID_CHILD item, const std::wstring& path,
                                       DWORD preferred_effect) {
    OfferedBlocks blocks;
    blocks.push_back({GlobalFormat(ShellIdListFormat()), dropblocks::WriteIdListArray(ListBytes(parent), {ListBytes(item)})});
    if (!path.empty()) blocks.push_back({GlobalFormat(CF_HDROP), dropblocks::WriteFileDrop({path})});
    if (preferred_effect) {
        dropblocks::Bytes effect(4);
        for (int i = 0; i < 4; ++i) effect[i] = static_cast<std::uint8_t>(preferred_effect >> (8 * i));
        blocks.push_back({GlobalFormat(PreferredEffectFormat()), std::move(effect)});
    }
    return MakeComObject<TreeDataObject, IDataObject>(std::move(blocks));
}

DWORD ReadPreferredEffect(IDataObject* data) {
    const auto bytes = ReadBlock(data, PreferredEffectFormat());
    if (!bytes || bytes->size() < 4) return 0;
    return static_cast<DWORD>((*bytes)[0]) | (static_cast<DWORD>((*bytes)[1]) << 8) |
           (static_cast<DWORD>((*bytes)[2]) << 16) | (static_cast<DWORD>((*bytes)[3]) << 24);
}

std::optional<dropblocks::IdListArrayBlock> ReadIdListArray(IDataObject* data) {
    const auto bytes = ReadBlock(data, ShellIdListFormat());
    if (!bytes) return std::nullopt;
    return dropblocks::ReadIdListArray(bytes->data(), bytes->size());
}

std::vector<std::wstring> ReadDroppedPaths(IDataObject* data) {
    if (const auto bytes = ReadBlock(data, CF_HDROP)) {
        const auto block = dropblocks::ReadFileDrop(bytes->data(), bytes->size());
        if (!block) return {};
        if (block->wide) return block->wide_paths;
        std::vector<std::wstring> paths;
        for (const std::string& path : block->ansi_paths) paths.push_back(FromAnsi(path));
        return paths;
    }
    const auto block = ReadIdListArray(data);
    return block ? PathsOfItems(*block) : std::vector<std::wstring>{};
}

DWORD CommonDropAttributes(IDataObject* data) {
    const auto block = ReadIdListArray(data);
    if (!block || block->items.empty()) return kAllDropEffects;
    ComPtr<IShellFolder> parent;
    if (FAILED(BindToFolder(reinterpret_cast<PCIDLIST_ABSOLUTE>(block->parent.data()), parent))) return kAllDropEffects;
    std::vector<PCUITEMID_CHILD> items;
    for (const dropblocks::Bytes& item : block->items) items.push_back(reinterpret_cast<PCUITEMID_CHILD>(item.data()));
    SFGAOF attributes = kAllDropEffects;
    if (FAILED(parent->GetAttributesOf(static_cast<UINT>(items.size()), items.data(), &attributes)))
        return kAllDropEffects;
    return attributes & kAllDropEffects;
}

}  // namespace census
