#include "shell/namespace/pidl_list.h"

#include "runtime/errors.h"
#include "shell/namespace/id_list.h"
#include "shell/namespace/id_list_bytes.h"

#include <algorithm>

namespace census {

PidlList::~PidlList() {
    Clear();
}

void PidlList::SetKeepSorted(bool value) {
    if (value == keep_sorted_) return;
    keep_sorted_ = value;
    if (value) Sort();
}

void PidlList::SetOrderFolder(IShellFolder* folder) {
    order_folder_ = ComPtr<IShellFolder>::AddRefOf(folder);
    if (keep_sorted_) Sort();
}

int PidlList::Compare(PCUIDLIST_RELATIVE a, PCUIDLIST_RELATIVE b) const {
    if (order_folder_) {
        const HRESULT hr = order_folder_->CompareIDs(0, a, b);
        return static_cast<short>(HRESULT_CODE(hr));
    }
    return idlist::CompareBytes(reinterpret_cast<const idlist::Byte*>(a), IdListSize(a),
                                reinterpret_cast<const idlist::Byte*>(b), IdListSize(b));
}

PidlList::Found PidlList::Find(PCUIDLIST_RELATIVE key) const {
    int lo = 0, hi = Count() - 1;
    bool found = false;
    while (lo <= hi) {
        const int mid = (lo + hi) / 2;
        const int c = Compare(entries_[static_cast<size_t>(mid)].list, key);
        if (c < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == 0) {
                found = true;
                if (duplicates_ != DuplicatePolicy::Accept) lo = mid;
            }
        }
    }
    return {lo, found};
}

int PidlList::Add(LPITEMIDLIST list, HTREEITEM node) {
    if (!keep_sorted_) {
        entries_.push_back({list, node});
        return Count() - 1;
    }
    const Found at = Find(list);
    if (at.found && duplicates_ != DuplicatePolicy::Accept) {
        Release({list, node});
        if (duplicates_ == DuplicatePolicy::Ignore) return at.index;
        throw Exception(L"PidlList: duplicate item list");
    }
    entries_.insert(entries_.begin() + at.index, Entry{list, node});
    return at.index;
}

int PidlList::IndexOf(PCUIDLIST_RELATIVE list) const {
    if (keep_sorted_) {
        const Found at = Find(list);
        return at.found ? at.index : -1;
    }
    for (int i = 0; i < Count(); ++i) {
        if (Compare(entries_[static_cast<size_t>(i)].list, list) == 0) return i;
    }
    return -1;
}

void PidlList::Delete(int index) {
    const Entry entry = entries_.at(static_cast<size_t>(index));
    entries_.erase(entries_.begin() + index);
    Release(entry);
}

void PidlList::Clear() {
    for (const Entry& entry : entries_) Release(entry);
    entries_.clear();
}

void PidlList::Release(const Entry& entry) {
    if (owning_allocator_ && entry.list) owning_allocator_->Free(entry.list);
}

void PidlList::Sort() {
    std::stable_sort(entries_.begin(), entries_.end(),
                     [this](const Entry& a, const Entry& b) { return Compare(a.list, b.list) < 0; });
}

}  // namespace census

