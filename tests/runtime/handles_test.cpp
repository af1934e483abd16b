#include "runtime/handles.h"
#include "support/gdi_count.h"

#include <gtest/gtest.h>

namespace census {
namespace {

TEST(Handles, GdiObjectsAreFreedAndMovesTransferOwnership) {
    DWORD before = testing::LiveGdiObjects();
    {
        UniqueBrush a(::CreateSolidBrush(RGB(1, 2, 3)));
        ASSERT_TRUE(a);
        EXPECT_EQ(before + 1, testing::LiveGdiObjects());  // the count sees every object
        UniqueBrush b(std::move(a));
        EXPECT_FALSE(a);
        EXPECT_TRUE(b);
        UniqueBrush c;
        c = std::move(b);
        EXPECT_TRUE(c);
    }
    EXPECT_EQ(before, testing::LiveGdiObjects());
}

int themes_closed = 0;
HRESULT WINAPI CountClose(HTHEME) {
    ++themes_closed;
    return S_OK;
}

TEST(Handles, ThemesCloseOnceThroughTheirOwnFunction) {
    themes_closed = 0;
    {
        UniqueTheme a(reinterpret_cast<HTHEME>(1), CountClose);
        UniqueTheme b(std::move(a));
        EXPECT_FALSE(a);
        a = UniqueTheme(reinterpret_cast<HTHEME>(2), CountClose);
        a = std::move(b);  // closes the second
        EXPECT_EQ(1, themes_closed);
    }
    EXPECT_EQ(2, themes_closed);
}

TEST(Handles, GlobalMemoryIsUnlockedAtScopeEndAndFreedWithItsOwner) {
    UniqueGlobal block(::GlobalAlloc(GMEM_MOVEABLE, 8));
    ASSERT_TRUE(block);
    {
        LockedGlobal locked(block.get());
        ASSERT_NE(nullptr, locked.data());
        EXPECT_GE(locked.size(), 8u);
        EXPECT_EQ(1u, ::GlobalFlags(block.get()) & GMEM_LOCKCOUNT);
    }
    EXPECT_EQ(0u, ::GlobalFlags(block.get()) & GMEM_LOCKCOUNT);
    LockedGlobal none(nullptr);
    EXPECT_EQ(nullptr, none.data());
    EXPECT_EQ(0u, none.size());
}

}  // namespace
}  // namespace census
