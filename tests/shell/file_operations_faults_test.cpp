// Every way a transfer or a delete can fail part-way, each checked the same
// way: every byte of every source and of every file outside the items is
// still there, and nothing of an item that stayed is left at the target.
#include "shell/transfer/file_operations.h"

#include "runtime/errors.h"
#include "runtime/handles.h"
#include "shell/small_drive.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

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
