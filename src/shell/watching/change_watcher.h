// Directory change notifications waited on by background threads, each
// change posted as a message to a window of the user interface thread.
//
// A ChangeWatcher is one thread with 63 slots (the wait call takes 64
// handles; one is the request event). The user interface thread queues
// requests and never waits for them: the thread opens each watch itself
// (a disconnected network drive may take many seconds to refuse one),
// takes the queue in order and records, under a sequence number, how far
// it has come. A late thread is therefore never out of step with the
// requests, and is never given up on. ChangeWatchers adds threads only as
// slots run out.
#pragma once

#include "runtime/handles.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace census {

// Longest wait of the user interface thread when it does ask for requests
// to have been carried out.
constexpr DWORD kWatchRequestWait = 2000;
// Longest wait for a watcher thread to end when it is destroyed.
constexpr DWORD kWatcherEndWait = 30000;

// Opens a change notification (the platform's FindFirstChangeNotification
// unless a test stands in for a slow drive); runs on the watcher thread.
// INVALID_HANDLE_VALUE or null when the path cannot be watched.
using WatchOpener = std::function<HANDLE(const std::wstring& path, bool subtree, DWORD filter)>;

class ChangeWatcher {
public:
    static constexpr int kSlots = 63;

    // Every change is posted to owner as message (wParam: the watch's id,
    // lParam: 0). Ids are unique in the process.
    ChangeWatcher(HWND owner, UINT message, WatchOpener opener = {});
    ~ChangeWatcher();
    ChangeWatcher(const ChangeWatcher&) = delete;
    ChangeWatcher& operator=(const ChangeWatcher&) = delete;

    // Queues a watch and answers its id at once; the thread opens it.
    unsigned AddWatch(const std::wstring& path, DWORD filter, bool subtree);
    void RemoveWatch(unsigned id);
    void RemoveAll();
    // Waits up to ms for the thread to have carried out every request queued so far.
    bool WaitSettled(DWORD ms = kWatchRequestWait);
    // False once the thread has refused the watch (no such path, no free
    // slot) or dropped it (its folder went, it was removed); true while the
    // thread has not come to it yet.
    bool Live(unsigned id) const;
    bool Running() const { return static_cast<bool>(thread_); }

private:
    struct Shared;
    std::uint64_t Queue(int action, unsigned id, const std::wstring& path = {}, DWORD filter = 0, bool subtree = false);
    static DWORD WINAPI ThreadMain(void* parameter);

    // What the thread uses lives here; a thread that outlives its watcher
    // keeps it alive and frees it when it ends.
    std::shared_ptr<Shared> shared_;
    UniqueKernelHandle thread_;
    std::unordered_map<unsigned, std::uint64_t> added_;  // id -> the request that added it
    std::uint64_t last_queued_ = 0;
};

// Watches keyed by the caller's tag (a tree node); as many as asked for.
class ChangeWatchers {
public:
    ChangeWatchers(HWND owner, UINT message, WatchOpener opener = {})
        : owner_(owner), message_(message), opener_(std::move(opener)) {}

    // Queues a watch. A keyed watch replaces an earlier one with the same
    // key; key null: kept until RemoveAll.
    void Add(const std::wstring& path, DWORD filter, bool subtree, const void* key = nullptr);
    void Remove(const void* key);
    void RemoveAll();
    bool Watches(const void* key) const { return keyed_.count(key) != 0; }
    size_t ThreadCount() const { return threads_.size(); }
    bool WaitSettled(DWORD ms = kWatchRequestWait);

    // Whether a change message with this id comes from a watch still wanted
    // (asked for and not removed; the thread may have dropped it since).
    bool Wanted(unsigned id) const { return watches_.count(id) != 0; }
    // Whether the watch is open or still to be opened.
    bool Live(unsigned id) const;
    // Whether the watch id covers folder (its own folder, or one below it
    // when it watches the subtree).
    bool Covers(unsigned id, const std::wstring& folder) const;
    // Whether any live watch covers folder.
    bool AnyCovers(const std::wstring& folder) const;

private:
    struct Watch {
        size_t thread;
        std::wstring path;
        bool subtree;
        const void* key;
    };
    HWND owner_;
    UINT message_;
    WatchOpener opener_;
    std::vector<std::unique_ptr<ChangeWatcher>> threads_;
    std::unordered_map<unsigned, Watch> watches_;
    std::unordered_map<const void*, unsigned> keyed_;
};

// Whether a subtree watch on this platform reports changes inside folders
// that existed before the watch began. Asked once per process: a change is
// made in a fresh folder below a fresh watch, and the watch must already be
// signalled when the change returns (file systems that watch whole subtrees
// report it as part of the change). Where it is not, the tree also watches
// every folder the user has opened.
bool PlatformWatchesWholeSubtrees();

}  // namespace census
