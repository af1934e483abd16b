// When the folder tree may refresh.
//
// A command, a drag or a shell menu holds the tree busy while it runs: the
// folder changes and refreshes asked for meanwhile are only recorded, and
// the end of the hold says whether one refresh is owed, so every one of
// them ends the same way and refreshes once. A label being edited defers
// refreshes too (the tree refreshes once the edit is over).
//
// The one folder change a rename of the tree's own has already shown is
// ignored, once; any refresh makes it moot.
#pragma once

#include <string>
#include <utility>

namespace census {

class RefreshGate {
public:
    class Hold;

    bool Busy() const { return holds_ > 0; }
    // Whether a refresh asked for now must wait (busy, or a label is being
    // edited); a refresh that waits is recorded.
    bool Defers(bool editing) {
        if (!Busy() && !editing) return false;
        pending_ = true;
        return true;
    }
    // A refresh is running: what was recorded and the change to ignore are spent.
    void Refreshing() {
        pending_ = false;
        ignored_folder_.clear();
    }
    // The recorded refresh, taken (false when none was recorded).
    bool TakePending() { return std::exchange(pending_, false); }

    // The next change reported from a watch over folder is the tree's own.
    void IgnoreNextChangeFrom(std::wstring folder) { ignored_folder_ = std::move(folder); }
    void ForgetIgnoredChange() { ignored_folder_.clear(); }
    // For a change that arrived, covers(folder) telling whether its watch
    // lies over folder: true when it is the change to ignore. Whichever
    // change comes first spends the ignore.
    template <typename Covers>
    bool Ignores(Covers&& covers) {
        if (ignored_folder_.empty()) return false;
        const bool ours = covers(ignored_folder_);
        ignored_folder_.clear();
        return ours;
    }

private:
    int holds_ = 0;
    bool pending_ = false;
    std::wstring ignored_folder_;
};

// Holds the gate busy for its scope. A hold left by an exception owes
// nothing itself; the refresh it recorded waits for the next one.
class RefreshGate::Hold {
public:
    explicit Hold(RefreshGate& gate) : gate_(gate) { ++gate_.holds_; }
    ~Hold() { Release(); }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

    // Ends the hold; true when a refresh was asked for while it stood and no
    // outer hold still stands (the outermost hold's end owes it then).
    bool End() {
        Release();
        return !gate_.Busy() && gate_.TakePending();
    }

private:
    void Release() {
        if (released_) return;
        released_ = true;
        --gate_.holds_;
    }

    RefreshGate& gate_;
    bool released_ = false;
};

}  // namespace census
