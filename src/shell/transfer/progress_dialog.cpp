#include "shell/transfer/progress_dialog.h"

namespace census {
namespace {

// The platform's progress dialog object and its interface; the headers and
// libraries of some tool chains declare neither.
constexpr CLSID kProgressDialogClass = {0xF8383852, 0xFCD3, 0x11D1, {0xA6, 0xB9, 0x00, 0x60, 0x97, 0xDF, 0x5B, 0xD4}};
constexpr IID kProgressDialogInterface = {0xEBBC7C04, 0x315E, 0x11D2, {0xB6, 0x2F, 0x00, 0x60, 0x97, 0xDF, 0x5B, 0xD4}};
// A transfer that ends sooner shows no dialog.
constexpr ULONGLONG kShowAfter = 500;

std::wstring Megabytes(std::uint64_t bytes) {
    const std::uint64_t tenths = (bytes * 10 + 512 * 1024) / (1024 * 1024);
    return std::to_wstring(tenths / 10) + L"," + std::to_wstring(tenths % 10) + L" МБ";
}

}  // namespace

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

ProgressDialog::~ProgressDialog() {
    if (dialog_) dialog_->StopProgressDialog();
}

void ProgressDialog::Planned(std::uint64_t files, std::uint64_t bytes) {
    files_ = files;
    bytes_ = bytes;
    ShowWhenDue();
}

void ProgressDialog::Advanced(std::uint64_t files_done, std::uint64_t bytes_done, const std::wstring& current) {
    ShowWhenDue();
    if (!dialog_) return;
    dialog_->SetLine(1, current.c_str(), TRUE, nullptr);
    std::wstring counts = L"Файлов: " + std::to_wstring(files_done) + L" из " + std::to_wstring(files_);
    if (bytes_ > 0) counts += L", " + Megabytes(bytes_done) + L" из " + Megabytes(bytes_);
    dialog_->SetLine(2, counts.c_str(), FALSE, nullptr);
    // Bytes drive the bar; a transfer of empty files moves it by files.
    if (bytes_ > 0) {
        dialog_->SetProgress64(bytes_done, bytes_);
    } else {
        dialog_->SetProgress64(files_done, files_ ? files_ : 1);
    }
}

bool ProgressDialog::CancelRequested() {
    ShowWhenDue();
    return stop_.load() || (dialog_ && dialog_->HasUserCancelled());
}

void ProgressDialog::ShowWhenDue() {
    if (shown_ || ::GetTickCount64() - started_ < kShowAfter) return;
    shown_ = true;
    Show();
}

void ProgressDialog::Show() {
    ComPtr<IProgressDialog> dialog;
    if (FAILED(::CoCreateInstance(kProgressDialogClass, nullptr, CLSCTX_INPROC_SERVER, kProgressDialogInterface,
                                  dialog.put_void())) ||
        !dialog)
        return;  // the transfer goes on without a dialog; the report at the end still says what happened
    dialog->SetTitle(title_.c_str());
    dialog->SetCancelMsg(L"Остановка после текущего файла...", nullptr);
    if (FAILED(dialog->StartProgressDialog(owner_, nullptr, PROGDLG_NORMAL | PROGDLG_AUTOTIME, nullptr))) return;
    dialog->Timer(PDTIMER_RESET, nullptr);
    dialog_ = std::move(dialog);
}

}  // namespace census
