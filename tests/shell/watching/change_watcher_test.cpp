#include "shell/watching/change_watcher.h"

#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <atomic>

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
    // Takes the messages that arrive within ms: a window of time, since the
    // checks are that no more come than should.
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
    std::vector<unsigned> ids;
    for (int i = 0; i < ChangeWatcher::kSlots; ++i) ids.push_back(watcher.AddWatch(temp.Root(), FILE_NOTIFY_CHANGE_DIR_NAME, false));
    const unsigned extra = watcher.AddWatch(temp.Root(), FILE_NOTIFY_CHANGE_DIR_NAME, false);
    const unsigned missing = watcher.AddWatch(temp.Path(L"no such folder"), FILE_NOTIFY_CHANGE_DIR_NAME, false);
    ASSERT_TRUE(watcher.WaitSettled());
    for (int i = 0; i < ChangeWatcher::kSlots; ++i) EXPECT_TRUE(watcher.Live(ids[i])) << i;
    EXPECT_FALSE(watcher.Live(extra)) << "no 64th slot";
    EXPECT_FALSE(watcher.Live(missing));
    watcher.RemoveAll();
    ASSERT_TRUE(watcher.WaitSettled());
    // Every watch is closed, not only the first: a watch left open would
    // keep its handle, wake the thread and report this change.
    temp.Dir(L"after remove-all");
    EXPECT_EQ(counter.Count(1000), 0) << "a watch outlived the remove-all";
    std::vector<unsigned> again;
    for (int i = 0; i < ChangeWatcher::kSlots; ++i)
        again.push_back(watcher.AddWatch(temp.Root(), FILE_NOTIFY_CHANGE_DIR_NAME, false));
    ASSERT_TRUE(watcher.WaitSettled());
    int live = 0;
    for (unsigned id : again) live += watcher.Live(id) ? 1 : 0;
    EXPECT_EQ(live, ChangeWatcher::kSlots) << "every slot free again";

    ChangeWatchers many(counter.Window(), kChanged);
    for (int i = 0; i < 70; ++i) many.Add(temp.Root(), FILE_NOTIFY_CHANGE_DIR_NAME, false, &temp + i);
    EXPECT_TRUE(many.WaitSettled());
    EXPECT_EQ(many.ThreadCount(), 2u);
    many.Remove(&temp);
    EXPECT_FALSE(many.Watches(&temp));
    EXPECT_TRUE(many.Watches(&temp + 1));
}

// A drive that takes its time to answer (a disconnected network drive)
// stands in here: an opener that blocks until released.
class SlowOpener {
public:
    SlowOpener() : release_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    WatchOpener Opener() {
        return [this](const std::wstring& path, bool subtree, DWORD filter) {
            ++calls;
            if (::WaitForSingleObject(release_.get(), 10000) == WAIT_TIMEOUT) held_too_long = true;
            return ::FindFirstChangeNotificationW(path.c_str(), subtree, filter);
        };
    }
    void Release() { ::SetEvent(release_.get()); }
    std::atomic<int> calls{0};
    std::atomic<bool> held_too_long{false};

private:
    UniqueKernelHandle release_;
};

// The caller is never held by the opening, and an answer that comes after
// the caller stopped waiting still counts: the thread is asked again, its
// watches can be removed, and it is the only thread.
TEST(ChangeWatcher, ASlowDriveHoldsOnlyTheThreadAndItsLateAnswerCounts) {
    TempTree temp;
    temp.Dir(L"watched");
    Counter counter;
    SlowOpener slow;
    ChangeWatchers watchers(counter.Window(), kChanged, slow.Opener());
    watchers.Add(temp.Path(L"watched"), FILE_NOTIFY_CHANGE_DIR_NAME, false, &slow);
    EXPECT_FALSE(watchers.WaitSettled(100)) << "still opening";
    // A second start while the first is not answered: everything removed, the same watch again.
    watchers.RemoveAll();
    watchers.Add(temp.Path(L"watched"), FILE_NOTIFY_CHANGE_DIR_NAME, false, &slow);
    slow.Release();
    ASSERT_TRUE(watchers.WaitSettled());
    EXPECT_FALSE(slow.held_too_long) << "the caller was held while the watch was opened";
    EXPECT_EQ(watchers.ThreadCount(), 1u);
    EXPECT_LE(slow.calls.load(), 2) << "each watch is opened once";

    temp.Dir(L"watched\\new");
    EXPECT_EQ(counter.Count(1000), 1) << "one watch, one message: no duplicate";
    watchers.RemoveAll();
    ASSERT_TRUE(watchers.WaitSettled());
    temp.Dir(L"watched\\newer");
    EXPECT_EQ(counter.Count(1000), 1) << "removed for good";
}

TEST(ChangeWatcher, ChangeIsPostedAndAWatchedFolderThatGoesIsDropped) {
    TempTree temp;
    temp.Dir(L"watched");
    Counter counter;
    ChangeWatcher watcher(counter.Window(), kChanged);
    const unsigned id = watcher.AddWatch(temp.Path(L"watched"), FILE_NOTIFY_CHANGE_DIR_NAME, false);
    ASSERT_TRUE(watcher.WaitSettled());
    ASSERT_TRUE(watcher.Live(id));
    temp.Dir(L"watched\\new");
    EXPECT_GE(counter.Count(1000), 1);

    ASSERT_TRUE(::RemoveDirectoryW(temp.Path(L"watched\\new").c_str()));
    ASSERT_TRUE(::RemoveDirectoryW(temp.Path(L"watched").c_str()));
    const int after_removal = counter.Count(1000);
    // The gone folder is no longer watched: no stream of messages follows.
    EXPECT_EQ(counter.Count(1000), after_removal);
    EXPECT_LE(after_removal, 4);
    EXPECT_TRUE(watcher.Running());
}

// A folder past the classic length limit is watched like any other, and
// stays watched after a change (a plain path would not find it again).
TEST(ChangeWatcher, AFolderPastTheClassicLimitIsWatched) {
    TempTree temp;
    std::wstring deep = L"watched";
    temp.Dir(deep);
    while (temp.Path(deep).size() <= 300) {
        deep += L"\\" + std::wstring(60, L'd');
        temp.Dir(deep);
    }
    Counter counter;
    ChangeWatcher watcher(counter.Window(), kChanged);
    const unsigned id = watcher.AddWatch(temp.Path(deep), FILE_NOTIFY_CHANGE_DIR_NAME, false);
    ASSERT_TRUE(watcher.WaitSettled());
    ASSERT_TRUE(watcher.Live(id));
    temp.Dir(deep + L"\\one");
    const int first = counter.Count(1000);
    EXPECT_GE(first, 1);
    temp.Dir(deep + L"\\two");
    EXPECT_GT(counter.Count(1000), first) << "the watch was dropped after the first change";
    EXPECT_TRUE(watcher.Live(id));
}

}  // namespace
}  // namespace census
