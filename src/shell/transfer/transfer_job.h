// Transfers and deletes of this program's own file layer, run one after
// another on a worker thread of their own, so the window that started them
// repaints and answers meanwhile.
//
// Start() queues a task and returns at once. When a task ends, its report is
// kept and `message` posted to the window; the window takes the reports with
// TakeFinished(). Stop() or destroying the object asks the running task to
// stop (it stops between files and undoes its half-made item, as far as a
// program that is ending waits for) and drops the queued tasks that never
// started; destroying waits for the thread.
#pragma once

#include "runtime/handles.h"
#include "shell/transfer/file_operations.h"

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace census {

struct TransferTask {
    std::vector<std::wstring> sources;
    std::wstring folder;               // empty for a delete
    DWORD effect = DROPEFFECT_COPY;    // copy, move or link; none for a delete
    bool from_cut = false;             // a paste of what was cut: the clipboard is emptied once all moved
};

struct FinishedTask {
    TransferTask task;
    TransferReport report;
};

class TransferJobs {
public:
    using FileLayerFactory = std::function<std::unique_ptr<FileOperations>()>;

    TransferJobs(HWND window, UINT message, FileLayerFactory make_files);
    ~TransferJobs();
    TransferJobs(const TransferJobs&) = delete;
    TransferJobs& operator=(const TransferJobs&) = delete;

    void Start(TransferTask task);
    // Does not wait: the owner is going, and the task winds down meanwhile.
    void Stop();
    std::vector<FinishedTask> TakeFinished();
    // Tasks queued or running whose reports have not been taken yet.
    bool Pending() const;

private:
    static DWORD WINAPI ThreadMain(void* self);
    void Work();
    bool NextTask(TransferTask& task);
    TransferReport Perform(const TransferTask& task);
    void StopAndWait();

    HWND window_;
    UINT message_;
    FileLayerFactory make_files_;
    mutable std::mutex mutex_;
    std::deque<TransferTask> queued_;
    std::vector<FinishedTask> finished_;
    std::size_t unreported_ = 0;  // started but not yet taken
    std::atomic<bool> stop_{false};
    UniqueKernelHandle wake_;     // auto-reset: a task was queued, or stop
    UniqueKernelHandle thread_;
};

}  // namespace census
