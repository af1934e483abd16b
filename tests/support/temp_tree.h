// A folder tree made for one test under the temporary folder and removed
// again (links are removed, never followed).
#pragma once

#include "runtime/handles.h"

#include <functional>
#include <string>

namespace census::testing {

class TempTree {
public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    // The tree's folder, without a trailing backslash.
    const std::wstring& Root() const { return root_; }
    std::wstring Path(const std::wstring& relative) const { return root_ + L"\\" + relative; }

    void Dir(const std::wstring& relative) const;
    void File(const std::wstring& relative, const std::string& bytes = {}) const;
    // count files of size bytes of 'x' in the folder `relative` (made), named
    // f00000.txt, f00001.txt...; made by the host in one go where there is one
    // (file by file under Wine costs minutes for tens of thousands).
    void ManyFiles(const std::wstring& relative, int count, unsigned size) const;
    void Attributes(const std::wstring& relative, unsigned long attributes) const;
    // A directory link at `relative` leading to `target` (absolute). False when
    // the platform lets this process make none.
    bool DirLink(const std::wstring& relative, const std::wstring& target) const;

private:
    std::wstring root_;
};

// A chain of folders inside a TempTree deeper than the platform can open:
// made as deep as folders can be made, with a file at its bottom, then
// pushed past the limit by giving its top a longer name. The top gets its
// short name back when this goes, so that the tree can be removed.
class TooDeepChain {
public:
    // The chain starts at the folder `top` (relative) of `tree`.
    TooDeepChain(const TempTree& tree, const std::wstring& top);
    ~TooDeepChain();
    TooDeepChain(const TooDeepChain&) = delete;
    TooDeepChain& operator=(const TooDeepChain&) = delete;

    // The chain's top, as it is named now (relative).
    const std::wstring& Top() const { return long_top_; }
    // The first folder of the chain that can no longer be opened (full
    // path, as a census line would show it); empty when none could be made.
    const std::wstring& Unreadable() const { return unreadable_; }

private:
    std::wstring short_top_, long_top_, renamed_, unreadable_;  // short_top_, renamed_: full paths
};

// The folder at `path` (absolute) held open without sharing: while the
// handle lives, nothing else can open it to list its entries.
UniqueFileHandle LockFolder(const std::wstring& path);

// A directory link at `link` leading to `target` (both absolute). False when
// the platform lets this process make none.
bool MakeDirLink(const std::wstring& link, const std::wstring& target);
// Removes a directory link (never what it leads to), or a file.
bool RemoveDirLink(const std::wstring& link);
// Under Wine: the host's name for a path of this process (false elsewhere).
bool HostPath(const std::wstring& windows_path, std::wstring& out);
// Runs a program of the host (under Wine) and waits until `done` holds.
bool RunHost(const wchar_t* program, std::wstring command, const std::function<bool()>& done);
// Reads a whole file's bytes ("" when it is missing).
std::string ReadBytes(const std::wstring& path);
bool FileExists(const std::wstring& path);
// Names in a folder (no "." and "..").
int CountEntries(const std::wstring& folder);
// The extended-length form of an absolute path (for paths over 260 characters).
std::wstring Long(const std::wstring& path);

// Makes a folder the process's current directory for a scope, and puts the
// earlier one back however the scope ends (a failed assertion included).
class CurrentDirectoryAt {
public:
    explicit CurrentDirectoryAt(const std::wstring& folder);
    ~CurrentDirectoryAt();
    CurrentDirectoryAt(const CurrentDirectoryAt&) = delete;
    CurrentDirectoryAt& operator=(const CurrentDirectoryAt&) = delete;

private:
    std::wstring earlier_;
};

}  // namespace census::testing
