#include "shell/change_watcher.h"

#include "support/temp_tree.h"

#include <gtest/gtest.h>

namespace census {
namespace {

using testing::TempTree;

constexpr UINT kChanged = WM_APP + 7;

// A window that counts the change messages posted to it.
class Counter {
public:
    Counter() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"CensusWatchCounter";
        ::RegisterClassW(&wc);
        window_.reset(::CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                        wc.hInstance, nullptr));
    }
    HWND Window() const { return window_.get(); }
    // Takes the messages that arrive within ms.
    int Count(unsigned ms) {
        const ULONGLONG end = ::GetTickCount64() + ms;
        while (::GetTickCount64() < end) {
            MSG msg;
            while (::PeekMessageW(&msg, window_.get(), kChanged, kChanged, PM_REMOVE)) ++count_;
            ::Sleep(10);
        }
        return count_;
    }

private:
    UniqueHwnd window_;
    int count_ = 0;
};

TEST(ChangeWatcher, SixtyThreeSlotsAndMoreThreadsBeyond) {
    TempTree temp;
    Counter counter;
    ChangeWatcher watcher(counter.Window(), kChanged);
    for (int i = 0; i < ChangeWatcher::kSlots; ++i)
        EXPECT_NE(watcher.AddWatch(temp.Root(), FILE_NOTIFY_CHANGE_DIR_NAME, false), 0u) << i;
    EXPECT_EQ(watcher.AddWatch(temp.Root(), FILE_NOTIFY_CHANGE_DIR_NAME, false), 0u) << "no 64th slot";
    EXPECT_EQ(watcher.AddWatch(temp.Path(L"no such folder"), FILE_NOTIFY_CHANGE_DIR_NAME, false), 0u);
    EXPECT_TRUE(watcher.RemoveAll());
    EXPECT_NE(watcher.AddWatch(temp.Root(), FILE_NOTIFY_CHANGE_DIR_NAME, false), 0u) << "slots free again";

    ChangeWatchers many(counter.Window(), kChanged);
    for (int i = 0; i < 70; ++i) EXPECT_TRUE(many.Add(temp.Root(), FILE_NOTIFY_CHANGE_DIR_NAME, false, &temp + i));
    EXPECT_EQ(many.ThreadCount(), 2u);
    many.Remove(&temp);
    EXPECT_FALSE(many.Watches(&temp));
    EXPECT_TRUE(many.Watches(&temp + 1));
}

TEST(ChangeWatcher, ChangeIsPostedAndAWatchedFolderThatGoesIsDropped) {
    TempTree temp;
    temp.Dir(L"watched");
    Counter counter;
    ChangeWatcher watcher(counter.Window(), kChanged);
    ASSERT_NE(watcher.AddWatch(temp.Path(L"watched"), FILE_NOTIFY_CHANGE_DIR_NAME, false), 0u);
    temp.Dir(L"watched\\new");
    EXPECT_GE(counter.Count(1000), 1);

    ASSERT_TRUE(::RemoveDirectoryW(temp.Path(L"watched\\new").c_str()));
    ASSERT_TRUE(::RemoveDirectoryW(temp.Path(L"watched").c_str()));
    const int after_removal = counter.Count(1000);
    // The gone folder is no longer watched: no stream of messages follows.
    EXPECT_EQ(counter.Count(1000), after_removal);
    EXPECT_LE(after_removal, 4);
    EXPECT_TRUE(watcher.Responsive());
}

}  // namespace
}  // namespace census
