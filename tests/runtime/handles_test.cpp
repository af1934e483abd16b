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

}  // namespace
}  // namespace census
