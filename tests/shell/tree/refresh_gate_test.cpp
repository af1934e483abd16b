#include "shell/tree/refresh_gate.h"

#include <gtest/gtest.h>

namespace census {
namespace {

TEST(RefreshGate, TheOutermostHoldOwesTheRefreshesAskedForWhileItStoodOnce) {
    RefreshGate gate;
    EXPECT_FALSE(gate.Defers(false)) << "free: a refresh runs at once";
    EXPECT_TRUE(gate.Defers(true)) << "a label being edited defers";
    EXPECT_TRUE(gate.TakePending());
    EXPECT_FALSE(gate.TakePending()) << "taken once";

    RefreshGate::Hold outer(gate);
    {
        RefreshGate::Hold inner(gate);
        EXPECT_TRUE(gate.Busy());
        EXPECT_TRUE(gate.Defers(false));
        EXPECT_TRUE(gate.Defers(false));
        EXPECT_FALSE(inner.End()) << "the outer hold still stands";
    }
    EXPECT_TRUE(gate.Busy());
    EXPECT_TRUE(outer.End());
    EXPECT_FALSE(gate.Busy());
    EXPECT_FALSE(gate.TakePending()) << "two asks, one refresh";

    RefreshGate::Hold quiet(gate);
    EXPECT_FALSE(quiet.End()) << "nothing asked, nothing owed";
}

TEST(RefreshGate, AHoldLeftByAnExceptionFreesTheGateAndKeepsTheRecord) {
    RefreshGate gate;
    try {
        RefreshGate::Hold hold(gate);
        gate.Defers(false);
        throw 1;
    } catch (int) {
    }
    EXPECT_FALSE(gate.Busy());
    EXPECT_TRUE(gate.TakePending()) << "the next refresh takes it";
}

TEST(RefreshGate, TheRenamesOwnChangeIsIgnoredOnceAndAnyRefreshSpendsIt) {
    const auto over = [](const wchar_t* watched) {
        return [watched](const std::wstring& folder) { return folder == watched; };
    };
    RefreshGate gate;
    EXPECT_FALSE(gate.Ignores(over(L"C:\\a"))) << "nothing to ignore";

    gate.IgnoreNextChangeFrom(L"C:\\a");
    EXPECT_TRUE(gate.Ignores(over(L"C:\\a")));
    EXPECT_FALSE(gate.Ignores(over(L"C:\\a"))) << "once";

    gate.IgnoreNextChangeFrom(L"C:\\a");
    EXPECT_FALSE(gate.Ignores(over(L"C:\\b"))) << "another folder's change is real";
    EXPECT_FALSE(gate.Ignores(over(L"C:\\a"))) << "and spends the ignore";

    gate.IgnoreNextChangeFrom(L"C:\\a");
    gate.Refreshing();
    EXPECT_FALSE(gate.Ignores(over(L"C:\\a")));

    gate.IgnoreNextChangeFrom(L"");
    EXPECT_FALSE(gate.Ignores(over(L""))) << "no folder, nothing ignored";
}

}  // namespace
}  // namespace census
