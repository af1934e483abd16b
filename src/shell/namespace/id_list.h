// Item identifier lists owned through the shell allocator, and their
// arithmetic.
//
// Every list this program makes is allocated by the shell allocator
// (SHGetMalloc). That allocator is the COM task allocator, so UniqueIdList
// (UniqueCoTaskMem) frees what it allocates. Functions taking a list accept
// null and read it as the empty list (the desktop).
#pragma once

#include "runtime/handles.h"

#include <shlobj.h>

namespace census {

using UniqueIdList = UniqueCoTaskMem<ITEMIDLIST>;

// The process-wide shell allocator, obtained on first use.
IMalloc& ShellAllocator();

// Comparison result meaning "could not compare"; never read as equal.
constexpr int kIdListsNotComparable = 0x7FFFFFFF;

// Sum of the item counts plus the terminator; 0 for null.
UINT IdListSize(PCUIDLIST_RELATIVE list);

// A fresh copy (an empty list for null or empty input).
UniqueIdList CopyIdList(PCUIDLIST_RELATIVE list);
// The same through a given allocator; the caller frees it with that allocator.
LPITEMIDLIST CopyIdListWith(PCUIDLIST_RELATIVE list, IMalloc& allocator);

// The items of first followed by the items of second.
UniqueIdList ConcatIdLists(PCUIDLIST_RELATIVE first, PCUIDLIST_RELATIVE second);

// Null before non-null, empty before non-empty; otherwise the desktop
// folder's order as negative, 0 or positive, or kIdListsNotComparable.
int CompareIdLists(PCUIDLIST_RELATIVE a, PCUIDLIST_RELATIVE b);

// A view over one list it does not own. Each result is owned by the view
// until the next result is asked for; copy a result to keep it.
class IdListArray {
public:
    explicit IdListArray(PCUIDLIST_RELATIVE list) : list_(list) {}

    int ItemCount() const;
    // A one-item list holding item index; null when index is out of range
    // (index 0 of the empty list is the empty list).
    LPITEMIDLIST SingleItem(int index);
    // All but the last count items: 0 gives a copy, 1 the parent's list.
    LPITEMIDLIST LeadingItems(int count);

private:
    LPITEMIDLIST Keep(UniqueIdList list);

    PCUIDLIST_RELATIVE list_;
    UniqueIdList result_;
};

}  // namespace census
