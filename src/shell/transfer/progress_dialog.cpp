#include "shell/transfer/progress_dialog.h"

#include "runtime/handles.h"

#include <objbase.h>
#include <shlobj.h>

#include <mutex>

namespace census {
namespace {

// The platform's progress dialog object and its interface; the headers and
// libraries of some tool chains declare neither.
constexpr CLSID kProgressDialogClass = {0xF8383852, 0xFCD3, 0x11D1, {0xA6, 0xB9, 0x00, 0x60, 0x97, 0xDF, 0x5B, 0xD4}};
constexpr IID kProgressDialogInterface = {0xEBBC7C04, 0x315E, 0x11D2, {0xB6, 0x2F, 0x00, 0x60, 0x97, 0xDF, 0x5B, 0xD4}};
// A transfer that ends sooner shows no dialog.
constexpr ULONGLONG kShowAfter = 500;
// How often the dialog shows the counts: enough for the eye.
constexpr DWORD kUpdateEvery = 100;
// How long a program that is ending waits for a half-made copy to be undone.
constexpr ULONGLONG kUndoWhileEnding = 1000;

std::wstring Megabytes(std::uint64_t bytes) {
    const std::uint64_t tenths = (bytes * 10 + 512 * 1024) / (1024 * 1024);
    return std::to_wstring(tenths / 10) + L"," + std::to_wstring(tenths % 10) + L" МБ";
}

}  // namespace

// The dialog object is made, fed and stopped on this thread alone.
class ProgressDialog::Shown {
public:
    Shown(HWND owner, std::wstring title, std::uint64_t files, std::uint64_t bytes)
        : owner_(owner), title_(std::move(title)), files_(files), bytes_(bytes),
          end_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        if (end_) thread_.reset(::CreateThread(nullptr, 0, &ThreadMain, this, 0, nullptr));
    }
    ~Shown() {
        End();
        if (thread_) ::WaitForSingleObject(thread_.get(), INFINITE);
    }
    Shown(const Shown&) = delete;
    Shown& operator=(const Shown&) = delete;

    void Reached(std::uint64_t files_done, std::uint64_t bytes_done, const std::wstring& current) {
        std::lock_guard<std::mutex> hold(lock_);
        files_done_ = files_done;
        bytes_done_ = bytes_done;
        current_ = current;
        changed_ = true;
    }
    bool Cancelled() const { return cancelled_.load(); }
    // Closes the dialog without waiting for it.
    void End() {
        if (end_) ::SetEvent(end_.get());
    }

private:
    static DWORD WINAPI ThreadMain(void* self) {
        static_cast<Shown*>(self)->Run();
        return 0;
    }

    void Run() {
        const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        {
            ComPtr<IProgressDialog> dialog;
            // Without a dialog the transfer goes on; the report at the end still says what happened.
            if (SUCCEEDED(::CoCreateInstance(kProgressDialogClass, nullptr, CLSCTX_INPROC_SERVER,
                                             kProgressDialogInterface, dialog.put_void())) &&
                dialog) {
                dialog->SetTitle(title_.c_str());
                dialog->SetCancelMsg(L"Остановка после текущего файла...", nullptr);
                if (SUCCEEDED(dialog->StartProgressDialog(owner_, nullptr, PROGDLG_NORMAL | PROGDLG_AUTOTIME, nullptr))) {
                    dialog->Timer(PDTIMER_RESET, nullptr);
                    do {
                        Show(dialog.get());
                    } while (::WaitForSingleObject(end_.get(), kUpdateEvery) == WAIT_TIMEOUT);
                    dialog->StopProgressDialog();
                }
            }
        }
        if (SUCCEEDED(com)) ::CoUninitialize();
    }

    void Show(IProgressDialog* dialog) {
        cancelled_.store(dialog->HasUserCancelled() != FALSE);
        std::uint64_t files_done, bytes_done;
        std::wstring current;
        {
            std::lock_guard<std::mutex> hold(lock_);
            if (!changed_) return;
            changed_ = false;
            files_done = files_done_;
            bytes_done = bytes_done_;
            current = current_;
        }
        dialog->SetLine(1, current.c_str(), TRUE, nullptr);
        std::wstring counts = L"Файлов: " + std::to_wstring(files_done) + L" из " + std::to_wstring(files_);
        if (bytes_ > 0) counts += L", " + Megabytes(bytes_done) + L" из " + Megabytes(bytes_);
        dialog->SetLine(2, counts.c_str(), FALSE, nullptr);
        // Bytes drive the bar; a transfer of empty files moves it by files.
        if (bytes_ > 0) {
            dialog->SetProgress64(bytes_done, bytes_);
        } else {
            dialog->SetProgress64(files_done, files_ ? files_ : 1);
        }
    }

    const HWND owner_;
    const std::wstring title_;
    const std::uint64_t files_, bytes_;
    std::mutex lock_;
    std::uint64_t files_done_ = 0, bytes_done_ = 0;
    std::wstring current_;
    bool changed_ = false;
    std::atomic<bool> cancelled_{false};
    UniqueKernelHandle end_;
    UniqueKernelHandle thread_;
};

std::wstring ProgressTitle(DWORD effect) {
    switch (effect) {
        case DROPEFFECT_COPY: return L"Копирование";
        case DROPEFFECT_MOVE: return L"Перемещение";
        case DROPEFFECT_LINK: return L"Создание ярлыков";
        default: return L"Удаление";
    }
}

ProgressDialog::ProgressDialog(HWND owner, std::wstring title, const std::atomic<bool>& stop)
    : owner_(owner), title_(std::move(title)), stop_(stop), started_(::GetTickCount64()) {}

ProgressDialog::~ProgressDialog() = default;

void ProgressDialog::Planned(std::uint64_t files, std::uint64_t bytes) {
    files_ = files;
    bytes_ = bytes;
    ShowWhenDue();
}

void ProgressDialog::Advanced(std::uint64_t files_done, std::uint64_t bytes_done, const std::wstring& current) {
    ShowWhenDue();
    if (shown_) shown_->Reached(files_done, bytes_done, current);
}

bool ProgressDialog::CancelRequested() {
    if (stop_.load()) {
        Ending();
        return true;
    }
    ShowWhenDue();
    return shown_ && shown_->Cancelled();
}

std::uint64_t ProgressDialog::UndoDeadline() {
    if (!stop_.load()) return 0;
    Ending();
    return ending_since_ + kUndoWhileEnding;
}

// The program is ending: the dialog goes at once, while the transfer undoes
// what it half made.
void ProgressDialog::Ending() {
    if (ending_since_) return;
    ending_since_ = ::GetTickCount64();
    if (shown_) shown_->End();
}

void ProgressDialog::ShowWhenDue() {
    if (shown_ || ending_since_ || ::GetTickCount64() - started_ < kShowAfter) return;
    shown_ = std::make_unique<Shown>(owner_, title_, files_, bytes_);
}

}  // namespace census
