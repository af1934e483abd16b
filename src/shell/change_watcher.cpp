#include "shell/change_watcher.h"

#include <array>
#include <atomic>

namespace census {

struct ChangeWatcher::Shared {
    struct Slot {
        UniqueChangeHandle handle;
        std::wstring path;
        unsigned id = 0;
    };

    Shared(HWND owner_window, UINT change_message)
        : action_event(::CreateEventW(nullptr, FALSE, FALSE, nullptr)),
          processed_event(::CreateEventW(nullptr, FALSE, FALSE, nullptr)),
          owner(owner_window),
          message(change_message) {}

    bool Perform();
    void TakePending();
    void Changed(int slot);
    bool DropRefusedSlots();
    void Run();

    UniqueKernelHandle action_event;
    UniqueKernelHandle processed_event;
    const HWND owner;
    const UINT message;
    std::array<Slot, kSlots> slots;  // the thread's alone while it runs

    // A request: written by the user interface thread before action_event is
    // signalled, read by the thread after it wakes.
    std::atomic<long> action{kAdd};
    Slot pending;
    unsigned remove_id = 0;
    int new_slot = -1;  // the answer to an add
};

void ChangeWatcher::Shared::TakePending() {
    new_slot = -1;
    for (int i = 0; i < kSlots; ++i) {
        if (slots[i].handle) continue;
        slots[i] = std::move(pending);
        new_slot = i;
        return;
    }
}

bool ChangeWatcher::Shared::Perform() {
    const long requested = action.load();
    switch (requested) {
        case kAdd:
            TakePending();
            break;
        case kRemoveOne:
            for (Slot& slot : slots)
                if (slot.handle && slot.id == remove_id) slot = Slot{};
            break;
        case kRemoveAll:
            for (Slot& slot : slots) slot = Slot{};
            break;
        default:
            break;
    }
    ::SetEvent(processed_event.get());
    return requested != kEnd;
}

// One message per change. A folder that is gone (or no longer a folder) is
// not watched again: its handle could stay signalled for ever.
void ChangeWatcher::Shared::Changed(int index) {
    Slot& slot = slots[index];
    ::PostMessageW(owner, message, static_cast<WPARAM>(index), 0);
    const DWORD attributes = ::GetFileAttributesW(slot.path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        !::FindNextChangeNotification(slot.handle.get()))
        slot = Slot{};
}

// The wait refused its handles: drop those the platform no longer takes.
bool ChangeWatcher::Shared::DropRefusedSlots() {
    bool dropped = false;
    for (Slot& slot : slots) {
        if (slot.handle && ::WaitForSingleObject(slot.handle.get(), 0) == WAIT_FAILED) {
            slot = Slot{};
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
            if (!Perform()) return;
        } else if (woken > WAIT_OBJECT_0 && woken < WAIT_OBJECT_0 + count) {
            Changed(slot_of[woken - WAIT_OBJECT_0]);
        } else if (woken > WAIT_ABANDONED_0 && woken < WAIT_ABANDONED_0 + count) {
            slots[slot_of[woken - WAIT_ABANDONED_0]] = Slot{};
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

ChangeWatcher::ChangeWatcher(HWND owner, UINT message) : shared_(std::make_shared<Shared>(owner, message)) {
    if (!shared_->action_event || !shared_->processed_event) return;
    auto for_thread = std::make_unique<std::shared_ptr<Shared>>(shared_);
    thread_.reset(::CreateThread(nullptr, 0, &ThreadMain, for_thread.get(), 0, nullptr));
    if (thread_) for_thread.release();  // the thread owns it now
}

// The thread is told to end and given its time; one that does not end keeps
// what it uses (the shared part), so nothing is closed under a live wait.
ChangeWatcher::~ChangeWatcher() {
    if (!thread_) return;
    shared_->action.store(kEnd);
    ::SetEvent(shared_->action_event.get());
    ::WaitForSingleObject(thread_.get(), kWatcherEndWait);
}

bool ChangeWatcher::Request(Action action) {
    if (!Responsive()) return false;
    shared_->action.store(action);
    ::ResetEvent(shared_->processed_event.get());
    ::SetEvent(shared_->action_event.get());
    if (::WaitForSingleObject(shared_->processed_event.get(), kWatchRequestWait) == WAIT_OBJECT_0) return true;
    // A late answer could meet the next request's fields: ask nothing more.
    responsive_ = false;
    return false;
}

unsigned ChangeWatcher::AddWatch(const std::wstring& path, DWORD filter, bool subtree) {
    if (!Responsive()) return 0;
    UniqueChangeHandle handle(::FindFirstChangeNotificationW(path.c_str(), subtree, filter));
    if (!handle) return 0;
    const unsigned id = next_id_++;
    shared_->pending = Shared::Slot{std::move(handle), path, id};
    if (!Request(kAdd)) return 0;
    shared_->pending = Shared::Slot{};  // not taken: no slot was free
    return shared_->new_slot >= 0 ? id : 0;
}

bool ChangeWatcher::RemoveWatch(unsigned id) {
    if (!Responsive()) return false;
    shared_->remove_id = id;
    return Request(kRemoveOne);
}

bool ChangeWatcher::RemoveAll() { return Request(kRemoveAll); }

// --- many watchers -----------------------------------------------------------

bool ChangeWatchers::Add(const std::wstring& path, DWORD filter, bool subtree, const void* key) {
    if (key) Remove(key);
    for (size_t i = 0;; ++i) {
        if (i == threads_.size()) threads_.push_back(std::make_unique<ChangeWatcher>(owner_, message_));
        ChangeWatcher& watcher = *threads_[i];
        if (!watcher.Responsive()) {
            if (i + 1 == threads_.size()) return false;
            continue;
        }
        // A path that cannot be watched fails in any thread; only a full one sends us on.
        UniqueChangeHandle probe(::FindFirstChangeNotificationW(path.c_str(), subtree, filter));
        if (!probe) return false;
        probe.reset();
        if (const unsigned id = watcher.AddWatch(path, filter, subtree)) {
            if (key) keyed_[key] = Place{i, id};
            return true;
        }
    }
}

void ChangeWatchers::Remove(const void* key) {
    auto found = keyed_.find(key);
    if (found == keyed_.end()) return;
    threads_[found->second.thread]->RemoveWatch(found->second.id);
    keyed_.erase(found);
}

void ChangeWatchers::RemoveAll() {
    for (auto& watcher : threads_) watcher->RemoveAll();
    keyed_.clear();
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
