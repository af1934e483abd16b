// This program's own transfers in the folder tree, where the shell does no
// file work: the file layer, the paste, the start of a paste's or a drop's
// transfer, its end with the summary, the refusals, and the delete that a
// link inside the folder would lead out of it.
//
// A transfer runs on the worker of transfer_job.cpp; its end comes back as
// kTransferDoneMessage and is reported here.
#include "shell/tree/shell_tree.h"

#include "runtime/application.h"
#include "runtime/errors.h"
#include "runtime/wait_cursor.h"
#include "shell/transfer/file_operations.h"
#include "shell/transfer/progress_dialog.h"
#include "shell/transfer/tree_data_object.h"
#include "shell/tree/shell_tree_messages.h"

#include <atomic>
#include <exception>
#include <thread>

namespace census {
namespace {

// Paint messages taken at a time while the link check runs.
constexpr int kPaintBatch = 64;

}  // namespace

// --- the file layer -------------------------------------------------------------------

FileOperations& ShellTree::Files() {
    if (!file_operations_) file_operations_ = file_layer_factory_ ? file_layer_factory_() : MakeFileOperations();
    return *file_operations_;
}

void ShellTree::SetFileLayerFactory(std::function<std::unique_ptr<FileOperations>()> factory) {
    file_layer_factory_ = std::move(factory);
    file_operations_.reset();
}

// --- transfers ------------------------------------------------------------------------

bool ShellTree::TransfersRunning() const {
    return transfers_ && transfers_->Pending();
}

void ShellTree::StopTransfers() {
    if (transfers_) transfers_->Stop();
}

void ShellTree::StartTransfer(TransferTask task) {
    if (!transfers_) {
        auto factory = file_layer_factory_;
        transfers_ = std::make_unique<TransferJobs>(Handle(), kTransferDoneMessage, [factory] {
            return factory ? factory() : MakeFileOperations();
        });
    }
    transfers_->Start(std::move(task));
}

// One message per ended task, then one refresh for all of them.
void ShellTree::TransfersFinished() {
    if (!transfers_) return;
    std::vector<FinishedTask> finished = transfers_->TakeFinished();
    if (finished.empty()) return;
    Application& app = Application::Instance();
    for (const FinishedTask& done : finished) {
        // What was cut is gone from where the clipboard says it is.
        if (done.task.from_cut && done.report.Complete()) ::OleSetClipboard(nullptr);
        const std::wstring summary = done.report.Summary();
        if (!summary.empty())
            app.MessageBox(summary, app.Title(), MB_OK | (done.report.Complete() ? MB_ICONINFORMATION : MB_ICONSTOP));
    }
    if (TreeNode selected = Selected()) SelectParentIfGone(selected);
    RefreshAfterOperation();
}

void ShellTree::ShowRefusal(const std::wstring& text) {
    Application& app = Application::Instance();
    app.MessageBox(text, app.Title(), MB_OK | MB_ICONSTOP);
}

// --- paste ----------------------------------------------------------------------------

// The transfer runs on the worker; its end shows the report and refreshes.
// A refusal is known at once and shown at once.
HRESULT ShellTree::PasteOwn(TreeNode node) {
    const std::wstring folder = ShellData(node)->Path();
    ComPtr<IDataObject> clipboard;
    std::vector<std::wstring> paths;
    if (!folder.empty() && SUCCEEDED(::OleGetClipboard(clipboard.put())) && clipboard)
        paths = ReadDroppedPaths(clipboard.get());
    if (paths.empty()) {
        ::MessageBeep(MB_ICONWARNING);
        RefreshAfterOperation();
        return S_FALSE;
    }
    const DWORD effect = ReadPreferredEffect(clipboard.get()) & DROPEFFECT_MOVE ? DROPEFFECT_MOVE : DROPEFFECT_COPY;
    if (const std::wstring refusal = Files().Refusal(paths, folder, effect); !refusal.empty()) {
        ShowRefusal(refusal);
        RefreshAfterOperation();
        return E_FAIL;
    }
    StartTransfer({std::move(paths), folder, effect, effect == DROPEFFECT_MOVE});
    return S_OK;
}

// --- delete ---------------------------------------------------------------------------

// The shell's delete where it does no file work of its own follows a link
// inside the folder and deletes what it leads to; such a folder is not
// handed to it, nor one the check could not look through.
// A Cancel in the check's progress dialog ends the delete too.
bool ShellTree::RefuseLinkedDelete(TreeNode node) {
    if (ShellTransfersFiles()) return false;
    ShellTreeData* data = ShellData(node);
    const std::wstring path = data ? data->Path() : std::wstring();
    if (path.empty()) return false;
    const LinkSearch search = LinkInsideChecked(path);
    switch (search.reason) {
    case StayReason::None: return false;
    case StayReason::Cancelled: return true;
    case StayReason::Link:
        ShowRefusal(L"\u00AB" + path + L"\u00BB не удалена: в ней есть ссылка \u00AB" + search.detail +
                    L"\u00BB. Удаление прошло бы по ней и удалило бы файлы вне этой папки.");
        return true;
    default: {
        ItemOutcome unchecked{path};
        unchecked.reason = search.reason;
        unchecked.detail = search.detail;
        ShowRefusal(L"\u00AB" + path + L"\u00BB не удалена: не удалось проверить, нет ли в ней ссылок (" +
                    ReasonText(unchecked) + L"). Удаление могло бы пройти по ссылке и удалить файлы вне этой папки.");
        return true;
    }
    }
}

// The check walks the whole folder, which can take long: it runs on a thread
// of its own with the platform's progress dialog and its Cancel, while this
// thread keeps the windows painted and answers what other threads send. It
// takes no input meanwhile, so the node the delete is for stays as it is.
LinkSearch ShellTree::LinkInsideChecked(const std::wstring& path) {
    WaitCursor wait;
    FileOperations& files = Files();
    const HWND owner = OwnerWindow();
    std::atomic<bool> stop{false};
    LinkSearch link;
    std::exception_ptr failed;
    UniqueKernelHandle done(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!done) throw Exception(SystemErrorMessage(::GetLastError()));
    std::thread checker([&] {
        const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        try {
            ProgressDialog progress(owner, ProgressTitle(DROPEFFECT_NONE), stop);
            link = files.FindLinkInside(path, progress);
        } catch (...) {
            failed = std::current_exception();
        }
        if (SUCCEEDED(com)) ::CoUninitialize();
        ::SetEvent(done.get());
    });
    WaitPainting(done.get());
    checker.join();
    if (failed) std::rethrow_exception(failed);
    return link;
}

// Paint messages are taken a batch at a time: a window that never validates
// must not keep this loop from seeing the end.
void ShellTree::WaitPainting(HANDLE done) {
    while (::MsgWaitForMultipleObjects(1, &done, FALSE, INFINITE, QS_SENDMESSAGE | QS_PAINT) != WAIT_OBJECT_0) {
        MSG msg;
        for (int i = 0; i < kPaintBatch && ::PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++i)
            ::DispatchMessageW(&msg);
    }
}

}  // namespace census
