// The platform's progress dialog fed by a running transfer: the item being
// carried, files and bytes done, and a Cancel button the transfer asks
// between files.
//
// Made, fed and destroyed on the thread that runs the transfer. The dialog
// object lives on a thread of its own, which shows what the transfer has
// reached a few times a second: the transfer only leaves its counts behind
// and never waits for the dialog, whose every update is a round trip to the
// window's thread and a repaint (more than a small file's copy costs). It
// shows only once a transfer has taken longer than a glance, so a small
// drop does not flash a window.
#pragma once

#include "shell/transfer/file_operations.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

namespace census {

class ProgressDialog : public TransferProgress {
public:
    // owner: the window the dialog belongs to; stop: set by the program to
    // cancel from outside (its window going away, the program ending).
    ProgressDialog(HWND owner, std::wstring title, const std::atomic<bool>& stop);
    // Closes the dialog and waits for its thread.
    ~ProgressDialog() override;
    ProgressDialog(const ProgressDialog&) = delete;
    ProgressDialog& operator=(const ProgressDialog&) = delete;

    void Planned(std::uint64_t files, std::uint64_t bytes) override;
    void Advanced(std::uint64_t files_done, std::uint64_t bytes_done, const std::wstring& current) override;
    bool CancelRequested() override;
    // Once the program has asked to stop: a moment after it first asked.
    std::uint64_t UndoDeadline() override;

    class Shown;  // the dialog's thread and what it is to show

private:
    void ShowWhenDue();
    void Ending();

    HWND owner_;
    std::wstring title_;
    const std::atomic<bool>& stop_;
    ULONGLONG started_;
    ULONGLONG ending_since_ = 0;  // when the stop was first seen
    std::uint64_t files_ = 0, bytes_ = 0;
    std::unique_ptr<Shown> shown_;
};

// The title of the dialog for a transfer with effect (copy, move, link), or a delete with none.
std::wstring ProgressTitle(DWORD effect);

}  // namespace census
