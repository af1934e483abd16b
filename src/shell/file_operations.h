// Copy, move and link of files and folders into a folder, carried out by
// this program where the platform's shell accepts a drop or a paste but does
// not do the work.
//
// Whether the shell does the work is decided once per process, from what the
// shell offers: the context menu of a file-system folder (the temporary
// folder), asked to include renaming, has a "rename" command only where the
// shell's folder commands and drop targets carry out the file work
// themselves. (A "paste" command would tell the same, but it is offered only
// while the clipboard holds files.) Where the shell does the work, the tree
// leaves every transfer to it and this layer does nothing, so no work is
// ever done twice.
//
// A move copies first, confirms that the whole copy is at the destination and
// only then removes the source. Every refusal and failure is shown in a
// message box; a failed step leaves the source in place, and nothing is
// reported as done that was not.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace census {

// True when the platform's shell carries out drops and pastes into file-system folders.
bool ShellTransfersFiles();

// Ctrl copies, Shift moves, Ctrl+Shift links; otherwise a move within one
// drive and a copy across drives; limited to allowed (none when the chosen
// effect is not allowed). keys: MK_ flags.
DWORD DefaultDropEffect(DWORD keys, DWORD allowed, bool same_drive);

// True when both paths lie on the same drive (or the same network share).
bool SameDrive(const std::wstring& a, const std::wstring& b);

class FileOperations {
public:
    virtual ~FileOperations() = default;
    // Why the sources cannot go into folder with effect; empty when they can.
    virtual std::wstring Refusal(const std::vector<std::wstring>& sources, const std::wstring& folder,
                                 DWORD effect) = 0;
    // Carries every source into folder with effect (one of copy, move, link).
    // False when something was refused or failed (it has been reported).
    virtual bool Transfer(const std::vector<std::wstring>& sources, const std::wstring& folder, DWORD effect) = 0;
};

std::unique_ptr<FileOperations> MakeFileOperations();

}  // namespace census
