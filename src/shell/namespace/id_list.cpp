#include "shell/namespace/id_list.h"

#include "shell/namespace/id_list_bytes.h"

#include <cstring>
#include <new>

namespace census {
namespace {

const idlist::Byte* BytesOf(PCUIDLIST_RELATIVE list) {
    return reinterpret_cast<const idlist::Byte*>(list);
}

// Allocates size bytes + terminator, copies size bytes of source and ends the list.
LPITEMIDLIST AllocateList(IMalloc& allocator, const idlist::Byte* source, std::size_t size) {
    auto* out = static_cast<idlist::Byte*>(allocator.Alloc(size + idlist::kTerminatorSize));
    if (!out) throw std::bad_alloc();
    if (size && source) std::memcpy(out, source, size);
    out[size] = 0;
    out[size + 1] = 0;
    return reinterpret_cast<LPITEMIDLIST>(out);
}

UniqueIdList MakeList(const idlist::Byte* source, std::size_t size) {
    return UniqueIdList(AllocateList(ShellAllocator(), source, size));
}

std::size_t ItemBytes(PCUIDLIST_RELATIVE list) {
    const std::size_t size = idlist::ListSize(BytesOf(list));
    return size ? size - idlist::kTerminatorSize : 0;
}

}  // namespace

IMalloc& ShellAllocator() {
    static IMalloc* const allocator = [] {
        IMalloc* m = nullptr;
        if (FAILED(::SHGetMalloc(&m)) || !m) throw std::bad_alloc();
        return m;  // kept for the life of the process, as the shell's own is
    }();
    return *allocator;
}

UINT IdListSize(PCUIDLIST_RELATIVE list) {
    return static_cast<UINT>(idlist::ListSize(BytesOf(list)));
}

UniqueIdList CopyIdList(PCUIDLIST_RELATIVE list) {
    return MakeList(BytesOf(list), ItemBytes(list));
}

LPITEMIDLIST CopyIdListWith(PCUIDLIST_RELATIVE list, IMalloc& allocator) {
    return AllocateList(allocator, BytesOf(list), ItemBytes(list));
}

UniqueIdList ConcatIdLists(PCUIDLIST_RELATIVE first, PCUIDLIST_RELATIVE second) {
    const std::size_t a = ItemBytes(first), b = ItemBytes(second);
    UniqueIdList out = MakeList(BytesOf(first), a + b);
    if (b) std::memcpy(reinterpret_cast<idlist::Byte*>(out.get()) + a, second, b);
    return out;
}

int CompareIdLists(PCUIDLIST_RELATIVE a, PCUIDLIST_RELATIVE b) {
    if (!a && !b) return 0;
    if (!a || !b) return -1;
    const bool a_empty = ItemBytes(a) == 0, b_empty = ItemBytes(b) == 0;
    if (a_empty && b_empty) return 0;
    if (a_empty || b_empty) return -1;
    ComPtr<IShellFolder> desktop;
    if (FAILED(::SHGetDesktopFolder(desktop.put())) || !desktop) return kIdListsNotComparable;
    const HRESULT hr = desktop->CompareIDs(0, a, b);
    if (FAILED(hr)) return kIdListsNotComparable;
    return static_cast<short>(HRESULT_CODE(hr));
}

int IdListArray::ItemCount() const {
    return idlist::ItemCount(BytesOf(list_));
}

LPITEMIDLIST IdListArray::SingleItem(int index) {
    const int count = ItemCount();
    if (count == 0 && index == 0) return Keep(CopyIdList(nullptr));
    if (index < 0 || index >= count) return nullptr;
    const idlist::Byte* item = BytesOf(list_) + idlist::ItemOffset(BytesOf(list_), index);
    return Keep(MakeList(item, idlist::ItemSize(item)));
}

LPITEMIDLIST IdListArray::LeadingItems(int count) {
    const int keep = ItemCount() - count;
    if (keep < 0 || count < 0) return nullptr;
    return Keep(MakeList(BytesOf(list_), idlist::ItemOffset(BytesOf(list_), keep)));
}

LPITEMIDLIST IdListArray::Keep(UniqueIdList list) {
    result_ = std::move(list);
    return result_.get();
}

}  // namespace census
