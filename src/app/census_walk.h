// The census walk: every file under a folder, depth first, in the order the
// file system returns the entries, one line per file.
//
// The walk runs on the user interface thread and lets the window handle its
// messages while it goes (through the host), so the host's handlers can stop
// it, start another census or save in the middle of it.
//
// Its depth is not bound by the thread's stack: the open folders are kept on
// a list of their own, so a chain of folders as deep as the file system
// allows is walked on any thread.
#pragma once

#include "runtime/handles.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace census {

// State shared by the start, stop and save handlers; lives for the program's run.
struct CensusState {
    std::wstring RootPrefix;      // empty: full paths; else reference folder + " "
    std::int64_t FileCount = 0;
    bool StopRequested = false;
    unsigned Generation = 0;      // bumped by every start: a newer census ends older ones
};

// What the walk needs from the window.
class CensusHost {
public:
    virtual ~CensusHost() = default;
    // The check box: ticked means full paths.
    virtual bool FullPaths() = 0;
    // One file's line, already counted in the state.
    virtual void FileListed(const std::wstring& line) = 0;
    // After every entry the walk handled, file or folder ("." and ".." are
    // not entries). The window catches up here when it is due, so it answers
    // also deep inside folders that hold no files.
    virtual void EntryDone() {}
    // A folder (as the lines show it, ending with "\") whose files are
    // missing from the list: it could not be opened, or its reading failed
    // part way (`whole_missing` false), for the system's reason `error`. The
    // window passes over such folders without a word.
    virtual void FolderNotRead(const std::wstring& folder, unsigned long error, bool whole_missing) {}
};

// The same file or folder whatever path names it (a short name, another
// drive letter, a path through a link): its volume's serial number and its
// index on that volume.
struct FileIdentity {
    unsigned long volume = 0;
    unsigned long long index = 0;
    bool operator==(const FileIdentity&) const = default;
};

// The identity of the file or folder at `api_path` (links followed); nothing
// when it cannot be opened.
std::optional<FileIdentity> IdentityOf(const std::wstring& api_path);

// Whether the walk enters folder links (symbolic links, junctions, mounted
// volumes). Followed, as the window does, a link is walked like a folder
// unless it leads back into a folder being walked; skipped, every line comes
// from inside the chosen folder and no file is met twice.
enum class FolderLinks { Followed, Skipped };

class CensusWalk {
public:
    CensusWalk(CensusState& state, CensusHost& host, FolderLinks links = FolderLinks::Followed);

    // Clears the state for a new census and walks `folder`, a file-system
    // path. An empty folder (a virtual one, which has no path) has no files:
    // nothing is listed.
    void Run(const std::wstring& folder);

    // The folder whose entries are being read, as the lines show it; empty
    // when no walk runs.
    const std::wstring& CurrentFolder() const;

private:
    // One open folder of the walk.
    struct Level {
        std::wstring folder;    // as the lines show it, ends with "\"
        std::wstring api_path;  // extended-length form, ends with "\"
        UniqueFindHandle search;
        bool first_pending = true;  // the entry FindFirstFile gave is still to be handled
        bool id_known = false;
        FileIdentity id;
    };

    // Opens a folder's search and puts it on top; tells the host when it cannot be read.
    void Enter(std::wstring folder, std::wstring api_folder);
    bool NextEntry(Level& level);
    void HandleEntry(const Level& level);
    bool Ended() const;
    bool IsSkippedLink() const;
    bool LeadsBackIntoWalk(const std::wstring& api_path);

    CensusState& state_;
    CensusHost& host_;
    FolderLinks links_;
    unsigned generation_ = 0;
    std::vector<Level> levels_;
    WIN32_FIND_DATAW entry_{};
};

// The extended-length ("\\?\") form of a folder path, absolute, ending with
// "\": paths over 260 characters are reached through it.
std::wstring ExtendedFolderPath(const std::wstring& folder);

}  // namespace census
