#include "shell/namespace/id_list.h"
#include "shell/namespace/id_list_bytes.h"

#include "shell/namespace/id_list_fixture.h"

#include <gtest/gtest.h>

namespace census {
namespace {

using testing::Bytes;
using testing::BytesOf;
using testing::ListBytes;
using testing::MakeList;

TEST(IdListBytes, FindListLengthAcceptsOnlyWholeLists) {
    struct Case {
        const char* name;
        Bytes data;
        std::optional<std::size_t> length;
    } cases[] = {
        {"terminator only", {0, 0}, 2},
        {"one item", ListBytes({{7, 8}}), 6},
        {"two items then trailing bytes", [] { Bytes b = ListBytes({{1}, {2, 3}}); b.push_back(9); return b; }(), 9},
        {"nothing", {}, std::nullopt},
        {"half a terminator", {0}, std::nullopt},
        {"item runs past the data", {9, 0, 1, 2}, std::nullopt},
        {"no terminator after the item", {3, 0, 1}, std::nullopt},
        {"half a terminator after the item", {3, 0, 1, 0}, std::nullopt},
        {"count of one never advances", {1, 0, 0, 0}, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(idlist::FindListLength(c.data.data(), c.data.size()), c.length) << c.name;
    }
}

TEST(IdListBytes, RawOrderComparesBytesThenLength) {
    struct Case {
        Bytes a, b;
        int sign;
    } cases[] = {
        {{1, 2}, {1, 2}, 0},
        {{1, 2}, {1, 3}, -1},
        {{0xFF}, {0x01, 0x00}, 1},  // bytes are unsigned
        {{1, 2}, {1, 2, 0}, -1},    // an equal prefix puts the shorter first
        {{}, {0}, -1},
    };
    for (const Case& c : cases) {
        const int r = idlist::CompareBytes(c.a.data(), c.a.size(), c.b.data(), c.b.size());
        EXPECT_EQ((r > 0) - (r < 0), c.sign);
        const int back = idlist::CompareBytes(c.b.data(), c.b.size(), c.a.data(), c.a.size());
        EXPECT_EQ((back > 0) - (back < 0), -c.sign);
    }
}

TEST(IdList, SizeCopyAndConcat) {
    EXPECT_EQ(IdListSize(nullptr), 0u);
    UniqueIdList empty = CopyIdList(nullptr);
    ASSERT_TRUE(empty);
    EXPECT_EQ(IdListSize(empty.get()), 2u);

    UniqueIdList ab = MakeList({{1, 2}, {3}});
    EXPECT_EQ(IdListSize(ab.get()), 4u + 3u + 2u);
    UniqueIdList copy = CopyIdList(ab.get());
    EXPECT_NE(copy.get(), ab.get());
    EXPECT_EQ(BytesOf(copy.get()), BytesOf(ab.get()));

    UniqueIdList c = MakeList({{9, 9, 9}});
    EXPECT_EQ(BytesOf(ConcatIdLists(ab.get(), c.get()).get()), ListBytes({{1, 2}, {3}, {9, 9, 9}}));
    EXPECT_EQ(BytesOf(ConcatIdLists(empty.get(), c.get()).get()), BytesOf(c.get()));
    EXPECT_EQ(BytesOf(ConcatIdLists(c.get(), nullptr).get()), BytesOf(c.get()));
}

TEST(IdListArray, CountsAndSplitsItems) {
    UniqueIdList list = MakeList({{1}, {2, 2}, {3, 3, 3}});
    IdListArray items(list.get());
    EXPECT_EQ(items.ItemCount(), 3);

    struct Single {
        int index;
        Bytes expected;  // empty: none
    } singles[] = {{0, ListBytes({{1}})}, {2, ListBytes({{3, 3, 3}})}, {3, {}}, {-1, {}}};
    for (const Single& s : singles) EXPECT_EQ(BytesOf(items.SingleItem(s.index)), s.expected) << s.index;

    struct Leading {
        int dropped;
        Bytes expected;
    } leading[] = {{0, ListBytes({{1}, {2, 2}, {3, 3, 3}})},
                   {1, ListBytes({{1}, {2, 2}})},
                   {3, ListBytes({})},
                   {4, {}}};
    for (const Leading& l : leading) EXPECT_EQ(BytesOf(items.LeadingItems(l.dropped)), l.expected) << l.dropped;
}

TEST(IdListArray, EmptyAndNullLists) {
    UniqueIdList empty = CopyIdList(nullptr);
    IdListArray of_empty(empty.get());
    EXPECT_EQ(of_empty.ItemCount(), 0);
    EXPECT_EQ(BytesOf(of_empty.SingleItem(0)), ListBytes({}));
    EXPECT_EQ(IdListArray(nullptr).ItemCount(), 0);
}

TEST(IdList, CompareHandlesNullAndEmptyBeforeAskingTheShell) {
    UniqueIdList empty = CopyIdList(nullptr);
    UniqueIdList other_empty = CopyIdList(nullptr);
    UniqueIdList drives;
    ASSERT_HRESULT_SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, drives.put()));
    EXPECT_EQ(CompareIdLists(nullptr, nullptr), 0);
    EXPECT_EQ(CompareIdLists(nullptr, drives.get()), -1);
    EXPECT_EQ(CompareIdLists(drives.get(), nullptr), -1);
    EXPECT_EQ(CompareIdLists(empty.get(), other_empty.get()), 0);
    EXPECT_EQ(CompareIdLists(empty.get(), drives.get()), -1);
    EXPECT_EQ(CompareIdLists(drives.get(), CopyIdList(drives.get()).get()), 0);
}

}  // namespace
}  // namespace census
