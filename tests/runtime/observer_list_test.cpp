#include "runtime/observer_list.h"

#include <gtest/gtest.h>

#include <string>

namespace census {
namespace {

TEST(ObserverList, ObserversThatComeAndGoDuringAWalk) {
    ObserverList<int> list;
    for (int i : {1, 2, 3, 4}) list.Add(i);
    std::string told;
    list.ForEach([&](int i) {
        told += std::to_string(i);
        if (i == 1) {
            list.RemoveFirst(3);  // gone before its turn: not told
            list.Add(5);          // came after the walk began: not told
        }
        if (i == 2) list.RemoveAll(2);  // leaving itself: the others still come
    });
    EXPECT_EQ("124", told);
    EXPECT_EQ(3u, list.Size());
    EXPECT_TRUE(list.Contains(5));
    EXPECT_FALSE(list.Contains(2));

    // Those the second predicate picks come first, each group in its order.
    told.clear();
    list.ForEach([&](int i) { told += std::to_string(i); }, [](int i) { return i == 5; });
    EXPECT_EQ("514", told);

    list.Add(1);
    list.RemoveFirst(1);
    EXPECT_TRUE(list.Contains(1));
    list.RemoveAll(1);
    EXPECT_FALSE(list.Contains(1));
    list.Clear();
    EXPECT_TRUE(list.Empty());
}

}  // namespace
}  // namespace census
