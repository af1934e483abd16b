#include "shell/transfer/file_tree_walk.h"

#include "runtime/handles.h"
#include "shell/transfer/file_identity.h"
#include "shell/transfer/transfer_names.h"

#include <functional>

namespace census {
namespace {

constexpr DWORD kBlock = 1 << 20;
// What the platform's copy keeps of a file's or a folder's attributes.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool IsFolder(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring SystemText(DWORD error) {
    UniqueLocalMemory<wchar_t*> text;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
        reinterpret_cast<wchar_t*>(text.put()), 0, nullptr);
    std::wstring out = length ? std::wstring(text.get(), length) : L"код " + std::to_wstring(error);
    while (!out.empty() && (out.back() == L'\n' || out.back() == L'\r' || out.back() == L'.')) out.pop_back();
    return out;
}

// Calls visit for every entry of folder but "." and ".."; visit returns false
// to stop. The platform's error when the listing broke off, else 0. A
// folder without even "." and ".." (a drive's empty root) answers "no file
// found" and holds nothing.
DWORD ForEachEntry(const std::wstring& folder, const std::function<bool(const WIN32_FIND_DATAW&)>& visit) {
    WIN32_FIND_DATAW found{};
    UniqueFindHandle search(::FindFirstFileExW(ExtendedPath(JoinPath(folder, L"*")).c_str(), FindExInfoBasic, &found,
                                               FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!search) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? 0 : error;
    }
    do {
        const wchar_t* name = found.cFileName;
        if (name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0))) continue;
        if (!visit(found)) return 0;
    } while (::FindNextFileW(search.get(), &found));
    const DWORD error = ::GetLastError();
    return error == ERROR_NO_MORE_FILES ? 0 : error;
}

Failure Because(StayReason reason, const std::wstring& path) {
    return Failure{reason, path};
}

Failure FailureOfCheck(const EntryCheck& check, const std::wstring& path) {
    switch (check.kind) {
    case EntryKind::Link:
    case EntryKind::HiddenLink: return Because(StayReason::Link, path);
    case EntryKind::Special: return Because(StayReason::Special, path);
    case EntryKind::DeviceName: return Because(StayReason::DeviceName, path);
    case EntryKind::Unreadable: return FailureOf(check.error, path);
    case EntryKind::Plain: break;
    }
    return {};
}

// A link the platform addresses as itself becomes a link to the same place.
// Whatever stood at the target before is not this operation's to undo.
Failure CopyLink(const std::wstring& source, const std::wstring& target, bool folder, Journal& journal) {
    const std::wstring leads_to = FinalPathOfPath(source);
    if (leads_to.empty()) return Because(StayReason::Link, source);
    if (::GetFileAttributesW(ExtendedPath(target).c_str()) != INVALID_FILE_ATTRIBUTES)
        return FailureOf(ERROR_ALREADY_EXISTS, target);
    const BOOL made = ::CreateSymbolicLinkW(ExtendedPath(target).c_str(), leads_to.c_str(),
                                            (folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) |
                                                SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
    const DWORD attributes = ::GetFileAttributesW(ExtendedPath(target).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) journal.Made(target, folder);
    if (!made || attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return Because(StayReason::Link, source);
    return {};
}

std::vector<char>& Buffer() {
    thread_local std::vector<char> buffer(kBlock);
    return buffer;
}

Failure CopyBytes(HANDLE in, HANDLE out, std::uint64_t size, const std::wstring& source, Meter& meter) {
    std::vector<char>& buffer = Buffer();
    std::uint64_t total = 0;
    for (;;) {
        DWORD got = 0, written = 0;
        if (!::ReadFile(in, buffer.data(), kBlock, &got, nullptr)) return FailureOf(::GetLastError(), source);
        if (got == 0) break;
        if (!::WriteFile(out, buffer.data(), got, &written, nullptr) || written != got) {
            const DWORD error = ::GetLastError();
            return FailureOf(error ? error : ERROR_DISK_FULL, source);
        }
        total += got;
        if (size > kBlock) {
            meter.BytesDone(got, source);
            if (meter.Cancelled()) return Because(StayReason::Cancelled, {});
        }
    }
    // A file that grew or shrank while it was read is not a confirmed copy.
    if (total != size) return FailureOf(ERROR_INVALID_DATA, source);
    if (size <= kBlock) meter.BytesDone(size, source);
    return {};
}

// The state of the entry at path itself (a link not followed).
bool StateOfEntry(const std::wstring& path, EntryState& state) {
    UniqueFileHandle h = OpenEntry(path, FILE_READ_ATTRIBUTES);
    return h && StateOf(h.get(), state);
}

// A link copied is recorded as read once it stands at the target.
Failure CopyLinkRead(CopiedSources::Entry entry, const std::wstring& target, Journal& journal, CopiedSources* read) {
    if (read && !StateOfEntry(entry.path, entry.state)) return FailureOf(::GetLastError(), entry.path);
    Failure failed = CopyLink(entry.path, target, entry.folder, journal);
    entry.folder = false;  // removed as the link it is, never entered
    if (!failed && read) read->Read(std::move(entry));
    return failed;
}

Failure CopyOneFile(const std::wstring& source, const std::wstring& expected, const std::wstring& target,
                    DWORD attributes, Journal& journal, Meter& meter, CopiedSources* read) {
    if (meter.Cancelled()) return Because(StayReason::Cancelled, {});
    UniqueFileHandle in(::CreateFileW(ExtendedPath(source).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!in) return FailureOf(::GetLastError(), source);
    const std::wstring final_path = FinalPathOf(in.get());
    const bool elsewhere = !final_path.empty() && !SameName(final_path, expected);
    const bool special = ::GetFileType(in.get()) != FILE_TYPE_DISK;
    if ((elsewhere || special) && ReservedDeviceName(LastPart(source))) return Because(StayReason::DeviceName, source);
    if (elsewhere) return Because(StayReason::Link, source);
    if (special) return Because(StayReason::Special, source);
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return CopyLinkRead({source, expected, false}, target, journal, read);
    // Read before the first byte: a change while copying counts as a change.
    CopiedSources::Entry entry{source, expected, false};
    if (read && !StateOf(in.get(), entry.state)) return FailureOf(::GetLastError(), source);
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(in.get(), &size)) return FailureOf(::GetLastError(), source);
    UniqueFileHandle out(::CreateFileW(ExtendedPath(target).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!out) return FailureOf(::GetLastError(), target);
    journal.Made(target, false);
    if (Failure failed = CopyBytes(in.get(), out.get(), static_cast<std::uint64_t>(size.QuadPart), source, meter))
        return failed;
    FILETIME created, accessed, written;
    if (::GetFileTime(in.get(), &created, &accessed, &written)) ::SetFileTime(out.get(), &created, &accessed, &written);
    out.reset();
    // A new file is marked for the next backup by the file system itself;
    // attributes set here must not take that away.
    if (attributes & kKeptAttributes)
        ::SetFileAttributesW(ExtendedPath(target).c_str(), (attributes & kKeptAttributes) | FILE_ATTRIBUTE_ARCHIVE);
    meter.FileDone(source);
    if (read) read->Read(std::move(entry));
    return {};
}

struct FolderJob {
    std::wstring source, expected, target;
    DWORD attributes;
};

// One folder: made at the target, its files copied, its sub-folders queued.
Failure CopyFolder(const FolderJob& job, std::vector<FolderJob>& queue, Journal& journal, Meter& meter,
                   CopiedSources* read) {
    const EntryCheck check = CheckEntry(job.source, job.expected, job.attributes);
    if (check.kind == EntryKind::Link) return CopyLinkRead({job.source, job.expected, true}, job.target, journal, read);
    if (check.kind != EntryKind::Plain) return FailureOfCheck(check, job.source);
    if (!::CreateDirectoryW(ExtendedPath(job.target).c_str(), nullptr)) return FailureOf(::GetLastError(), job.target);
    journal.Made(job.target, true);
    // A read-only folder still takes new entries on the platform.
    if (job.attributes & kKeptAttributes)
        ::SetFileAttributesW(ExtendedPath(job.target).c_str(), job.attributes & kKeptAttributes);
    if (read) read->Read({job.source, job.expected, true});
    Failure failed;
    const DWORD error = ForEachEntry(job.source, [&](const WIN32_FIND_DATAW& found) {
        const std::wstring source = JoinPath(job.source, found.cFileName), target = JoinPath(job.target, found.cFileName);
        const std::wstring expected = JoinPath(check.final_path, found.cFileName);
        if (IsFolder(found.dwFileAttributes)) {
            queue.push_back({source, expected, target, found.dwFileAttributes});
            return true;
        }
        failed = CopyOneFile(source, expected, target, found.dwFileAttributes, journal, meter, read);
        return !failed;
    });
    if (failed) return failed;
    return error ? FailureOf(error, job.source) : Failure{};
}

struct RemovalEntry {
    std::wstring path, expected;
    DWORD attributes;  // as listed: some entries (named pipes) cannot be asked for theirs
    bool folder() const { return IsFolder(attributes); }
};

RemovalEntry TopEntry(const std::wstring& path) {
    return {path, ExpectedFinalPath(path), ::GetFileAttributesW(ExtendedPath(path).c_str())};
}

// Every entry below path in an order where each folder comes before what
// it holds; fails on the first link the platform cannot address as itself.
Failure ListForRemoval(const std::wstring& path, std::vector<RemovalEntry>& entries) {
    std::vector<RemovalEntry> queue{TopEntry(path)};
    while (!queue.empty()) {
        RemovalEntry entry = std::move(queue.back());
        queue.pop_back();
        const EntryCheck check = CheckEntry(entry.path, entry.expected, entry.attributes);
        if (check.kind == EntryKind::HiddenLink || check.kind == EntryKind::Unreadable ||
            check.kind == EntryKind::DeviceName)
            return FailureOfCheck(check, entry.path);
        const bool descend = entry.folder() && check.kind == EntryKind::Plain;
        entries.push_back(entry);
        if (!descend) continue;
        const DWORD error = ForEachEntry(entry.path, [&](const WIN32_FIND_DATAW& found) {
            queue.push_back({JoinPath(entry.path, found.cFileName), JoinPath(check.final_path, found.cFileName),
                             found.dwFileAttributes});
            return true;
        });
        if (error) return FailureOf(error, entry.path);
    }
    return {};
}

// Marks the entry an open handle is on for removal, read-only or not; a
// read-only entry that stays keeps its attribute.
Failure DeleteThrough(HANDLE h, const std::wstring& path) {
    FILE_BASIC_INFO basic{};
    const bool read_only = ::GetFileInformationByHandleEx(h, FileBasicInfo, &basic, sizeof(basic)) &&
                           (basic.FileAttributes & FILE_ATTRIBUTE_READONLY);
    if (read_only) {
        basic.FileAttributes &= ~FILE_ATTRIBUTE_READONLY;
        ::SetFileInformationByHandle(h, FileBasicInfo, &basic, sizeof(basic));
    }
    FILE_DISPOSITION_INFO disposition{TRUE};
    if (::SetFileInformationByHandle(h, FileDispositionInfo, &disposition, sizeof(disposition))) return {};
    const DWORD error = ::GetLastError();
    if (read_only) {
        basic.FileAttributes |= FILE_ATTRIBUTE_READONLY;
        ::SetFileInformationByHandle(h, FileBasicInfo, &basic, sizeof(basic));
    }
    return FailureOf(error, path);
}

// Removes one entry through a handle that is on the entry itself.
Failure RemoveEntry(const RemovalEntry& entry) {
    UniqueFileHandle h = OpenEntry(entry.path, DELETE | FILE_WRITE_ATTRIBUTES | FILE_READ_ATTRIBUTES);
    if (!h) return FailureOf(::GetLastError(), entry.path);
    const std::wstring final_path = FinalPathOf(h.get());
    if (final_path.empty() || !SameName(final_path, entry.expected)) return Because(StayReason::Link, entry.path);
    return DeleteThrough(h.get(), entry.path);
}

// The first entry in folder, to name what keeps it; empty when none.
std::wstring FirstEntryIn(const std::wstring& folder) {
    std::wstring first;
    ForEachEntry(folder, [&](const WIN32_FIND_DATAW& found) {
        first = JoinPath(folder, found.cFileName);
        return false;
    });
    return first;
}

// Removes one entry a move copied, through a handle on the entry itself. A
// file goes only while it is as it was read, and is opened so that no one
// else may write to it: it cannot change between the check and its removal.
// A folder goes only once empty; what is still in it came after its copy.
Failure RemoveIfUnchanged(const CopiedSources::Entry& entry) {
    UniqueFileHandle h(::CreateFileW(ExtendedPath(entry.path).c_str(),
                                     DELETE | FILE_WRITE_ATTRIBUTES | FILE_READ_ATTRIBUTES,
                                     entry.folder ? kShareAll : FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!h) {
        const DWORD error = ::GetLastError();
        // Gone already: nothing of it is left to keep.
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Failure{} : FailureOf(error, entry.path);
    }
    const std::wstring final_path = FinalPathOf(h.get());
    if (final_path.empty() || !SameName(final_path, entry.expected)) return Because(StayReason::Link, entry.path);
    if (!entry.folder) {
        EntryState now;
        if (!StateOf(h.get(), now)) return FailureOf(::GetLastError(), entry.path);
        if (!(now == entry.state)) return Because(StayReason::Changed, entry.path);
    }
    Failure failed = DeleteThrough(h.get(), entry.path);
    h.reset();
    if (!entry.folder || (failed && failed.reason != StayReason::Failed)) return failed;
    const std::wstring left = FirstEntryIn(entry.path);
    return left.empty() ? failed : Because(StayReason::Added, left);
}

}  // namespace

Failure FailureOf(DWORD error, const std::wstring& path) {
    Failure failure{ReasonOfError(error), path};
    if (failure.reason == StayReason::Failed) failure.detail = L"\u00AB" + path + L"\u00BB: " + SystemText(error);
    return failure;
}

namespace {

bool RemoveMade(const std::wstring& path, bool folder) {
    return folder ? ::RemoveDirectoryW(path.c_str()) : ::DeleteFileW(path.c_str());
}

}  // namespace

// Only a copy kept read-only stands in the way of its removal: the
// attributes are put right only for the entries that refuse, which saves a
// round of calls per file when a large copy is undone.
bool Journal::Undo(Meter* meter) {
    for (; !made_.empty(); made_.pop_back()) {
        const std::uint64_t deadline = meter ? meter->UndoDeadline() : 0;
        if (deadline && ::GetTickCount64() >= deadline) return false;
        const std::wstring path = ExtendedPath(made_.back().path);
        const bool folder = made_.back().folder;
        if (RemoveMade(path, folder)) continue;
        ::SetFileAttributesW(path.c_str(), folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL);
        RemoveMade(path, folder);
    }
    return true;
}

void Meter::FileDone(const std::wstring& path) {
    progress_.Advanced(++files_, bytes_, path);
}

void Meter::BytesDone(std::uint64_t bytes, const std::wstring& path) {
    bytes_ += bytes;
    progress_.Advanced(files_, bytes_, path);
}

bool Meter::Cancelled() {
    if (!cancelled_) cancelled_ = progress_.CancelRequested();
    return cancelled_;
}

void Measure(const std::wstring& path, std::uint64_t& files, std::uint64_t& bytes) {
    const DWORD attributes = ::GetFileAttributesW(ExtendedPath(path).c_str());
    if (!IsFolder(attributes) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (::GetFileAttributesExW(ExtendedPath(path).c_str(), GetFileExInfoStandard, &data))
            bytes += (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        ++files;
        return;
    }
    std::vector<std::wstring> queue{path};
    while (!queue.empty()) {
        const std::wstring folder = std::move(queue.back());
        queue.pop_back();
        ForEachEntry(folder, [&](const WIN32_FIND_DATAW& found) {
            if (IsFolder(found.dwFileAttributes) && !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                queue.push_back(JoinPath(folder, found.cFileName));
            } else {
                ++files;
                bytes += (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
            }
            return true;
        });
    }
}

bool StateOf(HANDLE handle, EntryState& state) {
    FILE_BASIC_INFO basic{};
    FILE_STANDARD_INFO standard{};
    if (!::GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof(basic)) ||
        !::GetFileInformationByHandleEx(handle, FileStandardInfo, &standard, sizeof(standard)))
        return false;
    state.size = static_cast<std::uint64_t>(standard.EndOfFile.QuadPart);
    state.created = basic.CreationTime.QuadPart;
    state.written = basic.LastWriteTime.QuadPart;
    state.changed = basic.ChangeTime.QuadPart;
    return true;
}

Failure CopyTree(const std::wstring& source, const std::wstring& target, Journal& journal, Meter& meter,
                 CopiedSources* read) {
    const DWORD attributes = ::GetFileAttributesW(ExtendedPath(source).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return FailureOf(::GetLastError(), source);
    const std::wstring expected = ExpectedFinalPath(source);
    if (!IsFolder(attributes)) return CopyOneFile(source, expected, target, attributes, journal, meter, read);
    std::vector<FolderJob> queue{{source, expected, target, attributes}};
    while (!queue.empty()) {
        const FolderJob job = std::move(queue.back());
        queue.pop_back();
        if (meter.Cancelled()) return Because(StayReason::Cancelled, {});
        if (Failure failed = CopyFolder(job, queue, journal, meter, read)) return failed;
    }
    return {};
}

Failure FirstAwkwardEntry(const std::wstring& path, bool specials, Meter* meter) {
    std::vector<RemovalEntry> queue{TopEntry(path)};
    while (!queue.empty()) {
        if (meter && meter->Cancelled()) return Because(StayReason::Cancelled, {});
        const RemovalEntry entry = std::move(queue.back());
        queue.pop_back();
        const EntryCheck check = CheckEntry(entry.path, entry.expected, entry.attributes);
        // A named pipe leads nowhere; an entry that could not be looked at might.
        if (check.kind == EntryKind::Special && !specials) continue;
        if (check.kind != EntryKind::Plain) return FailureOfCheck(check, entry.path);
        if (!entry.folder()) continue;
        const DWORD error = ForEachEntry(entry.path, [&](const WIN32_FIND_DATAW& found) {
            queue.push_back({JoinPath(entry.path, found.cFileName), JoinPath(check.final_path, found.cFileName),
                             found.dwFileAttributes});
            return true;
        });
        if (error) return FailureOf(error, entry.path);
    }
    return {};
}

Failure RemoveTree(const std::wstring& path, Meter& meter, bool counted) {
    std::vector<RemovalEntry> entries;
    if (Failure failed = ListForRemoval(path, entries)) return failed;
    // Reversed, every entry comes after everything it holds.
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if (!it->folder() && meter.Cancelled()) return Because(StayReason::Cancelled, {});
        if (Failure failed = RemoveEntry(*it)) return failed;
        if (!it->folder() && counted) meter.FileDone(it->path);
    }
    return {};
}

Failure RemoveCopied(const CopiedSources& read, Meter& meter) {
    Failure first;
    const std::vector<CopiedSources::Entry>& entries = read.Entries();
    // Reversed, every entry comes before the folder that holds it.
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if (meter.Cancelled()) return first ? first : Because(StayReason::Cancelled, {});
        Failure failed = RemoveIfUnchanged(*it);
        if (failed && !first) first = std::move(failed);
    }
    return first;
}

std::wstring ExpectedFinalPath(const std::wstring& path) {
    const std::wstring parent = ParentPart(path);
    const std::wstring parent_final = parent.empty() ? std::wstring{} : FinalPathOfPath(parent);
    return parent_final.empty() ? path : JoinPath(parent_final, LastPart(path));
}

}  // namespace census
