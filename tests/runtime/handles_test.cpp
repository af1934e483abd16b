#include "runtime/handles.h"

#include <gtest/gtest.h>

namespace census {
namespace {

TEST(Handles, GdiObjectsAreFreedAndMovesTransferOwnership) {
    DWORD before = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    {
        UniqueBrush a(::CreateSolidBrush(RGB(1, 2, 3)));
        ASSERT_TRUE(a);
        UniqueBrush b(std::move(a));
        EXPECT_FALSE(a);
        EXPECT_TRUE(b);
        UniqueBrush c;
        c = std::move(b);
        EXPECT_TRUE(c);
    }
    EXPECT_EQ(before, ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS));
}

}  // namespace
}  // namespace census
