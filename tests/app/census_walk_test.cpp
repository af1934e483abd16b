#include "app/census_walk.h"
#include "runtime/handles.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace census {
namespace {

using testing::CurrentDirectoryAt;
using testing::TempTree;
using testing::TooDeepChain;

// Records lines as the window would and lets a test act after each file.
class RecordingHost : public CensusHost {
public:
    bool full_paths = true;
    std::vector<std::wstring> lines;
    int entries = 0;
    std::function<void(RecordingHost&)> after_file;
    std::function<void(RecordingHost&)> after_entry;
    struct NotRead {
        std::wstring folder;
        unsigned long error;
        bool whole_missing;
    };
    std::vector<NotRead> not_read;

    bool FullPaths() override { return full_paths; }
    void FileListed(const std::wstring& line) override {
        lines.push_back(line);
        if (after_file) after_file(*this);
    }
    void EntryDone() override {
        ++entries;
        if (after_entry) after_entry(*this);
    }
    void FolderNotRead(const std::wstring& folder, unsigned long error, bool whole_missing) override {
        not_read.push_back({folder, error, whole_missing});
    }
    std::vector<std::wstring> Sorted() const {
        auto s = lines;
        std::sort(s.begin(), s.end());
        return s;
    }
};

std::vector<std::wstring> Walk(const std::wstring& folder, bool full_paths, CensusState* state_out = nullptr,
                               FolderLinks links = FolderLinks::Followed) {
    CensusState state;
    RecordingHost host;
    host.full_paths = full_paths;
    CensusWalk(state, host, links).Run(folder);
    EXPECT_EQ(static_cast<std::int64_t>(host.lines.size()), state.FileCount);
    if (state_out) *state_out = state;
    return host.Sorted();
}

TEST(CensusWalk, ListsEveryFileOnceAndNoFolders) {
    TempTree t;
    t.File(L"a.txt");
    t.Dir(L"Sub");
    t.File(L"Sub\\b.doc");
    t.Dir(L"Sub\\Deeper");
    t.File(L"Sub\\Deeper\\c");
    t.Dir(L"Empty");
    t.Dir(L"Sub\\AlsoEmpty");
    t.Dir(L"Hidden");
    t.Attributes(L"Hidden", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    t.File(L"Hidden\\h.sys");
    t.Attributes(L"Hidden\\h.sys", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY);
    t.File(L"Sub\\a.txt");  // same name elsewhere: its own line

    std::wstring r = t.Root() + L"\\";
    std::vector<std::wstring> full = {r + L"Hidden\\h.sys", r + L"Sub\\Deeper\\c", r + L"Sub\\a.txt",
                                      r + L"Sub\\b.doc", r + L"a.txt"};
    std::sort(full.begin(), full.end());
    EXPECT_EQ(full, Walk(t.Root(), true));
    // A trailing backslash on the chosen folder changes nothing.
    EXPECT_EQ(full, Walk(r, true));

    std::vector<std::wstring> relative = {L"Hidden\\h.sys", L"Sub\\Deeper\\c", L"Sub\\a.txt", L"Sub\\b.doc",
                                          L"a.txt"};
    std::sort(relative.begin(), relative.end());
    CensusState state;
    EXPECT_EQ(relative, Walk(t.Root(), false, &state));
    EXPECT_EQ(r + L" ", state.RootPrefix);
}

TEST(CensusWalk, SubFolderContentsComeWhereTheFolderIsMet) {
    TempTree t;
    t.Dir(L"S");
    t.File(L"S\\1");
    t.File(L"S\\2");
    t.File(L"x");
    t.File(L"y");
    CensusState state;
    RecordingHost host;
    host.full_paths = false;
    CensusWalk(state, host).Run(t.Root());
    ASSERT_EQ(4u, host.lines.size());
    // The two lines of S stand together, wherever S came among x and y.
    auto first = std::find_if(host.lines.begin(), host.lines.end(), [](auto& l) { return l[0] == L'S'; });
    ASSERT_NE(first, host.lines.end());
    ASSERT_NE(first + 1, host.lines.end());
    EXPECT_EQ(L'S', (*(first + 1))[0]);
}

TEST(CensusWalk, NamesOutsideCodePage1251AreWalkedLikeAnyOther) {
    TempTree t;
    t.Dir(L"Папка");
    t.File(L"Папка\\файл.txt");
    t.Dir(L"日本語 Ελληνικά");
    t.File(L"日本語 Ελληνικά\\ü€.txt");
    t.Dir(L"日本語 Ελληνικά\\下");
    t.File(L"日本語 Ελληνικά\\下\\z");
    std::vector<std::wstring> expected = {L"Папка\\файл.txt", L"日本語 Ελληνικά\\ü€.txt", L"日本語 Ελληνικά\\下\\z"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, Walk(t.Root(), false));
}

TEST(CensusWalk, PathsLongerThan260CharactersAreWalked) {
    TempTree t;
    std::wstring rel;
    const std::wstring part(60, L'd');
    for (int i = 0; i < 6; ++i) {
        rel += (i ? L"\\" : L"") + part + std::to_wstring(i);
        t.Dir(rel);
    }
    t.File(rel + L"\\deep.txt");
    auto lines = Walk(t.Root(), true);
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ(t.Root() + L"\\" + rel + L"\\deep.txt", lines[0]);
    EXPECT_GT(lines[0].size(), 360u);
}

TEST(CensusWalk, LinksToSiblingsAreFollowedButNotLinksBackIntoTheWalk) {
    TempTree t;
    t.Dir(L"A");
    t.File(L"A\\a.txt");
    t.Dir(L"B");
    t.File(L"B\\b.txt");
    if (!t.DirLink(L"A\\toB", t.Path(L"B")) || !t.DirLink(L"A\\up", t.Root()))
        GTEST_SKIP() << "this process cannot make directory links";
    std::vector<std::wstring> expected = {L"A\\a.txt", L"A\\toB\\b.txt", L"B\\b.txt"};
    EXPECT_EQ(expected, Walk(t.Root(), false));
}

// A link to the folder that holds it, to that folder's parent, or to the
// top of the walk leads back into a folder being walked: not entered, so
// every file is listed once.
TEST(CensusWalk, LinksToTheirOwnFolderTheParentOrTheTopListEachFileOnce) {
    struct Case {
        const wchar_t* link;
        const wchar_t* target;  // relative; empty: the top
    };
    for (const Case c : {Case{L"A\\self", L"A"}, Case{L"A\\B\\up", L"A"}, Case{L"A\\B\\top", L""}}) {
        SCOPED_TRACE(c.link);
        TempTree t;
        t.Dir(L"A");
        t.Dir(L"A\\B");
        t.File(L"top.txt");
        t.File(L"A\\a.txt");
        t.File(L"A\\B\\b.txt");
        if (!t.DirLink(c.link, *c.target ? t.Path(c.target) : t.Root()))
            GTEST_SKIP() << "this process cannot make directory links";
        const std::vector<std::wstring> expected = {L"A\\B\\b.txt", L"A\\a.txt", L"top.txt"};
        EXPECT_EQ(expected, Walk(t.Root(), false));
    }
}

// Skipped, a link is neither a folder to enter nor a line, wherever it
// leads: outside the walk, back into it, or nowhere.
TEST(CensusWalk, SkippedLinksKeepTheListInsideTheFolder) {
    TempTree outside, t;  // t goes first: a link whose target is gone can no longer be removed
    outside.File(L"elsewhere.txt");
    t.Dir(L"A");
    t.File(L"A\\a.txt");
    t.Dir(L"B");
    t.File(L"B\\b.txt");
    for (auto [link, target] : {std::pair{L"A\\out", outside.Root()}, std::pair{L"A\\toB", t.Path(L"B")},
                                std::pair{L"A\\self", t.Path(L"A")}, std::pair{L"B\\up", t.Root()}})
        if (!t.DirLink(link, target)) GTEST_SKIP() << "this process cannot make directory links";
    const std::vector<std::wstring> inside = {L"A\\a.txt", L"B\\b.txt"};
    EXPECT_EQ(inside, Walk(t.Root(), false, nullptr, FolderLinks::Skipped));
    // Followed, as the window walks, the sibling and the outside come in too.
    const std::vector<std::wstring> followed = {L"A\\a.txt", L"A\\out\\elsewhere.txt", L"A\\toB\\b.txt",
                                                L"B\\b.txt"};
    EXPECT_EQ(followed, Walk(t.Root(), false));
}

// The walk tells its host of each folder whose files it could not list;
// it goes on with the rest. (The window passes over them quietly.)
TEST(CensusWalk, FoldersThatCannotBeReadAreNamedAndPassedOver) {
    TempTree t;
    t.Dir(L"Locked");
    t.File(L"Locked\\hidden-from-us.txt");
    t.File(L"visible.txt");
    TooDeepChain chain(t, L"deep");
    if (chain.Unreadable().empty()) GTEST_SKIP() << "this platform opens every folder it can make";
    UniqueFileHandle lock = testing::LockFolder(t.Path(L"Locked"));
    ASSERT_TRUE(lock);
    CensusState state;
    RecordingHost host;
    CensusWalk(state, host).Run(t.Root());
    EXPECT_EQ(std::vector<std::wstring>{t.Path(L"visible.txt")}, host.lines);
    ASSERT_EQ(2u, host.not_read.size());
    std::sort(host.not_read.begin(), host.not_read.end(), [](auto& a, auto& b) { return a.folder < b.folder; });
    EXPECT_EQ(t.Path(L"Locked\\"), host.not_read[0].folder);
    EXPECT_EQ(chain.Unreadable() + L"\\", host.not_read[1].folder);
    for (const auto& n : host.not_read) {
        EXPECT_NE(0u, n.error);
        EXPECT_TRUE(n.whole_missing);
    }
}

TEST(CensusWalk, AFolderThatCannotBeEnumeratedIsPassedOver) {
    TempTree t;
    t.Dir(L"Locked");
    t.File(L"Locked\\hidden-from-us.txt");
    t.File(L"visible.txt");
    UniqueFileHandle lock = testing::LockFolder(t.Path(L"Locked"));
    ASSERT_TRUE(lock);
    EXPECT_EQ(std::vector<std::wstring>{L"visible.txt"}, Walk(t.Root(), false));
    // A missing folder lists nothing and reports nothing.
    EXPECT_TRUE(Walk(t.Path(L"nope"), true).empty());
}

TEST(CensusWalk, AVirtualFolderListsNothingEvenWhereTheCurrentDirectoryHasFiles) {
    TempTree t;
    t.File(L"a.txt");
    t.Dir(L"Sub");
    t.File(L"Sub\\b.txt");
    CurrentDirectoryAt inside(t.Root());
    CensusState state;
    auto ticked = Walk(L"", true, &state);
    auto clear = Walk(L"", false);
    EXPECT_TRUE(ticked.empty());
    EXPECT_TRUE(clear.empty());
    EXPECT_EQ(0, state.FileCount);
}

TEST(CensusWalk, DotAndDotDotAreNeitherListedNorEntered) {
    TempTree t;
    t.File(L"a.txt");
    t.Dir(L"Sub");
    t.File(L"Sub\\b.txt");
    t.Dir(L"Sub\\Empty");
    CensusState state;
    RecordingHost host;
    CensusWalk(state, host).Run(t.Root());
    // Four entries: a.txt, Sub, Sub\b.txt, Sub\Empty. A "." or ".." taken
    // for a folder would be one more entry, and its contents more still.
    EXPECT_EQ(4, host.entries);
    EXPECT_EQ(2u, host.lines.size());
}

// A chain of `depth` single folders "d\\d\\d..." with one file at the bottom.
// Returns the bottom folder.
std::wstring MakeChain(const TempTree& t, int depth) {
    std::wstring rel = L"d";
    t.Dir(rel);
    for (int i = 1; i < depth; ++i) t.Dir(rel += L"\\d");
    t.File(rel + L"\\f.txt");
    return rel;
}

// Runs the walk on a thread with only `stack_bytes` of stack for it.
void WalkOnSmallStack(CensusWalk& walk, const std::wstring& folder, SIZE_T stack_bytes) {
    struct Job {
        CensusWalk* walk;
        std::wstring folder;
        SIZE_T stack_bytes;
    } job{&walk, folder, stack_bytes};
    auto run = [](void* p) -> DWORD {
        auto* j = static_cast<Job*>(p);
        // A platform may give a thread more stack than asked for (Wine gives
        // at least 1 MB): the rest is taken up by a pad in this frame, below
        // which the walk runs.
        using Limits = void(WINAPI*)(PULONG_PTR, PULONG_PTR);
        auto limits = reinterpret_cast<Limits>(
            ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "GetCurrentThreadStackLimits"));
        ULONG_PTR low = 0, high = 0;
        if (limits) limits(&low, &high);
        volatile char here = 0;
        size_t left = limits ? reinterpret_cast<ULONG_PTR>(&here) - low : 0;
        if (left > j->stack_bytes) {
            volatile char* pad = static_cast<char*>(__builtin_alloca(left - j->stack_bytes));
            pad[0] = here;
        }
        j->walk->Run(j->folder);
        return 0;
    };
    UniqueKernelHandle thread(
        ::CreateThread(nullptr, stack_bytes, run, &job, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
    ASSERT_TRUE(thread);
    ::WaitForSingleObject(thread.get(), INFINITE);
    DWORD code = 1;
    ::GetExitCodeThread(thread.get(), &code);
    EXPECT_EQ(0u, code);
}

// 600 levels: a walk that took stack for each level (most of a kilobyte)
// would not fit in 256 KB (under Wine such a walk quietly lists nothing).
// Deeper chains cost the test time only: under Wine every folder opened
// costs in proportion to its depth.
TEST(CensusWalk, ADeepChainIsWalkedOnASmallStackAndAStopEndsItInside) {
    TempTree t;
    const int depth = 600;
    const std::wstring bottom = MakeChain(t, depth);

    CensusState state;
    RecordingHost host;
    host.full_paths = false;
    CensusWalk walk(state, host);
    WalkOnSmallStack(walk, t.Root(), 256 * 1024);
    EXPECT_EQ(std::vector<std::wstring>{bottom + L"\\f.txt"}, host.lines);
    EXPECT_EQ(depth + 1, host.entries);  // the window was offered a catch-up at every folder

    // A stop half-way down the chain ends the walk at once: no file, no deeper folder.
    RecordingHost stopped;
    stopped.after_entry = [&](RecordingHost& h) {
        if (h.entries == depth / 2) state.StopRequested = true;
    };
    CensusWalk stopping(state, stopped);
    WalkOnSmallStack(stopping, t.Root(), 256 * 1024);
    EXPECT_TRUE(stopped.lines.empty());
    EXPECT_EQ(depth / 2, stopped.entries);
}

TEST(CensusWalk, StopEndsWithinOneEntryAtEveryLevel) {
    TempTree t;
    t.Dir(L"A");
    t.Dir(L"A\\B");
    for (int i = 0; i < 5; ++i) {
        t.File(L"A\\B\\f" + std::to_wstring(i));
        t.File(L"A\\g" + std::to_wstring(i));
        t.File(L"h" + std::to_wstring(i));
    }
    CensusState state;
    RecordingHost host;
    host.after_file = [&](RecordingHost& h) {
        if (h.lines.size() == 2) state.StopRequested = true;
    };
    CensusWalk(state, host).Run(t.Root());
    EXPECT_EQ(2u, host.lines.size());
    EXPECT_EQ(2, state.FileCount);
    // The next start clears the request.
    RecordingHost again;
    CensusWalk(state, again).Run(t.Root());
    EXPECT_EQ(15u, again.lines.size());
    EXPECT_FALSE(state.StopRequested);
}

TEST(CensusWalk, ACensusStartedInsideAnotherEndsTheInterruptedOne) {
    TempTree outer_tree, inner_tree;
    for (int i = 0; i < 4; ++i) outer_tree.File(L"o" + std::to_wstring(i));
    inner_tree.File(L"i1");
    inner_tree.File(L"i2");
    CensusState state;
    RecordingHost host;
    host.full_paths = false;
    bool started = false;
    host.after_file = [&](RecordingHost& h) {
        if (started) return;
        started = true;
        h.lines.clear();  // the new census clears the list
        CensusWalk(state, h).Run(inner_tree.Root());
    };
    CensusWalk(state, host).Run(outer_tree.Root());
    EXPECT_EQ((std::vector<std::wstring>{L"i1", L"i2"}), host.Sorted());
    EXPECT_EQ(2, state.FileCount);
    EXPECT_EQ(inner_tree.Root() + L"\\ ", state.RootPrefix);
}

TEST(CensusWalk, ClearingTheBoxMidCensusMakesTheNextFolderTheReference) {
    TempTree t;
    t.Dir(L"A");
    t.File(L"A\\x.txt");
    t.Dir(L"B");
    t.File(L"B\\y.txt");
    CensusState state;
    RecordingHost host;
    host.after_file = [](RecordingHost& h) { h.full_paths = false; };
    CensusWalk(state, host).Run(t.Root());
    ASSERT_EQ(2u, host.lines.size());
    // Whichever folder came first was listed in full; the second became the reference.
    std::wstring first = host.lines[0];
    std::wstring first_folder = first.substr(t.Root().size() + 1, 1);
    std::wstring second_folder = first_folder == L"A" ? L"B" : L"A";
    EXPECT_EQ(t.Root() + L"\\" + first_folder + (first_folder == L"A" ? L"\\x.txt" : L"\\y.txt"), first);
    EXPECT_EQ(second_folder == L"A" ? L"x.txt" : L"y.txt", host.lines[1]);
    EXPECT_EQ(t.Path(second_folder) + L"\\ ", state.RootPrefix);
}

}  // namespace
}  // namespace census
