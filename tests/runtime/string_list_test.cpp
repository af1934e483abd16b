#include "runtime/string_list.h"

#include <gtest/gtest.h>

#include <vector>

namespace census {
namespace {

TEST(AppendedText, FollowsWhetherTheTextEndsWithALineBreak) {
    std::vector<std::wstring> two = {L"a", L"b"};
    EXPECT_EQ(L"a\r\nb\r\n", AppendedText(true, two));
    EXPECT_EQ(L"\r\na\r\nb", AppendedText(false, two));
    EXPECT_EQ(L"", AppendedText(true, {}));

    EXPECT_TRUE(EmptyOrEndsWithBreak(L""));
    EXPECT_TRUE(EmptyOrEndsWithBreak(L"x\r\n"));
    EXPECT_FALSE(EmptyOrEndsWithBreak(L"typed"));
    EXPECT_FALSE(EmptyOrEndsWithBreak(L"\n"));
}

TEST(AppendedText, LinesAddedOneByOneOrAsABlockGiveTheSameText) {
    std::vector<std::wstring> lines = {L"C:\\a.txt", L"", L"b"};
    for (std::wstring start : {L"", L"typed", L"line\r\n"}) {
        std::wstring one_by_one = start;
        for (const auto& l : lines) one_by_one += AppendedText(EmptyOrEndsWithBreak(one_by_one), {&l, 1});
        EXPECT_EQ(one_by_one, start + AppendedText(EmptyOrEndsWithBreak(start), lines));
    }
}

TEST(StringList, TextEndsEveryLineWithCrLfAndSplitsAnyBreak) {
    StringList list;
    list.SetText(L"a\r\nb\nc\rd");
    EXPECT_EQ(4, list.Count());
    EXPECT_EQ(L"a\r\nb\r\nc\r\nd\r\n", list.Text());
    list.Add(L"e");
    EXPECT_EQ(L"e", list.Get(4));
    list.SetText(L"x\r\n\r\n");
    EXPECT_EQ(2, list.Count());
    list.Clear();
    EXPECT_EQ(L"", list.Text());
}

}  // namespace
}  // namespace census
