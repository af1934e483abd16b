#include "shell/namespace/shell_locator.h"
#include "shell/namespace/stored_location.h"

#include "shell/namespace/id_list_fixture.h"

#include <gtest/gtest.h>

namespace census {
namespace {

using testing::Bytes;
using testing::BytesOf;
using testing::ListBytes;
using testing::MakeList;

Bytes Stored(std::uint32_t n, const Bytes& list) {
    Bytes out{0, static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n >> 16),
              static_cast<std::uint8_t>(n >> 24)};
    out.insert(out.end(), list.begin(), list.end());
    return out;
}

TEST(StoredPidl, WellFormedDataReadsAndWritesBackByteForByte) {
    const Bytes two_items = ListBytes({{'a', 'b'}, {'c'}});
    struct Case {
        const char* name;
        Bytes data;
        LocatorKind kind;
        std::uint8_t special;
        Bytes held;  // empty: none
        Bytes written{};  // empty: the data as read
    } cases[] = {
        {"special folder", {1, 17}, LocatorKind::SpecialFolder, 17, {}},
        {"any non-zero kind byte", {7, 5}, LocatorKind::SpecialFolder, 5, {}, {1, 5}},
        {"list", Stored(static_cast<std::uint32_t>(two_items.size()), two_items), LocatorKind::IdList,
         ShellLocator::kNoSpecialFolder, two_items},
        {"terminator only", Stored(2, {0, 0}), LocatorKind::IdList, ShellLocator::kNoSpecialFolder, {0, 0}},
    };
    for (const Case& c : cases) {
        ShellLocator locator;
        locator.ReadStored(c.data);
        EXPECT_EQ(locator.Kind(), c.kind) << c.name;
        EXPECT_EQ(locator.SpecialFolder(), c.special) << c.name;
        EXPECT_EQ(BytesOf(locator.HeldList()), c.held) << c.name;
        EXPECT_TRUE(locator.HasStoredForm()) << c.name;
        EXPECT_EQ(locator.WriteStored(), c.written.empty() ? c.data : c.written) << c.name;
    }
}

TEST(StoredPidl, ZeroLengthListReadsAsTheDesktopSpecialFolder) {
    ShellLocator locator;
    locator.ReadStored(Stored(0, {}));
    EXPECT_EQ(locator.Kind(), LocatorKind::SpecialFolder);
    EXPECT_EQ(locator.SpecialFolder(), 0);
    EXPECT_EQ(locator.WriteStored(), (Bytes{1, 0}));
}

TEST(StoredPidl, MalformedDataIsRefusedAndLeavesTheLocatorAsItWas) {
    const Bytes one = ListBytes({{'x'}});
    const Bytes cases[] = {
        {},                                  // nothing at all
        {1},                                 // special folder without its id
        {1, 2, 3},                           // special folder with trailing bytes
        {0, 4, 0},                           // length cut short
        Stored(6, {3, 0}),                   // length larger than the bytes present
        Stored(2, {0, 0, 0}),                // length smaller than the bytes present
        Stored(4, {9, 0, 'x', 'y'}),         // item runs past the length
        Stored(3, {3, 0, 'x'}),              // no terminator
        Stored(4, {3, 0, 'x', 5}),           // half a terminator
        Stored(4, {1, 0, 0, 0}),             // item count below its own size
        Stored(0xFFFFFFFFu, one),            // absurd length
        // bytes after the terminator
        Stored(static_cast<std::uint32_t>(one.size() + 2), [&] { Bytes b = one; b.push_back(3); b.push_back(0); return b; }()),
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        ShellLocator locator;
        UniqueIdList before = MakeList({{'k', 'e', 'e', 'p'}});
        locator.SetIdList(before.get());
        int changes = 0;
        locator.OnLocationChange = [&] { ++changes; };
        EXPECT_THROW(locator.ReadStored(cases[i]), StoredLocationError) << "case " << i;
        EXPECT_EQ(locator.Kind(), LocatorKind::IdList) << "case " << i;
        EXPECT_EQ(BytesOf(locator.HeldList()), BytesOf(before.get())) << "case " << i;
        EXPECT_EQ(changes, 0) << "case " << i;
    }
}

TEST(ShellLocator, NewLocatorHasNoStoredFormAndNamesTheDesktop) {
    ShellLocator locator;
    EXPECT_EQ(locator.Kind(), LocatorKind::IdList);
    EXPECT_EQ(locator.IdList(), nullptr);
    EXPECT_FALSE(locator.HasStoredForm());
}

class LocatorChanges : public ::testing::Test {
protected:
    LocatorChanges() {
        locator.OnLocationChange = [this] { ++changes; };
    }
    ShellLocator locator;
    int changes = 0;
    UniqueIdList empty = CopyIdList(nullptr);
    UniqueIdList drives = [] {
        UniqueIdList l;
        SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, l.put());
        return l;
    }();
};

TEST_F(LocatorChanges, SettingListsCountsOnlyRealChanges) {
    locator.SetIdList(empty.get());
    EXPECT_EQ(changes, 0) << "empty list on a fresh locator";
    EXPECT_EQ(locator.HeldList(), nullptr);

    locator.SetIdList(drives.get());
    EXPECT_EQ(changes, 1);
    EXPECT_NE(locator.HeldList(), drives.get()) << "the locator keeps its own copy";

    locator.SetIdList(drives.get());
    EXPECT_EQ(changes, 1) << "the same folder again";

    locator.SetIdList(nullptr);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(locator.HeldList(), nullptr);
    EXPECT_EQ(locator.SpecialFolder(), ShellLocator::kNoSpecialFolder);

    locator.SetSpecialFolder(CSIDL_DRIVES);
    locator.SetIdList(nullptr);
    EXPECT_EQ(changes, 4) << "leaving a special folder always counts";
}

TEST_F(LocatorChanges, EqualityAndAssignment) {
    ShellLocator a, b;
    a.SetSpecialFolder(CSIDL_DRIVES);
    b.SetSpecialFolder(CSIDL_PERSONAL);
    EXPECT_FALSE(a.Equals(b));
    EXPECT_TRUE(a.Equals(a));

    locator.SetSpecialFolder(CSIDL_DRIVES);
    changes = 0;
    locator.Assign(&a);
    EXPECT_EQ(changes, 0) << "equal locators";
    locator.Assign(&b);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(locator.SpecialFolder(), CSIDL_PERSONAL);

    ShellLocator with_list;
    with_list.SetIdList(drives.get());
    EXPECT_FALSE(with_list.Equals(a)) << "different kinds";
    locator.Assign(&with_list);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(BytesOf(locator.HeldList()), BytesOf(drives.get()));
    EXPECT_TRUE(locator.Equals(with_list));

    locator.Assign(nullptr);
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(locator.HeldList(), nullptr);
    locator.Assign(nullptr);
    EXPECT_EQ(changes, 3) << "nothing held, nothing to release";
}

TEST_F(LocatorChanges, SpecialFolderResolvesToTheShellsList) {
    locator.SetSpecialFolder(CSIDL_DRIVES);
    LPITEMIDLIST resolved = locator.IdList();
    ASSERT_NE(resolved, nullptr);
    EXPECT_EQ(CompareIdLists(resolved, drives.get()), 0);
    EXPECT_EQ(locator.IdList(), resolved) << "resolved once and kept";
}

}  // namespace
}  // namespace census
