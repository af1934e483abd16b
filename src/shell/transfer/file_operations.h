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
// A move within one volume renames each item; across volumes each item is
// copied, the whole copy confirmed, and only then is its source removed:
// only the entries that were copied, each only while it is as it was when
// read, and a folder only once empty. A failure removes only what this
// operation made, as recorded while making it. Links inside the items are
// never followed: a move within a volume carries them along, a copy
// recreates them where the platform lets it address a link as itself, and
// otherwise the item stays and the report names the link. Nothing is reported as done that was not.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace census {

// True when the platform's shell carries out drops and pastes into file-system folders.
bool ShellTransfersFiles();
// The decision behind it: only a folder menu that was obtained and lacks the
// file commands tells that the shell does nothing; anything less leaves the
// work to the shell.
bool ShellTransfersFilesFrom(bool menu_obtained, bool file_commands_seen);

// Ctrl copies, Shift moves, Ctrl+Shift links; otherwise a move within one
// drive and a copy across drives; limited to allowed (none when the chosen
// effect is not allowed). keys: MK_ flags.
DWORD DefaultDropEffect(DWORD keys, DWORD allowed, bool same_drive);

// True when both paths lie on the same drive (or the same network share).
bool SameDrive(const std::wstring& a, const std::wstring& b);

// How one item of a transfer ended.
enum class ItemFate { Moved, Copied, Linked, Deleted, Stayed };

// Why an item stayed where it was.
enum class StayReason {
    None,
    Cancelled,     // the user cancelled before this item was done
    NotFound,      // the source is gone
    DiskFull,      // the target drive ran out of space
    InUse,         // a file is open in another program
    AccessDenied,  // reading, writing or removing was refused
    Link,          // a link inside the item could not be carried safely
    Special,       // a named pipe or device inside the item holds no bytes to copy
    DeviceName,    // an entry inside has a name the platform reserves for a device, so its path leads to the device
    IntoItself,    // the target folder is the item itself or lies inside it
    NameTaken,     // the name is taken at the target, or by another item of the same transfer
    Changed,       // a file of a move changed after its copy was made: the changed file stays
    Added,         // an entry appeared in a moved folder after the folder was copied: it stays
    Failed,        // anything else; detail says what the platform said
};

struct ItemOutcome {
    std::wstring source;
    std::wstring target;           // where it went (or would have gone)
    ItemFate fate = ItemFate::Stayed;
    StayReason reason = StayReason::None;
    std::wstring detail;           // the path that caused the reason (the link, the locked file), or the platform's text
    std::uint64_t left = 0;        // a move copied whole: the files that stayed at the source
};

// What a walk looking for links found: no link (reason None), the first link
// (Link, detail its path), a stop when asked (Cancelled), or an entry it
// could not look at (any other reason; detail names it, or gives the
// platform's text).
struct LinkSearch {
    StayReason reason = StayReason::None;
    std::wstring detail;
};

// Why an item stayed, from the platform's error code.
StayReason ReasonOfError(DWORD error);
// Why an item stayed, as the report words it.
std::wstring ReasonText(const ItemOutcome& item);

enum class TransferKind { Copy, Move, Link, Delete };

// What a whole transfer or delete did, item by item, in the order given.
// An item of a move whose copy is whole but whose source could not be
// removed entirely has fate Copied and says why in reason and detail.
struct TransferReport {
    TransferKind kind = TransferKind::Copy;
    std::vector<ItemOutcome> items;
    bool cancelled = false;
    bool Complete() const;         // every item reached its fate (a report of no items claims nothing)
    // One message for the user: what moved, was copied, linked or deleted, and what stayed and why.
    std::wstring Summary() const;
};

// Progress of a transfer. Called on the thread that runs the transfer.
class TransferProgress {
public:
    virtual ~TransferProgress() = default;
    // Once, after the items were measured.
    virtual void Planned(std::uint64_t files, std::uint64_t bytes) {}
    // After each file (and during a large one).
    virtual void Advanced(std::uint64_t files_done, std::uint64_t bytes_done, const std::wstring& current) {}
    // Asked between files (and between blocks of a large one).
    virtual bool CancelRequested() { return false; }
    // While the program is ending: the moment (a GetTickCount64 tick) by
    // which undoing a half-made item must be over, so the program is gone
    // promptly; 0 while it is not ending. What the undo has not removed by
    // then is left under a name that says it is incomplete.
    virtual std::uint64_t UndoDeadline() { return 0; }
};

class FileOperations {
public:
    virtual ~FileOperations() = default;
    // Carries every source into folder with effect (one of copy, move, link).
    // Shows nothing and may run on any thread; the report says what happened.
    virtual TransferReport Run(const std::vector<std::wstring>& sources, const std::wstring& folder, DWORD effect,
                               TransferProgress& progress) = 0;
    // Deletes items for good, never following a link inside them. Shows nothing.
    virtual TransferReport Delete(const std::vector<std::wstring>& items, TransferProgress& progress) = 0;
    // The first link found inside path (path itself included), or why the
    // walk could not look at every entry: a check that cannot look does not pass.
    virtual LinkSearch FindLinkInside(const std::wstring& path, TransferProgress& progress) {
        return {StayReason::Failed, path};
    }
    // Why the sources cannot go into folder with effect; empty when they can.
    virtual std::wstring Refusal(const std::vector<std::wstring>& sources, const std::wstring& folder,
                                 DWORD effect) = 0;
};

std::unique_ptr<FileOperations> MakeFileOperations();

}  // namespace census
