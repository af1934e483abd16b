#include "shell/transfer/transfer_job.h"

#include "runtime/errors.h"
#include "shell/transfer/progress_dialog.h"

#include <objbase.h>

namespace census {
namespace {

TransferKind KindOf(const TransferTask& task) {
    if (task.folder.empty()) return TransferKind::Delete;
    if (task.effect == DROPEFFECT_MOVE) return TransferKind::Move;
    if (task.effect == DROPEFFECT_LINK) return TransferKind::Link;
    return TransferKind::Copy;
}

ItemOutcome FailedItem(const std::wstring& source, const std::wstring& why) {
    ItemOutcome item;
    item.source = source;
    item.reason = StayReason::Failed;
    item.detail = why;
    return item;
}

// What a task that threw did: nothing is claimed as done.
TransferReport Failure(const TransferTask& task, const std::wstring& why) {
    TransferReport report;
    report.kind = KindOf(task);
    for (const std::wstring& source : task.sources) report.items.push_back(FailedItem(source, why));
    return report;
}

// A source the file layer's report does not name is not claimed as done:
// it stays, and the report says that nothing was told about it.
void AccountForEvery(const TransferTask& task, TransferReport& report) {
    if (report.items.empty()) report.kind = KindOf(task);
    std::vector<bool> named(report.items.size(), false);
    for (const std::wstring& source : task.sources) {
        std::size_t i = 0;
        while (i < report.items.size() && (named[i] || report.items[i].source != source)) ++i;
        if (i < named.size()) {
            named[i] = true;
        } else {
            report.items.push_back(FailedItem(source, L"операция не сообщила, что с ним стало"));
            named.push_back(true);
        }
    }
}

// Waits for a thread while answering the messages other threads send to
// this one: the progress dialog's thread may send to its owner window
// while it closes.
void WaitAnswering(HANDLE thread) {
    for (;;) {
        const DWORD woken = ::MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE);
        if (woken != WAIT_OBJECT_0 + 1) return;
        MSG msg;
        ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

}  // namespace

TransferJobs::TransferJobs(HWND window, UINT message, FileLayerFactory make_files)
    : window_(window), message_(message), make_files_(std::move(make_files)),
      wake_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
    if (wake_) thread_.reset(::CreateThread(nullptr, 0, &ThreadMain, this, 0, nullptr));
    if (!thread_) throw Exception(SystemErrorMessage(::GetLastError()));
}

TransferJobs::~TransferJobs() {
    StopAndWait();
}

void TransferJobs::Start(TransferTask task) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queued_.push_back(std::move(task));
        ++unreported_;
    }
    ::SetEvent(wake_.get());
}

void TransferJobs::Stop() {
    stop_.store(true);
    ::SetEvent(wake_.get());
}

std::vector<FinishedTask> TransferJobs::TakeFinished() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<FinishedTask> taken;
    taken.swap(finished_);
    unreported_ -= taken.size();
    return taken;
}

bool TransferJobs::Pending() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return unreported_ > 0;
}

DWORD WINAPI TransferJobs::ThreadMain(void* self) {
    static_cast<TransferJobs*>(self)->Work();
    return 0;
}

// The worker's own apartment: shortcuts and the progress dialog are COM
// objects made and used on this thread only.
void TransferJobs::Work() {
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    while (!stop_.load()) {
        ::WaitForSingleObject(wake_.get(), INFINITE);
        TransferTask task;
        while (NextTask(task)) {
            TransferReport report = Perform(task);
            {
                std::lock_guard<std::mutex> lock(mutex_);
                finished_.push_back({std::move(task), std::move(report)});
            }
            ::PostMessageW(window_, message_, 0, 0);
        }
    }
    if (SUCCEEDED(com)) ::CoUninitialize();
}

bool TransferJobs::NextTask(TransferTask& task) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stop_.load() || queued_.empty()) return false;
    task = std::move(queued_.front());
    queued_.pop_front();
    return true;
}

TransferReport TransferJobs::Perform(const TransferTask& task) {
    try {
        std::unique_ptr<FileOperations> files = make_files_();
        ProgressDialog progress(::GetAncestor(window_, GA_ROOT), ProgressTitle(task.effect), stop_);
        TransferReport report = task.folder.empty() ? files->Delete(task.sources, progress)
                                                    : files->Run(task.sources, task.folder, task.effect, progress);
        AccountForEvery(task, report);
        return report;
    } catch (const Exception& error) {
        return Failure(task, error.Message());
    } catch (...) {
        return Failure(task, L"");
    }
}

void TransferJobs::StopAndWait() {
    Stop();
    WaitAnswering(thread_.get());
}

}  // namespace census
