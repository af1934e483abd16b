// Every way a transfer or a delete can fail part-way, each checked the same
// way: every byte of every source and of every file outside the items is
// still there, and nothing of an item that stayed is left at the target.
#include "shell/transfer/file_operations.h"

#include "runtime/errors.h"
#include "runtime/handles.h"
#include "runtime/errors.h"
#include "shell/transfer/small_drive.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <thread>

namespace census {
namespace {

using namespace census::testing;

constexpr std::size_t kLarge = 600 * 1024;  // two of these overflow the small drive

// path -> bytes of every file below root, links to folders not entered.
std::map<std::wstring, std::string> Snapshot(const std::wstring& root) {
    std::map<std::wstring, std::string> files;
    std::vector<std::wstring> folders{root};
    while (!folders.empty()) {
        const std::wstring folder = folders.back();
        folders.pop_back();
        WIN32_FIND_DATAW found;
        UniqueFindHandle search(::FindFirstFileW(Long(folder + L"\\*").c_str(), &found));
        if (!search) continue;
        do {
            const std::wstring name = found.cFileName, path = folder + L"\\" + name;
            if (name == L"." || name == L"..") continue;
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                files[path] = ReadBytes(Long(path));
            else if (!(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                folders.push_back(path);
            files.emplace(path + L"\\", "");  // the entry itself, so a vanished folder or link shows
        } while (::FindNextFileW(search.get(), &found));
    }
    return files;
}

class CancelAfter : public TransferProgress {
public:
    explicit CancelAfter(std::uint64_t files) : after_(files) {}
    void Planned(std::uint64_t files, std::uint64_t) override { planned = files; }
    void Advanced(std::uint64_t files_done, std::uint64_t, const std::wstring&) override { done = files_done; }
    bool CancelRequested() override { return done >= after_; }
    std::uint64_t planned = 0, done = 0;

private:
    std::uint64_t after_;
};

// out\thesis.txt and out\desk\note.txt lie outside every item.
struct FaultTree {
    FaultTree() {
        for (const wchar_t* folder : {L"out", L"out\\desk", L"src", L"src\\inner", L"one", L"one\\Data", L"two",
                                      L"two\\data", L"dst", L"srcs", L"small"})
            temp.Dir(folder);
        temp.File(L"out\\thesis.txt", "thesis");
        temp.File(L"out\\desk\\note.txt", "note");
        temp.File(L"src\\a.txt", std::string(kLarge, 'a'));
        temp.File(L"src\\b.txt", std::string(kLarge, 'b'));
        temp.File(L"src\\inner\\c.txt", "c");
        temp.File(L"one\\Data\\upper.txt", "upper");
        temp.File(L"two\\data\\lower.txt", "lower");
    }

    UniqueFileHandle Hold(const std::wstring& relative, DWORD share) {
        return UniqueFileHandle(::CreateFileW(temp.Path(relative).c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                              0, nullptr));
    }

    TempTree temp;
};

struct Expected {
    ItemFate fate;
    StayReason reason;
    const wchar_t* detail_ends = L"";
};

struct Case {
    const char* name;
    std::vector<const wchar_t*> sources;
    const wchar_t* folder;  // nullptr: a delete
    DWORD effect;
    std::vector<Expected> expected;
    bool small_drive = false;
    std::function<void(TempTree&)> setup = nullptr;
    const wchar_t* held = nullptr;  // kept open during the run
    DWORD held_sharing = 0;
    std::uint64_t cancel_after = ~0ull;
};

// A named pipe of the host (under Wine; elsewhere none can be made).
bool MakePipe(TempTree& temp, const std::wstring& relative) {
    const std::wstring path = temp.Path(relative), folder = path.substr(0, path.find_last_of(L'\\'));
    std::wstring host;
    if (!HostPath(folder, host)) return false;
    const int before = CountEntries(folder);
    return RunHost(L"Z:\\bin\\mkfifo", L"mkfifo \"" + host + L"/" + path.substr(folder.size() + 1) + L"\"",
                   [&] { return CountEntries(folder) > before; });
}

bool Link(TempTree& temp, const wchar_t* relative, const wchar_t* target) {
    return MakeDirLink(temp.Path(relative), temp.Path(target));
}

// j\via leads into src: the target's path holds a link part-way down.
void LinkPartWayInto(TempTree& temp) {
    temp.Dir(L"j");
    temp.Dir(L"src\\inner\\deeper");
    EXPECT_TRUE(Link(temp, L"j\\via", L"src\\inner"));
}

// A file with a device's name, which a path without the extended-length
// prefix leads to the device (under Wine, and on Windows before 11).
void DeviceNamed(TempTree& temp) {
    temp.File(L"one\\Data\\nul.txt", "not a device");
}

TEST(FileOperationFaults, NoSourceAndNothingOutsideIsEverLostAndNoPartialItemStays) {
    std::unique_ptr<FileOperations> files = MakeFileOperations();
    const ItemFate stayed = ItemFate::Stayed;
    using R = StayReason;
    const Case cases[] = {
        {"a move onto a drive that fills part-way", {L"src"}, L"small", DROPEFFECT_MOVE, {{stayed, R::DiskFull}}, true},
        {"a copy onto a drive that fills part-way", {L"src"}, L"small", DROPEFFECT_COPY, {{stayed, R::DiskFull}}, true},
        {"a locked source file", {L"src"}, L"dst", DROPEFFECT_COPY, {{stayed, R::InUse, L"src\\b.txt"}}, false,
         nullptr, L"src\\b.txt", 0},
        {"a named pipe inside a folder moved within the drive", {L"src"}, L"dst", DROPEFFECT_MOVE, {{ItemFate::Moved, R::None}},
         false, [](TempTree& t) { EXPECT_TRUE(MakePipe(t, L"src\\inner\\pipe")); }},
        {"a named pipe in a copy", {L"src"}, L"dst", DROPEFFECT_COPY, {{stayed, R::Special, L"src\\inner\\pipe"}},
         false, [](TempTree& t) { EXPECT_TRUE(MakePipe(t, L"src\\inner\\pipe")); }},
        {"the source cannot be removed after its copy", {L"one"}, L"small", DROPEFFECT_MOVE,
         {{ItemFate::Copied, R::InUse, L"one\\Data\\upper.txt"}}, true, nullptr, L"one\\Data\\upper.txt",
         FILE_SHARE_READ},
        {"two items with the same name", {L"one\\Data", L"two\\data"}, L"dst", DROPEFFECT_MOVE,
         {{stayed, R::NameTaken, L"two\\data"}, {stayed, R::NameTaken, L"one\\Data"}}},
        {"a name taken at the target in another case", {L"src"}, L"dst", DROPEFFECT_MOVE, {{stayed, R::NameTaken}},
         false, [](TempTree& t) {
             t.Dir(L"dst\\SRC");
         }},
        {"the same path twice", {L"src", L"src"}, L"dst", DROPEFFECT_COPY,
         {{stayed, R::NameTaken}, {stayed, R::NameTaken}}},
        {"a file link inside a folder moved to another drive", {L"one"}, L"small", DROPEFFECT_MOVE,
         {{stayed, R::Link, L"one\\Data\\thesis.txt"}}, true,
         [](TempTree& t) {
             EXPECT_TRUE(Link(t, L"one\\Data\\thesis.txt", L"out\\thesis.txt"));
         }},
        {"a folder link inside a folder moved to another drive", {L"one"}, L"small", DROPEFFECT_MOVE,
         {{stayed, R::Link, L"one\\desk"}}, true,
         [](TempTree& t) {
             EXPECT_TRUE(Link(t, L"one\\desk", L"out\\desk"));
         }},
        {"links inside a folder moved within the drive go along as links", {L"one"}, L"dst", DROPEFFECT_MOVE,
         {{ItemFate::Moved, R::None}}, false,
         [](TempTree& t) {
             EXPECT_TRUE(Link(t, L"one\\Data\\thesis.txt", L"out\\thesis.txt"));
             EXPECT_TRUE(Link(t, L"one\\desk", L"out\\desk"));
         }},
        {"a file link inside a deleted folder", {L"one"}, nullptr, 0, {{stayed, R::Link, L"one\\Data\\thesis.txt"}},
         false, [](TempTree& t) {
             EXPECT_TRUE(Link(t, L"one\\Data\\thesis.txt", L"out\\thesis.txt"));
         }},
        {"a folder link inside a deleted folder", {L"one"}, nullptr, 0, {{stayed, R::Link, L"one\\desk"}}, false,
         [](TempTree& t) {
             EXPECT_TRUE(Link(t, L"one\\desk", L"out\\desk"));
         }},
        {"an alias path into itself", {L"src"}, L"alias\\inner", DROPEFFECT_COPY, {{stayed, R::IntoItself}}, false,
         [](TempTree& t) {
             EXPECT_TRUE(Link(t, L"alias", L"src"));
         }},
        {"a link part-way down the target's path into itself", {L"src"}, L"j\\via", DROPEFFECT_COPY,
         {{stayed, R::IntoItself}}, false, LinkPartWayInto},
        {"a link part-way down the target's path into itself, deeper", {L"src"}, L"j\\via\\deeper", DROPEFFECT_COPY,
         {{stayed, R::IntoItself}}, false, LinkPartWayInto},
        {"a move through a link part-way down the target's path into itself", {L"src"}, L"j\\via", DROPEFFECT_MOVE,
         {{stayed, R::IntoItself}}, false, LinkPartWayInto},
        {"a reserved device name inside a folder moved to another drive", {L"one"}, L"small", DROPEFFECT_MOVE,
         {{stayed, R::DeviceName, L"one\\Data\\nul.txt"}}, true, DeviceNamed},
        {"a reserved device name inside a copied folder", {L"one"}, L"dst", DROPEFFECT_COPY,
         {{stayed, R::DeviceName, L"one\\Data\\nul.txt"}}, false, DeviceNamed},
        {"a reserved device name inside a deleted folder", {L"one"}, nullptr, 0,
         {{stayed, R::DeviceName, L"one\\Data\\nul.txt"}}, false, DeviceNamed},
        {"a link loop", {L"one"}, L"dst", DROPEFFECT_COPY, {{stayed, R::Link, L"one\\Data\\back"}}, false,
         [](TempTree& t) {
             EXPECT_TRUE(Link(t, L"one\\Data\\back", L"one"));
         }},
        {"cancel mid-copy", {L"two", L"src"}, L"dst", DROPEFFECT_COPY,
         {{ItemFate::Copied, R::None}, {stayed, R::Cancelled}}, false, nullptr, nullptr, 0, 2},
        {"a folder whose name begins with the source's is not inside it", {L"src"}, L"srcs", DROPEFFECT_COPY,
         {{ItemFate::Copied, R::None}}},
        {"a delete removes the whole folder", {L"src"}, nullptr, 0, {{ItemFate::Deleted, R::None}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FaultTree fixture;  // a fresh tree per case
        TempTree& t = fixture.temp;
        SmallDrive drive(t.Path(L"small"), 1024);
        if (c.small_drive && !drive.Mounted()) {
            ADD_FAILURE() << "no small drive could be mounted";
            continue;
        }
        if (c.setup) c.setup(t);
        const std::map<std::wstring, std::string> before = Snapshot(t.Root());
        UniqueFileHandle held = c.held ? fixture.Hold(c.held, c.held_sharing) : UniqueFileHandle{};
        std::vector<std::wstring> sources;
        for (const wchar_t* s : c.sources) sources.push_back(t.Path(s));
        CancelAfter progress(c.cancel_after);
        const TransferReport report = c.folder ? files->Run(sources, t.Path(c.folder), c.effect, progress)
                                               : files->Delete(sources, progress);
        held.reset();

        ASSERT_EQ(report.items.size(), c.expected.size());
        for (std::size_t i = 0; i < c.expected.size(); ++i) {
            const ItemOutcome& item = report.items[i];
            EXPECT_EQ(item.fate, c.expected[i].fate) << i;
            EXPECT_EQ(item.reason, c.expected[i].reason) << i << " " << ::testing::PrintToString(item.detail);
            const std::wstring ends = c.expected[i].detail_ends;
            EXPECT_TRUE(item.detail.size() >= ends.size() &&
                        item.detail.compare(item.detail.size() - ends.size(), ends.size(), ends) == 0)
                << ::testing::PrintToString(item.detail);
            if (item.fate == ItemFate::Stayed && c.folder && item.reason != StayReason::NameTaken) {
                EXPECT_FALSE(FileExists(Long(item.target))) << "a partial item stayed at the target";
            }
        }
        EXPECT_EQ(report.cancelled, c.cancel_after != ~0ull);
        const bool link_named = std::any_of(report.items.begin(), report.items.end(),
                                            [](const ItemOutcome& item) { return item.reason == StayReason::Link; });
        if (!link_named) {
            EXPECT_EQ(report.Summary().find(L"ссылк"), std::wstring::npos) << "no link is blamed: "
                                                                           << ToUtf8(report.Summary());
        }
        // Every file that was there is there still, with every byte, unless
        // its item reports it carried off (then its copy holds the bytes).
        const std::map<std::wstring, std::string> after = Snapshot(t.Root());
        for (const auto& [path, bytes] : before) {
            std::wstring now = path;
            for (const ItemOutcome& item : report.items) {
                const bool carried = item.fate == ItemFate::Moved || item.fate == ItemFate::Deleted ||
                                     (item.fate == ItemFate::Copied && report.kind == TransferKind::Move);
                if (carried && path.rfind(item.source + L"\\", 0) == 0 && !after.count(path))
                    now = item.fate == ItemFate::Deleted ? L"" : item.target + path.substr(item.source.size());
            }
            if (now.empty()) continue;
            ASSERT_TRUE(after.count(now)) << ::testing::PrintToString(now);
            EXPECT_TRUE(after.at(now) == bytes) << ::testing::PrintToString(now) << " holds " << after.at(now).size()
                                                << " bytes of " << bytes.size();
        }
    }
}

}  // namespace
}  // namespace census

namespace census {
namespace {

using namespace census::testing;

// Lets another program act at one moment of a transfer: act is offered the
// files done and planned whenever the transfer asks about cancelling, which
// it does before each file and folder it copies and before each entry a move
// removes from its source.
class Meanwhile : public TransferProgress {
public:
    explicit Meanwhile(std::function<void(std::uint64_t done, std::uint64_t planned)> act) : act_(std::move(act)) {}
    void Planned(std::uint64_t files, std::uint64_t) override { planned_ = files; }
    void Advanced(std::uint64_t files_done, std::uint64_t, const std::wstring&) override { done_ = files_done; }
    bool CancelRequested() override {
        act_(done_, planned_);
        return false;
    }

private:
    std::function<void(std::uint64_t, std::uint64_t)> act_;
    std::uint64_t done_ = 0, planned_ = 0;
};

void Append(const std::wstring& path, const std::string& bytes) {
    UniqueFileHandle file(::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                        nullptr));
    DWORD written = 0;
    ASSERT_TRUE(file && ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
}

// The same number of bytes, other bytes, in place.
void Rewrite(const std::wstring& path, const std::string& bytes) {
    UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                        nullptr));
    DWORD written = 0;
    ASSERT_TRUE(file && ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
}

// src holds top.txt, one\a.txt, one\x.txt, two\b.txt and two\deep\c.txt.
const std::map<std::wstring, std::string> kMovedTree = {
    {L"top.txt", "top"}, {L"one\\a.txt", "a-line\n"}, {L"one\\x.txt", "x"}, {L"two\\b.txt", "bbbb"},
    {L"two\\deep\\c.txt", "c"},
};

void MakeMovedTree(TempTree& t) {
    for (const wchar_t* folder : {L"src", L"src\\one", L"src\\two", L"src\\two\\deep", L"small"}) t.Dir(folder);
    for (const auto& [path, bytes] : kMovedTree) t.File(L"src\\" + path, bytes);
}

// Another program's thread changes the source of a move to another drive
// once every file is copied and before the source is removed: what it added
// or changed stays in the source with its bytes, and the report says why;
// everything else is at the target and gone from the source.
TEST(FileOperationFaults, AMoveToAnotherDriveRemovesOnlyWhatItCopiedAndFindsUnchanged) {
    std::unique_ptr<FileOperations> files = MakeFileOperations();
    using R = StayReason;
    struct Case {
        const char* name;
        std::function<void(TempTree&)> change;
        std::map<std::wstring, std::string> stays;  // below src, with the bytes it holds at the end
        StayReason reason;
        const wchar_t* detail_ends;
    } cases[] = {
        {"nothing changes", [](TempTree&) {}, {}, R::None, L""},
        {"a file added to a sub-folder", [](TempTree& t) { t.File(L"src\\one\\new.txt", "new"); },
         {{L"one\\new.txt", "new"}}, R::Added, L"src\\one\\new.txt"},
        {"a sub-folder added", [](TempTree& t) {
             t.Dir(L"src\\two\\fresh");
             t.File(L"src\\two\\fresh\\f.txt", "f");
         },
         {{L"two\\fresh\\f.txt", "f"}}, R::Added, L"src\\two\\fresh"},
        {"a line appended to a file", [](TempTree& t) { Append(t.Path(L"src\\one\\a.txt"), "b-line\n"); },
         {{L"one\\a.txt", "a-line\nb-line\n"}}, R::Changed, L"src\\one\\a.txt"},
        {"a file rewritten in place to the same size", [](TempTree& t) { Rewrite(t.Path(L"src\\two\\b.txt"), "BBBB"); },
         {{L"two\\b.txt", "BBBB"}}, R::Changed, L"src\\two\\b.txt"},
        {"a file replaced by another of the same name and size", [](TempTree& t) {
             ASSERT_TRUE(::DeleteFileW(t.Path(L"src\\top.txt").c_str()));
             t.File(L"src\\top.txt", "TOP");
         },
         {{L"top.txt", "TOP"}}, R::Changed, L"src\\top.txt"},
        {"a file added and another changed", [](TempTree& t) {
             t.File(L"src\\two\\deep\\d.txt", "d");
             Append(t.Path(L"src\\one\\x.txt"), "y");
         },
         {{L"two\\deep\\d.txt", "d"}, {L"one\\x.txt", "xy"}}, R::Changed, L"src\\one\\x.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempTree t;
        MakeMovedTree(t);
        SmallDrive drive(t.Path(L"small"), 1024);
        ASSERT_TRUE(drive.Mounted()) << "no small drive could be mounted";
        bool changed = false;
        Meanwhile progress([&](std::uint64_t done, std::uint64_t planned) {
            if (changed || done < planned) return;
            changed = true;
            std::thread other([&] { c.change(t); });
            other.join();
        });
        const TransferReport report = files->Run({t.Path(L"src")}, t.Path(L"small"), DROPEFFECT_MOVE, progress);

        EXPECT_TRUE(changed) << "the other program got its turn";
        ASSERT_EQ(report.items.size(), 1u);
        const ItemOutcome& item = report.items[0];
        EXPECT_EQ(item.fate, c.stays.empty() ? ItemFate::Moved : ItemFate::Copied);
        EXPECT_EQ(item.reason, c.reason) << ::testing::PrintToString(item.detail);
        EXPECT_EQ(item.detail, *c.detail_ends ? t.Path(c.detail_ends) : L"");
        EXPECT_EQ(report.Complete(), c.stays.empty());
        for (const auto& [path, bytes] : kMovedTree) {
            EXPECT_EQ(ReadBytes(t.Path(L"small\\src\\" + path)), bytes) << "the copy of " << ToUtf8(path);
            if (!c.stays.count(path)) EXPECT_FALSE(FileExists(t.Path(L"src\\" + path))) << ToUtf8(path) << " moved";
        }
        for (const auto& [path, bytes] : c.stays)
            EXPECT_EQ(ReadBytes(t.Path(L"src\\" + path)), bytes) << ToUtf8(path) << " stays as the other program left it";
        EXPECT_EQ(FileExists(t.Path(L"src")), !c.stays.empty()) << "a folder goes only once empty";
        if (!c.stays.empty()) {
            EXPECT_NE(report.Summary().find(item.detail), std::wstring::npos) << ToUtf8(report.Summary());
        }
    }
}

// Another program's thread writes into the source between every two steps
// of a move to another drive (before each file and folder copied, before
// each entry removed): it appends a line to a log and adds a file to one
// folder after another. Every byte it wrote is at the source or, where the
// move found the file unchanged since its copy, at the target.
TEST(FileOperationFaults, AWriterAtWorkAllThroughAMoveToAnotherDriveLosesNothing) {
    constexpr int kFolders = 8, kFilesEach = 20;
    TempTree t;
    t.Dir(L"src");
    t.Dir(L"small");
    const auto original = [](int f, int i) { return L"d" + std::to_wstring(f) + L"\\f" + std::to_wstring(i) + L".txt"; };
    for (int f = 0; f < kFolders; ++f) {
        t.Dir(L"src\\d" + std::to_wstring(f));
        for (int i = 0; i < kFilesEach; ++i) t.File(L"src\\" + original(f, i), "old");
    }
    t.File(L"src\\log.txt", "start\n");
    SmallDrive drive(t.Path(L"small"), 4096);
    ASSERT_TRUE(drive.Mounted()) << "no small drive could be mounted";

    int round = 0;
    std::string log = "start\n";               // what the log holds, as far as the writer knows
    std::map<std::wstring, std::string> made;  // below src: the files the writer made whole
    const auto write_round = [&] {
        const std::string line = "line " + std::to_string(round) + "\n";
        DWORD written = 0;
        UniqueFileHandle file(::CreateFileW(t.Path(L"src\\log.txt").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, 0, nullptr));
        if (file && ::WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr)) log += line;
        file.reset();
        const std::wstring name = L"d" + std::to_wstring(round % kFolders) + L"\\n" + std::to_wstring(round) + L".txt";
        UniqueFileHandle fresh(::CreateFileW(t.Path(L"src\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0,
                                             nullptr));
        if (fresh && ::WriteFile(fresh.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr))
            made[name] = line;
        ++round;
    };
    Meanwhile progress([&](std::uint64_t, std::uint64_t) { std::thread(write_round).join(); });
    std::unique_ptr<FileOperations> files = MakeFileOperations();
    const TransferReport report = files->Run({t.Path(L"src")}, t.Path(L"small"), DROPEFFECT_MOVE, progress);

    ASSERT_EQ(report.items.size(), 1u);
    EXPECT_EQ(report.items[0].fate, ItemFate::Copied) << ToUtf8(report.Summary());
    EXPECT_GT(made.size(), static_cast<std::size_t>(kFolders * kFilesEach));
    const auto kept = [&](const std::wstring& below, const std::string& bytes) {
        const std::wstring source = t.Path(L"src\\" + below), target = t.Path(L"small\\src\\" + below);
        return FileExists(source) ? ReadBytes(source) == bytes : ReadBytes(target) == bytes;
    };
    EXPECT_TRUE(kept(L"log.txt", log)) << "every line appended";
    for (const auto& [path, bytes] : made) EXPECT_TRUE(kept(path, bytes)) << ToUtf8(path);
    for (int f = 0; f < kFolders; ++f)
        for (int i = 0; i < kFilesEach; ++i) {
            EXPECT_EQ(ReadBytes(t.Path(L"small\\src\\" + original(f, i))), "old");
            EXPECT_FALSE(FileExists(t.Path(L"src\\" + original(f, i)))) << "what was copied unchanged is moved";
        }
}

// Another program puts an entry where the copy is about to put its own,
// after the plan found the name free: the item stays, and undoing the part
// already copied leaves that entry as the other program left it.
TEST(FileOperationFaults, UndoingACopyLeavesWhatAnotherProgramPutAtTheTarget) {
    std::unique_ptr<FileOperations> files = MakeFileOperations();
    struct Case {
        const char* name;
        const wchar_t* source;
        const wchar_t* appears;  // a file, or a folder when it ends in a backslash
    } cases[] = {
        {"a file where the copied file goes", L"src\\b.txt", L"dst\\b.txt"},
        {"a folder where the copied folder goes", L"src", L"dst\\src\\"},
        {"a file where a file inside the copied folder goes", L"src", L"dst\\src\\inner\\c.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FaultTree fixture;
        TempTree& t = fixture.temp;
        std::wstring appears = t.Path(c.appears);
        const bool folder = appears.back() == L'\\';
        if (folder) appears.pop_back();
        const std::wstring parent = appears.substr(0, appears.find_last_of(L'\\'));
        bool put = false;
        Meanwhile progress([&](std::uint64_t, std::uint64_t) {
            if (put || !FileExists(parent)) return;
            put = true;
            if (folder)
                ::CreateDirectoryW(appears.c_str(), nullptr);
            else
                t.File(appears.substr(t.Root().size() + 1), "theirs");
        });
        const TransferReport report = files->Run({t.Path(c.source)}, t.Path(L"dst"), DROPEFFECT_COPY, progress);

        ASSERT_TRUE(put);
        ASSERT_EQ(report.items.size(), 1u);
        EXPECT_EQ(report.items[0].fate, ItemFate::Stayed);
        EXPECT_EQ(report.items[0].reason, StayReason::NameTaken);
        EXPECT_TRUE(FileExists(appears)) << "what the other program put there stays";
        if (!folder) EXPECT_EQ(ReadBytes(appears), "theirs");
        for (const wchar_t* copied : {L"dst\\src\\a.txt", L"dst\\src\\b.txt"})
            EXPECT_FALSE(FileExists(t.Path(copied))) << "the part already copied is undone";
        EXPECT_EQ(ReadBytes(t.Path(L"src\\inner\\c.txt")), "c");
    }
}

}  // namespace
}  // namespace census
