// An ordered collection of relative item identifier lists, each with an
// optional tree node.
//
// Sorted collections keep comparison order: the OrderFolder's own order when
// one is set, the raw bytes otherwise. With an OwningAllocator set the
// collection owns its lists and frees them through that allocator; without
// one the lists belong to the caller and must outlive their entries.
#pragma once

#include "runtime/handles.h"

#include <commctrl.h>
#include <shlobj.h>

#include <vector>

namespace census {

enum class DuplicatePolicy { Ignore = 0, Accept = 1, Error = 2 };

class PidlList {
public:
    struct Entry {
        LPITEMIDLIST list = nullptr;
        HTREEITEM node = nullptr;
    };

    PidlList() = default;
    PidlList(const PidlList&) = delete;
    PidlList& operator=(const PidlList&) = delete;
    ~PidlList();

    int Count() const { return static_cast<int>(entries_.size()); }
    const Entry& operator[](int index) const { return entries_.at(static_cast<size_t>(index)); }

    bool KeepSorted() const { return keep_sorted_; }
    void SetKeepSorted(bool value);
    DuplicatePolicy Duplicates() const { return duplicates_; }
    void SetDuplicatePolicy(DuplicatePolicy policy) { duplicates_ = policy; }
    IShellFolder* OrderFolder() const { return order_folder_.get(); }
    void SetOrderFolder(IShellFolder* folder);
    IMalloc* OwningAllocator() const { return owning_allocator_; }
    void SetOwningAllocator(IMalloc* allocator) { owning_allocator_ = allocator; }

    // The entry's index. A sorted collection with an equal entry returns that
    // entry's index (Ignore), inserts anyway (Accept) or throws
    // "PidlList: duplicate item list" (Error). With an owning allocator the
    // collection takes the list over, also when it is not inserted.
    int Add(LPITEMIDLIST list, HTREEITEM node = nullptr);
    // Index of the first entry equal to list, -1 when absent.
    int IndexOf(PCUIDLIST_RELATIVE list) const;
    void Delete(int index);
    void Clear();

    int Compare(PCUIDLIST_RELATIVE a, PCUIDLIST_RELATIVE b) const;

private:
    struct Found {
        int index;
        bool found;
    };
    Found Find(PCUIDLIST_RELATIVE key) const;
    void Release(const Entry& entry);
    void Sort();

    std::vector<Entry> entries_;
    bool keep_sorted_ = false;
    DuplicatePolicy duplicates_ = DuplicatePolicy::Error;
    ComPtr<IShellFolder> order_folder_;
    IMalloc* owning_allocator_ = nullptr;  // process-wide; not reference-counted here
};

}  // namespace census
