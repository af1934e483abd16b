// The platform's progress dialog fed by a running transfer: the item being
// carried, files and bytes done, and a Cancel button the transfer asks
// between files.
//
// Made, fed and closed on the thread that runs the transfer; the dialog
// itself runs on a thread of its own inside the platform's object, so it
// paints and answers while the transfer works. It shows only once a transfer
// has taken longer than a glance, so a small drop does not flash a window.
#pragma once

#include "runtime/handles.h"
#include "shell/transfer/file_operations.h"

#include <shlobj.h>

#include <atomic>
#include <cstdint>
#include <string>

namespace census {

class ProgressDialog : public TransferProgress {
public:
    // owner: the window the dialog belongs to; stop: set by the program to
    // cancel from outside (its window going away).
    ProgressDialog(HWND owner, std::wstring title, const std::atomic<bool>& stop);
    ~ProgressDialog() override;
    ProgressDialog(const ProgressDialog&) = delete;
    ProgressDialog& operator=(const ProgressDialog&) = delete;

    void Planned(std::uint64_t files, std::uint64_t bytes) override;
    void Advanced(std::uint64_t files_done, std::uint64_t bytes_done, const std::wstring& current) override;
    bool CancelRequested() override;

private:
    void ShowWhenDue();
    void Show();

    HWND owner_;
    std::wstring title_;
    const std::atomic<bool>& stop_;
    ComPtr<IProgressDialog> dialog_;
    bool shown_ = false;
    ULONGLONG started_;
    std::uint64_t files_ = 0, bytes_ = 0;
};

// The title of the dialog for a transfer with effect (copy, move, link), or a delete with none.
std::wstring ProgressTitle(DWORD effect);

}  // namespace census
