#include "shell/watching/change_watcher.h"

#include "runtime/path_names.h"

#include <array>
#include <atomic>
#include <deque>
#include <mutex>
#include <unordered_set>

namespace census {
namespace {

enum Action { kAdd, kRemoveOne, kRemoveAll, kEnd };

std::atomic<unsigned> last_watch_id{0};

HANDLE OpenWithThePlatform(const std::wstring& path, bool subtree, DWORD filter) {
    return ::FindFirstChangeNotificationW(ExtendedPath(path).c_str(), subtree, filter);
}

}  // namespace

struct ChangeWatcher::Shared {
    struct Request {
        std::uint64_t sequence;
        int action;
        unsigned id;
        std::wstring path;
        DWORD filter;
        bool subtree;
    };
    struct Slot {
        UniqueChangeHandle handle;
        std::wstring path;
        unsigned id = 0;
    };

    Shared(HWND owner_window, UINT change_message, WatchOpener watch_opener)
        : action_event(::CreateEventW(nullptr, FALSE, FALSE, nullptr)),
          processed_event(::CreateEventW(nullptr, FALSE, FALSE, nullptr)),
          owner(owner_window),
          message(change_message),
          opener(watch_opener ? std::move(watch_opener) : WatchOpener(&OpenWithThePlatform)) {}

    bool TakeRequests();
    void Open(const Request& request);
    void Close(Slot& slot);
    void Changed(int slot);
    bool DropRefusedSlots();
    void Run();

    UniqueKernelHandle action_event;
    UniqueKernelHandle processed_event;
    const HWND owner;
    const UINT message;
    const WatchOpener opener;
    std::array<Slot, kSlots> slots;  // the thread's alone while it runs

    // Written by both threads, under the lock.
    std::mutex lock;
    std::deque<Request> requests;
    std::unordered_set<unsigned> live;  // the ids held in slots
    std::atomic<std::uint64_t> processed{0};
};

void ChangeWatcher::Shared::Open(const Request& request) {
    HANDLE opened = request.path.empty() ? nullptr : opener(request.path, request.subtree, request.filter);
    UniqueChangeHandle handle(opened ? opened : INVALID_HANDLE_VALUE);
    if (!handle) return;
    for (Slot& slot : slots) {
        if (slot.handle) continue;
        slot = Slot{std::move(handle), request.path, request.id};
        std::lock_guard<std::mutex> hold(lock);
        live.insert(request.id);
        return;
    }
}

void ChangeWatcher::Shared::Close(Slot& slot) {
    {
        std::lock_guard<std::mutex> hold(lock);
        live.erase(slot.id);
    }
    slot = Slot{};
}

// Carries out the queued requests in order; what a later remove-all undoes
// is not opened at all. False when the thread is to end.
bool ChangeWatcher::Shared::TakeRequests() {
    std::deque<Request> taken;
    {
        std::lock_guard<std::mutex> hold(lock);
        taken.swap(requests);
    }
    std::size_t first = 0;
    for (std::size_t i = 0; i < taken.size(); ++i)
        if (taken[i].action == kRemoveAll || taken[i].action == kEnd) first = i;
    bool go_on = true;
    for (std::size_t i = first; i < taken.size(); ++i) {
        const Request& request = taken[i];
        switch (request.action) {
            case kAdd:
                Open(request);
                break;
            case kRemoveOne:
                for (Slot& slot : slots)
                    if (slot.handle && slot.id == request.id) Close(slot);
                break;
            case kRemoveAll:
                for (Slot& slot : slots)
                    if (slot.handle) Close(slot);
                break;
            default:
                go_on = false;
                break;
        }
    }
    if (!taken.empty()) processed.store(taken.back().sequence);
    ::SetEvent(processed_event.get());
    return go_on;
}

// One message per change. A folder that is gone (or no longer a folder) is
// not watched again: its handle could stay signalled for ever.
void ChangeWatcher::Shared::Changed(int index) {
    Slot& slot = slots[index];
    ::PostMessageW(owner, message, static_cast<WPARAM>(slot.id), 0);
    const DWORD attributes = ::GetFileAttributesW(ExtendedPath(slot.path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        !::FindNextChangeNotification(slot.handle.get()))
        Close(slot);
}

// The wait refused its handles: drop those the platform no longer takes.
bool ChangeWatcher::Shared::DropRefusedSlots() {
    bool dropped = false;
    for (Slot& slot : slots) {
        if (slot.handle && ::WaitForSingleObject(slot.handle.get(), 0) == WAIT_FAILED) {
            Close(slot);
            dropped = true;
        }
    }
    return dropped;
}

void ChangeWatcher::Shared::Run() {
    for (;;) {
        HANDLE handles[kSlots + 1];
        int slot_of[kSlots + 1];
        DWORD count = 0;
        handles[count++] = action_event.get();
        for (int i = 0; i < kSlots; ++i) {
            if (!slots[i].handle) continue;
            slot_of[count] = i;
            handles[count++] = slots[i].handle.get();
        }
        const DWORD woken = ::WaitForMultipleObjects(count, handles, FALSE, INFINITE);
        if (woken == WAIT_OBJECT_0) {
            if (!TakeRequests()) return;
        } else if (woken > WAIT_OBJECT_0 && woken < WAIT_OBJECT_0 + count) {
            Changed(slot_of[woken - WAIT_OBJECT_0]);
        } else if (woken > WAIT_ABANDONED_0 && woken < WAIT_ABANDONED_0 + count) {
            Close(slots[slot_of[woken - WAIT_ABANDONED_0]]);
        } else if (!DropRefusedSlots()) {
            return;  // nothing left to drop: waiting again would spin
        }
    }
}

DWORD WINAPI ChangeWatcher::ThreadMain(void* parameter) {
    std::unique_ptr<std::shared_ptr<Shared>> shared(static_cast<std::shared_ptr<Shared>*>(parameter));
    (*shared)->Run();
    return 0;
}

ChangeWatcher::ChangeWatcher(HWND owner, UINT message, WatchOpener opener)
    : shared_(std::make_shared<Shared>(owner, message, std::move(opener))) {
    if (!shared_->action_event || !shared_->processed_event) return;
    auto for_thread = std::make_unique<std::shared_ptr<Shared>>(shared_);
    thread_.reset(::CreateThread(nullptr, 0, &ThreadMain, for_thread.get(), 0, nullptr));
    if (thread_) for_thread.release();  // the thread owns it now
}

// The thread is told to end and given its time; one that does not end (an
// opener that hangs) keeps what it uses (the shared part), so nothing is
// closed under a live wait.
ChangeWatcher::~ChangeWatcher() {
    if (!thread_) return;
    Queue(kEnd, 0);
    ::WaitForSingleObject(thread_.get(), kWatcherEndWait);
}

std::uint64_t ChangeWatcher::Queue(int action, unsigned id, const std::wstring& path, DWORD filter, bool subtree) {
    std::uint64_t sequence;
    {
        std::lock_guard<std::mutex> hold(shared_->lock);
        sequence = ++last_queued_;
        shared_->requests.push_back({sequence, action, id, path, filter, subtree});
    }
    ::SetEvent(shared_->action_event.get());
    return sequence;
}

unsigned ChangeWatcher::AddWatch(const std::wstring& path, DWORD filter, bool subtree) {
    const unsigned id = ++last_watch_id;
    if (!thread_) return id;  // never live
    added_[id] = Queue(kAdd, id, path, filter, subtree);
    return id;
}

void ChangeWatcher::RemoveWatch(unsigned id) {
    if (added_.erase(id) && thread_) Queue(kRemoveOne, id);
}

void ChangeWatcher::RemoveAll() {
    added_.clear();
    if (thread_) Queue(kRemoveAll, 0);
}

// Sequence numbers only grow, so an answer that comes late still counts for
// the requests it covers.
bool ChangeWatcher::WaitSettled(DWORD ms) {
    if (!thread_) return false;
    const ULONGLONG end = ::GetTickCount64() + ms;
    while (shared_->processed.load() < last_queued_) {
        const ULONGLONG now = ::GetTickCount64();
        if (now >= end) return false;
        ::WaitForSingleObject(shared_->processed_event.get(), static_cast<DWORD>(end - now));
    }
    return true;
}

bool ChangeWatcher::Live(unsigned id) const {
    auto added = added_.find(id);
    if (added == added_.end()) return false;
    if (shared_->processed.load() < added->second) return true;
    std::lock_guard<std::mutex> hold(shared_->lock);
    return shared_->live.count(id) != 0;
}

// --- many watchers -----------------------------------------------------------

// A thread is full when it holds 63 watches or has not yet come to as many;
// a watch it refused frees its place.
void ChangeWatchers::Add(const std::wstring& path, DWORD filter, bool subtree, const void* key) {
    if (key) Remove(key);
    std::vector<int> used(threads_.size(), 0);
    for (auto it = watches_.begin(); it != watches_.end();) {
        if (!threads_[it->second.thread]->Live(it->first)) {
            if (it->second.key) keyed_.erase(it->second.key);
            it = watches_.erase(it);
        } else {
            ++used[it->second.thread];
            ++it;
        }
    }
    size_t thread = 0;
    while (thread < threads_.size() && used[thread] >= ChangeWatcher::kSlots) ++thread;
    if (thread == threads_.size()) threads_.push_back(std::make_unique<ChangeWatcher>(owner_, message_, opener_));
    const unsigned id = threads_[thread]->AddWatch(path, filter, subtree);
    watches_[id] = Watch{thread, path, subtree, key};
    if (key) keyed_[key] = id;
}

void ChangeWatchers::Remove(const void* key) {
    auto found = keyed_.find(key);
    if (found == keyed_.end()) return;
    auto watch = watches_.find(found->second);
    if (watch != watches_.end()) {
        threads_[watch->second.thread]->RemoveWatch(found->second);
        watches_.erase(watch);
    }
    keyed_.erase(found);
}

void ChangeWatchers::RemoveAll() {
    for (auto& watcher : threads_) watcher->RemoveAll();
    watches_.clear();
    keyed_.clear();
}

bool ChangeWatchers::WaitSettled(DWORD ms) {
    bool settled = true;
    for (auto& watcher : threads_) settled = watcher->WaitSettled(ms) && settled;
    return settled;
}

bool ChangeWatchers::Live(unsigned id) const {
    auto watch = watches_.find(id);
    return watch != watches_.end() && threads_[watch->second.thread]->Live(id);
}

namespace {

// folder is path, or lies below it.
bool WithinFolder(const std::wstring& path, const std::wstring& folder, bool below) {
    return below ? SameOrInside(folder, path) : SamePath(folder, path);
}

}  // namespace

bool ChangeWatchers::Covers(unsigned id, const std::wstring& folder) const {
    auto watch = watches_.find(id);
    return watch != watches_.end() && WithinFolder(watch->second.path, folder, watch->second.subtree);
}

bool ChangeWatchers::AnyCovers(const std::wstring& folder) const {
    for (const auto& [id, watch] : watches_)
        if (WithinFolder(watch.path, folder, watch.subtree) && Live(id)) return true;
    return false;
}

// --- what the platform watches -----------------------------------------------

namespace {

class ProbeFolder {
public:
    explicit ProbeFolder(std::wstring path) : path_(std::move(path)) { ::CreateDirectoryW(path_.c_str(), nullptr); }
    ~ProbeFolder() { ::RemoveDirectoryW(path_.c_str()); }
    ProbeFolder(const ProbeFolder&) = delete;
    ProbeFolder& operator=(const ProbeFolder&) = delete;
    const std::wstring& Path() const { return path_; }

private:
    std::wstring path_;
};

bool ProbeSubtreeWatch() {
    wchar_t temp[MAX_PATH + 1] = {};
    if (!::GetTempPathW(MAX_PATH + 1, temp)) return false;
    ProbeFolder root(std::wstring(temp) + L"census-watch-" + std::to_wstring(::GetCurrentProcessId()));
    ProbeFolder old(root.Path() + L"\\old");
    UniqueChangeHandle watch(::FindFirstChangeNotificationW(root.Path().c_str(), TRUE, FILE_NOTIFY_CHANGE_DIR_NAME));
    if (!watch) return false;
    ProbeFolder created(old.Path() + L"\\new");
    return ::WaitForSingleObject(watch.get(), 0) == WAIT_OBJECT_0;
}

}  // namespace

bool PlatformWatchesWholeSubtrees() {
    static const bool answer = ProbeSubtreeWatch();
    return answer;
}

}  // namespace census
