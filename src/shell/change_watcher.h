// Directory change notifications waited on by background threads, each
// change posted as a message to a window of the user interface thread.
//
// A ChangeWatcher is one thread with 63 slots (the wait call takes 64
// handles; one is the request event). The user interface thread hands it
// requests through two auto-reset events and fields written before the
// request is signalled; the thread never touches anything else of the
// program. ChangeWatchers adds threads as slots run out.
#pragma once

#include "runtime/handles.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace census {

// Longest wait of the user interface thread for a request to be taken.
constexpr DWORD kWatchRequestWait = 2000;
// Longest wait for a watcher thread to end when it is destroyed.
constexpr DWORD kWatcherEndWait = 30000;

class ChangeWatcher {
public:
    static constexpr int kSlots = 63;

    // Every change is posted to owner as message (wParam: the slot, lParam: 0).
    ChangeWatcher(HWND owner, UINT message);
    ~ChangeWatcher();
    ChangeWatcher(const ChangeWatcher&) = delete;
    ChangeWatcher& operator=(const ChangeWatcher&) = delete;

    // The watch's id, 0 when the path cannot be watched, no slot is free or
    // the thread does not answer in time.
    unsigned AddWatch(const std::wstring& path, DWORD filter, bool subtree);
    bool RemoveWatch(unsigned id);
    bool RemoveAll();
    // Whether the thread is running and answering.
    bool Responsive() const { return thread_ && responsive_; }

private:
    struct Shared;
    enum Action : long { kAdd = 0, kRemoveOne = 1, kRemoveAll = 2, kEnd = 3 };
    bool Request(Action action);
    static DWORD WINAPI ThreadMain(void* parameter);

    // What the thread uses lives here; a thread that outlives its watcher
    // keeps it alive and frees it when it ends.
    std::shared_ptr<Shared> shared_;
    UniqueKernelHandle thread_;
    bool responsive_ = true;
    unsigned next_id_ = 1;
};

// Watches keyed by the caller's tag (a tree node); as many as asked for.
class ChangeWatchers {
public:
    ChangeWatchers(HWND owner, UINT message) : owner_(owner), message_(message) {}

    // A keyed watch replaces an earlier one with the same key; key null: kept
    // until RemoveAll.
    bool Add(const std::wstring& path, DWORD filter, bool subtree, const void* key = nullptr);
    void Remove(const void* key);
    void RemoveAll();
    bool Watches(const void* key) const { return keyed_.count(key) != 0; }
    size_t ThreadCount() const { return threads_.size(); }

private:
    struct Place {
        size_t thread;
        unsigned id;
    };
    HWND owner_;
    UINT message_;
    std::vector<std::unique_ptr<ChangeWatcher>> threads_;
    std::unordered_map<const void*, Place> keyed_;
};

// Whether a subtree watch on this platform reports changes inside folders
// that existed before the watch began. Asked once per process: a change is
// made in a fresh folder below a fresh watch, and the watch must already be
// signalled when the change returns (file systems that watch whole subtrees
// report it as part of the change). Where it is not, the tree also watches
// every folder the user has opened.
bool PlatformWatchesWholeSubtrees();

}  // namespace census
