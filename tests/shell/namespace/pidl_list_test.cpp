#include "shell/namespace/pidl_list.h"

#include "runtime/errors.h"
#include "shell/namespace/id_list_fixture.h"

#include <gtest/gtest.h>

namespace census {
namespace {

using testing::Bytes;
using testing::BytesOf;
using testing::MakeList;

// Entries built from single-byte payloads; the lists live as long as the fixture.
class PidlListTest : public ::testing::Test {
protected:
    LPITEMIDLIST List(std::uint8_t payload) {
        keep_.push_back(MakeList({{payload}}));
        return keep_.back().get();
    }
    std::vector<std::uint8_t> Payloads(const PidlList& list) {
        std::vector<std::uint8_t> out;
        for (int i = 0; i < list.Count(); ++i) out.push_back(BytesOf(list[i].list)[2]);
        return out;
    }
    std::vector<UniqueIdList> keep_;
};

TEST_F(PidlListTest, UnsortedAppendsAndSortingUsesRawBytes) {
    PidlList list;
    for (std::uint8_t p : {5, 1, 9, 1}) list.Add(List(p));
    EXPECT_EQ(Payloads(list), (std::vector<std::uint8_t>{5, 1, 9, 1}));
    EXPECT_EQ(list.IndexOf(List(1)), 1);
    EXPECT_EQ(list.IndexOf(List(7)), -1);

    list.SetDuplicatePolicy(DuplicatePolicy::Accept);
    list.SetKeepSorted(true);
    EXPECT_EQ(Payloads(list), (std::vector<std::uint8_t>{1, 1, 5, 9}));
}

TEST_F(PidlListTest, SortedInsertionFollowsTheDuplicatePolicy) {
    struct Case {
        DuplicatePolicy policy;
        bool throws;
        std::vector<std::uint8_t> after;
    } cases[] = {
        {DuplicatePolicy::Ignore, false, {2, 4, 6}},
        {DuplicatePolicy::Accept, false, {2, 4, 4, 6}},
        {DuplicatePolicy::Error, true, {2, 4, 6}},
    };
    for (const Case& c : cases) {
        PidlList list;
        list.SetKeepSorted(true);
        list.SetDuplicatePolicy(c.policy);
        for (std::uint8_t p : {6, 2, 4}) list.Add(List(p));
        if (c.throws) {
            try {
                list.Add(List(4));
                ADD_FAILURE() << "no exception";
            } catch (const Exception& e) {
                EXPECT_EQ(e.Message(), L"PidlList: duplicate item list");
            }
        } else {
            const int index = list.Add(List(4));
            EXPECT_EQ(index, 1);
        }
        EXPECT_EQ(Payloads(list), c.after) << static_cast<int>(c.policy);
        EXPECT_EQ(list.IndexOf(List(6)), static_cast<int>(c.after.size()) - 1);
    }
}

// Counts frees so the test sees which lists the collection releases.
class CountingAllocator : public IMalloc {
public:
    int frees = 0;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override { *out = nullptr; return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    void* STDMETHODCALLTYPE Alloc(SIZE_T size) override { return CoTaskMemAlloc(size); }
    void* STDMETHODCALLTYPE Realloc(void* p, SIZE_T size) override { return CoTaskMemRealloc(p, size); }
    void STDMETHODCALLTYPE Free(void* p) override { ++frees; CoTaskMemFree(p); }
    SIZE_T STDMETHODCALLTYPE GetSize(void*) override { return static_cast<SIZE_T>(-1); }
    int STDMETHODCALLTYPE DidAlloc(void*) override { return -1; }
    void STDMETHODCALLTYPE HeapMinimize() override {}
};

TEST_F(PidlListTest, OwningAllocatorReleasesEntriesOnDeleteClearAndRefusal) {
    CountingAllocator allocator;
    {
        PidlList list;
        list.SetOwningAllocator(&allocator);
        list.SetKeepSorted(true);
        list.SetDuplicatePolicy(DuplicatePolicy::Ignore);
        for (std::uint8_t p : {1, 2, 3, 4}) list.Add(CopyIdListWith(List(p), allocator));
        list.Add(CopyIdListWith(List(2), allocator));
        EXPECT_EQ(allocator.frees, 1) << "the ignored duplicate";
        list.Delete(0);
        EXPECT_EQ(allocator.frees, 2);
        list.Clear();
        EXPECT_EQ(allocator.frees, 5);
        list.Add(CopyIdListWith(List(9), allocator));
    }
    EXPECT_EQ(allocator.frees, 6) << "destruction clears";

    PidlList borrowing;
    borrowing.Add(List(1));
    borrowing.Clear();  // the fixture still owns the list and frees it itself
    EXPECT_EQ(allocator.frees, 6);
}

}  // namespace
}  // namespace census
