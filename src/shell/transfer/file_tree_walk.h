// The pieces a transfer is made of: a journal of what it made, a meter that
// passes progress on and asks about cancelling, a copier that never follows
// a link, and a remover that removes only entries it can address as
// themselves. None of them shows anything; all may run on any thread.
#pragma once

#include "shell/transfer/file_operations.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace census {

// What went wrong with one item; reason None when nothing did.
struct Failure {
    StayReason reason = StayReason::None;
    std::wstring detail;
    explicit operator bool() const { return reason != StayReason::None; }
};

Failure FailureOf(DWORD error, const std::wstring& path);

class Meter;

// Everything this operation made, in the order it was made; Undo removes it
// again, newest first, and never anything else.
class Journal {
public:
    void Made(const std::wstring& path, bool folder) { made_.push_back({path, folder}); }
    // True once everything made is gone; false when the meter's undo
    // deadline came first (what was made first is left then).
    bool Undo(Meter* meter = nullptr);

private:
    struct Entry {
        std::wstring path;
        bool folder;
    };
    std::vector<Entry> made_;
};

class Meter {
public:
    explicit Meter(TransferProgress& progress) : progress_(progress) {}
    void Planned(std::uint64_t files, std::uint64_t bytes) { progress_.Planned(files, bytes); }
    void FileDone(const std::wstring& path);
    void BytesDone(std::uint64_t bytes, const std::wstring& path);
    bool Cancelled();
    std::uint64_t UndoDeadline() { return progress_.UndoDeadline(); }

private:
    TransferProgress& progress_;
    std::uint64_t files_ = 0, bytes_ = 0;
    bool cancelled_ = false;
};

// What tells a file from one changed or put in its place since: its size,
// when it was made, and when its content and its metadata last changed. (Its
// identity would add little to these, and some platforms answer a question
// for it with a query of the whole volume, file after file.)
struct EntryState {
    std::uint64_t size = 0;
    std::int64_t created = 0, written = 0, changed = 0;
    bool operator==(const EntryState& other) const {
        return size == other.size && created == other.created && written == other.written && changed == other.changed;
    }
};

// The state of the entry an open handle is on; false when it cannot be read.
bool StateOf(HANDLE handle, EntryState& state);

// The source entries a copy read, each as it was when it was read, in the
// order they were read (a folder before what it holds). A move removes
// these and nothing else, each file only while it is unchanged and each
// folder only once empty: whatever appeared or changed in the source after
// its copy stays where it is. (A folder's times change as its entries go,
// on some platforms even the time it was made; that it is empty is what
// makes its removal safe.)
class CopiedSources {
public:
    struct Entry {
        std::wstring path, expected;  // the entry and its expected final path
        bool folder;                  // a folder entered: removed only once empty
        EntryState state;
    };
    void Read(Entry entry) { read_.push_back(std::move(entry)); }
    const std::vector<Entry>& Entries() const { return read_; }

private:
    std::vector<Entry> read_;
};

// Files and bytes below path (path itself included), not entering links.
void Measure(const std::wstring& path, std::uint64_t& files, std::uint64_t& bytes);

// Copies source (a file or a folder tree) to target, which must not exist.
// Links inside are recreated where the platform addresses them as links,
// else the copy fails with StayReason::Link. Everything made goes into the
// journal; the caller undoes it on failure. With read, every source entry
// copied is recorded there as it was when read.
Failure CopyTree(const std::wstring& source, const std::wstring& target, Journal& journal, Meter& meter,
                 CopiedSources* read = nullptr);

// The first entry below path (path included) that is a link, or a named
// pipe or device when specials is set, or that could not be looked at (a
// walk that cannot look does not pass); reason says which. With a meter,
// the walk asks it after each entry and ends Cancelled when told to.
Failure FirstAwkwardEntry(const std::wstring& path, bool specials, Meter* meter = nullptr);

// Removes path and everything below it, never through a link: links the
// platform addresses as themselves are removed as links, any other link
// stops the removal before anything is removed. counted: each removed file
// is progress (a delete), not the tail of a copy already counted (a move).
Failure RemoveTree(const std::wstring& path, Meter& meter, bool counted);

// Removes what a move copied, newest first: each entry only while it is
// itself (not a link put in its place), each file only while unchanged since
// it was read, each folder only once empty; goes on past what must stay. The
// first reason something stayed, or none when every entry is gone.
Failure RemoveCopied(const CopiedSources& read, Meter& meter);

// The path's expected final path: its parent's final path and its name.
std::wstring ExpectedFinalPath(const std::wstring& path);

}  // namespace census
