// The console census, run as a script runs it, against the window's census
// and save on the same folders.
#include "app/main_form.h"
#include "cli/cli_run.h"
#include "runtime/application.h"
#include "runtime/errors.h"
#include "runtime/handles.h"
#include "shell/namespace/shell_namespace.h"
#include "support/real_input.h"
#include "support/recorded_messages.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>

namespace census {
namespace {

using testing::CliResult;
using testing::ReadBytes;
using testing::RunCli;
using testing::TempTree;
using testing::TooDeepChain;

// A list's lines in byte order (a census lists in the file system's order).
std::vector<std::string> SortedLines(const std::string& bytes) {
    std::vector<std::string> lines;
    for (size_t at = 0; at < bytes.size();) {
        size_t end = bytes.find("\r\n", at);
        if (end == std::string::npos) end = bytes.size();
        lines.push_back(bytes.substr(at, end - at));
        at = end + 2;
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

// The lines of standard error, "census_cli: " and all.
std::vector<std::wstring> ErrorLines(const CliResult& run) {
    std::vector<std::wstring> lines;
    for (size_t at = 0; at < run.error_text.size();) {
        size_t end = run.error_text.find(L"\r\n", at);
        if (end == std::wstring::npos) end = run.error_text.size();
        lines.push_back(run.error_text.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

// Every rule of the window's census in one small tree: nesting, an empty
// folder, hidden and system files, Cyrillic names and a Greek one that code
// page 1251 cannot hold, and (where links can be made) a link back to the top.
void MakeCensusFixture(const TempTree& t) {
    t.Dir(L"Вложенная");
    t.Dir(L"Sub");
    t.Dir(L"Sub\\Deeper");
    t.Dir(L"Empty");
    t.File(L"a.txt", "a");
    t.File(L"Вложенная\\файл.txt");
    t.File(L"Sub\\Deeper\\b.doc");
    t.File(L"Sub\\Ελληνικά.txt");
    t.File(L"hidden.txt");
    t.Attributes(L"hidden.txt", FILE_ATTRIBUTE_HIDDEN);
    t.File(L"Sub\\system.sys");
    t.Attributes(L"Sub\\system.sys", FILE_ATTRIBUTE_SYSTEM);
    t.DirLink(L"Sub\\Back", t.Root());
}

// The window's census and save, driven as the user drives them.
class WindowCensus {
public:
    WindowCensus() {
        form_ = std::make_unique<TForm1>();
        form_->Show();
        Application::Instance().ProcessMessages();
    }
    ~WindowCensus() {
        form_.reset();
        Application::Instance().ProcessMessages();
        for (const std::wstring& m : recorded_.errors) ADD_FAILURE() << ToUtf8(m);
    }

    // The folder chosen, the box set, a real click on the start button, and
    // the list saved in the chosen encoding; the saved bytes.
    std::string CensusAndSave(const std::wstring& folder, bool full_paths, bool utf8, const std::wstring& file) {
        UniqueIdList list;
        EXPECT_EQ(S_OK, ParsePath(folder, list));
        form_->FxShellTree1->SelectedFolder().SetIdList(list.get());
        form_->CheckBox1->SetChecked(full_paths);
        Application::Instance().ProcessMessages();
        const unsigned before = form_->Census().Generation;
        testing::RealClick(form_->Button1->Handle());
        EXPECT_TRUE(testing::PumpUntil([&] { return form_->Census().Generation != before; }, 10000));
        form_->SaveDialog1->ExecuteOverride = [&](SaveDialog& d) {
            d.FileName = file;
            d.FilterIndex = utf8 ? 2 : 1;
            return true;
        };
        form_->Button2Click(*form_->Button2);
        return ReadBytes(file);
    }

private:
    testing::RecordedMessages recorded_;  // exceptions fail the test at the end
    std::unique_ptr<TForm1> form_;
};

// Both programs, both line forms, both encodings: the same bytes. The window
// adds ".txt" to a name without it, so both lists are named with it.
TEST(ConsoleCensus, WritesTheWindowsListByteForByte) {
    TempTree t, lists;
    MakeCensusFixture(t);
    WindowCensus window;
    struct Case {
        bool full_paths, utf8;
        int exit_code;  // 1: the Greek name lost its letters in code page 1251
    };
    for (const Case c : {Case{true, false, 1}, Case{false, false, 1}, Case{true, true, 0}, Case{false, true, 0}}) {
        SCOPED_TRACE(std::to_string(c.full_paths) + std::to_string(c.utf8));
        const std::string expected = window.CensusAndSave(t.Root(), c.full_paths, c.utf8, lists.Path(L"window.txt"));
        std::vector<std::wstring> args = {t.Root(), L"/out", lists.Path(L"console.txt")};
        if (!c.full_paths) args.push_back(L"/relative");
        if (c.utf8) args.push_back(L"/utf8");
        CliResult run = RunCli(args);
        EXPECT_EQ(c.exit_code, run.exit_code) << ToUtf8(run.error_text);
        EXPECT_EQ(expected, ReadBytes(lists.Path(L"console.txt")));
        EXPECT_NE(std::string::npos, expected.find("b.doc\r\n"));  // the window did list the tree
        if (c.exit_code == 1) {
            EXPECT_NE(std::wstring::npos, run.error_text.find(L": 1.")) << ToUtf8(run.error_text);
        } else {
            EXPECT_EQ(L"", run.error_text);
        }
    }
}

// Every way a run can fail is code 2 with one line saying why, and the list
// file that was there is kept; a good run replaces it and leaves nothing beside it.
TEST(ConsoleCensus, ExitCodesAndTheListKeptAfterEveryFailure) {
    TempTree t;
    t.Dir(L"data");
    t.File(L"data\\f.txt");
    const std::wstring data = t.Path(L"data"), keep = t.Path(L"keep.txt");
    struct Case {
        std::vector<std::wstring> args;
        int exit_code;
        std::wstring in_error;
        bool locked = false;  // another program holds the list file open
    };
    const Case cases[] = {
        {{}, 2, L"не указан каталог"},
        {{data, L"/out", keep, L"/bogus"}, 2, L"\"/bogus\""},
        {{data, L"/out"}, 2, L"нет имени файла"},
        {{data, L"/out", L"-utf8"}, 2, L".\\-utf8"},
        {{t.Path(L"missing"), L"/out", keep}, 2, L"не найден"},
        {{t.Path(L"data\\f.txt"), L"/out", keep}, 2, L"это файл"},
        {{data, L"/out", t.Path(L"data")}, 2, L"это каталог"},
        {{data, L"/out", t.Path(L"no\\such\\list.txt")}, 2, L"не удалось записать файл"},
        {{data, L"/out", keep}, 2, L"не удалось записать файл", true},
        {{L"/?"}, 0, L""},
        {{data, L"/out", keep}, 0, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::CliCommandLine(c.args).size());
        t.File(L"keep.txt", "precious");
        UniqueFileHandle lock;
        if (c.locked)
            lock.reset(::CreateFileW(keep.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        CliResult run = RunCli(c.args);
        lock.reset();
        EXPECT_EQ(c.exit_code, run.exit_code);
        if (c.exit_code == 2) {
            EXPECT_EQ(0u, run.error_text.find(L"census_cli: ")) << ToUtf8(run.error_text);
            EXPECT_NE(std::wstring::npos, run.error_text.find(c.in_error)) << ToUtf8(run.error_text);
            EXPECT_EQ(run.error_text.size() - 2, run.error_text.find(L"\r\n")) << "one line";
            EXPECT_EQ("precious", ReadBytes(keep));
        } else {
            EXPECT_EQ(L"", run.error_text);
        }
        EXPECT_EQ(2, testing::CountEntries(t.Root()));  // data, keep.txt and nothing else
    }
    EXPECT_EQ(ToUtf8(data + L"\\f.txt\r\n"), ReadBytes(keep));
}

TEST(ConsoleCensus, UsageAsksForNothingElse) {
    CliResult run = RunCli({L"/?"});
    EXPECT_EQ(0, run.exit_code);
    EXPECT_NE(std::wstring::npos,
              run.output_text.find(L"census_cli КАТАЛОГ [/out ФАЙЛ] [/relative] [/utf8] [/nolinks] [/q]"));
    EXPECT_NE(std::wstring::npos, run.output_text.find(L"Код выхода"));
    EXPECT_EQ(L"", run.error_text);
}

// Folders and list files far past 260 characters and outside any ANSI code
// page, in the arguments as on disk; the list written inside the folder
// being walked lists neither its own unfinished copy nor itself.
TEST(ConsoleCensus, LongAndForeignPathsInArgumentsAndOnDisk) {
    TempTree t;
    // Each name under the 255 bytes a name may take on every file system.
    const std::wstring top = L"日本語-" + std::wstring(100, L'д');
    const std::wstring deep = top + L"\\" + std::wstring(100, L'ж') + L"\\" + std::wstring(100, L'ж');
    t.Dir(top);
    t.Dir(top + L"\\" + std::wstring(100, L'ж'));
    t.Dir(deep);
    const std::wstring file = t.Path(deep + L"\\Ελληνικά.txt");
    UniqueFileHandle(::CreateFileW(testing::Long(file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    const std::wstring list = t.Path(top + L"\\список.txt");
    ASSERT_GT(file.size(), 300u);

    CliResult run = RunCli({t.Path(top), L"/out", list, L"/utf8"});
    EXPECT_EQ(0, run.exit_code) << ToUtf8(run.error_text);
    EXPECT_EQ("\xEF\xBB\xBF" + ToUtf8(file + L"\r\n"), ReadBytes(testing::Long(list)));

    run = RunCli({t.Path(top), L"/out", list, L"/relative"});
    EXPECT_EQ(1, run.exit_code) << ToUtf8(run.error_text);
    // The earlier list is in the folder now, and is not listed: the new list takes its place.
    EXPECT_EQ(std::string(100, '\xE6') + "\\" + std::string(100, '\xE6') + "\\????????.txt\r\n",
              ReadBytes(testing::Long(list)));
}

// The window's census and the console's alike: a link to the folder that
// holds it, to that folder's parent or to the top is not entered again, so
// each file is listed once; with /nolinks no link is entered at all.
TEST(ConsoleCensus, LinksToTheirOwnFolderTheParentOrTheTopListEachFileOnce) {
    struct Case {
        const wchar_t* link;
        const wchar_t* target;  // relative; empty: the top
    };
    for (const Case c : {Case{L"A\\self", L"A"}, Case{L"A\\B\\up", L"A"}, Case{L"A\\B\\top", L""}}) {
        TempTree t, lists;
        t.Dir(L"A");
        t.Dir(L"A\\B");
        t.File(L"top.txt");
        t.File(L"A\\a.txt");
        t.File(L"A\\B\\b.txt");
        if (!t.DirLink(c.link, *c.target ? t.Path(c.target) : t.Root()))
            GTEST_SKIP() << "this process cannot make directory links";
        for (const bool no_links : {false, true}) {
            SCOPED_TRACE(ToUtf8(c.link) + (no_links ? " /nolinks" : ""));
            std::vector<std::wstring> args = {t.Root(), L"/out", lists.Path(L"list.txt"), L"/relative"};
            if (no_links) args.push_back(L"/nolinks");
            CliResult run = RunCli(args);
            EXPECT_EQ(0, run.exit_code) << ToUtf8(run.error_text);
            const std::vector<std::string> expected = {"A\\B\\b.txt", "A\\a.txt", "top.txt"};
            EXPECT_EQ(expected, SortedLines(ReadBytes(lists.Path(L"list.txt"))));
        }
    }
}

// A link inside the folder that leads two levels up takes the window's
// census through the whole tree above; /nolinks keeps every line inside
// the folder, each file once.
TEST(ConsoleCensus, NoLinksKeepsEveryLineInsideTheFolder) {
    TempTree t, lists;
    t.File(L"beside.txt");
    t.Dir(L"folder");
    t.Dir(L"folder\\sub");
    t.File(L"folder\\sub\\in.txt");
    t.Dir(L"folder\\other");
    t.File(L"folder\\other\\o.txt");
    if (!t.DirLink(L"folder\\sub\\loop_up", t.Root()) || !t.DirLink(L"folder\\sub\\to_other", t.Path(L"folder\\other")))
        GTEST_SKIP() << "this process cannot make directory links";
    const std::wstring list = lists.Path(L"list.txt");

    CliResult run = RunCli({t.Path(L"folder"), L"/out", list, L"/relative", L"/nolinks"});
    EXPECT_EQ(0, run.exit_code) << ToUtf8(run.error_text);
    EXPECT_EQ((std::vector<std::string>{"other\\o.txt", "sub\\in.txt"}), SortedLines(ReadBytes(list)));

    run = RunCli({t.Path(L"folder"), L"/out", list, L"/relative"});
    EXPECT_EQ(0, run.exit_code) << ToUtf8(run.error_text);
    const std::vector<std::string> lines = SortedLines(ReadBytes(list));
    for (const char* line : {"sub\\loop_up\\beside.txt", "sub\\to_other\\o.txt", "other\\o.txt"})
        EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), line)) << line;
}

// A list is written even where folders could not be read; each is named on
// standard error with the reason, and the code says the list is incomplete.
// /q leaves out the notes, never the folders.
TEST(ConsoleCensus, AListMissingUnreadableFoldersNamesEachAndExitsThree) {
    TempTree t, lists;
    t.File(L"visible.txt");
    t.File(L"Ελληνικά.txt");
    t.Dir(L"Locked");
    t.File(L"Locked\\x.txt");
    TooDeepChain chain(t, L"deep");
    if (chain.Unreadable().empty()) GTEST_SKIP() << "this platform opens every folder it can make";
    UniqueFileHandle lock = testing::LockFolder(t.Path(L"Locked"));
    ASSERT_TRUE(lock);
    struct Case {
        std::vector<std::wstring> options;
        bool to_file;
        bool replaced_note, summary;
    };
    const Case cases[] = {
        {{}, true, true, true},
        {{L"/utf8"}, true, false, true},
        {{L"/q"}, true, false, false},
        {{L"/out", L"-", L"/utf8"}, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options.size() + c.to_file * 10);
        std::vector<std::wstring> args = {t.Root(), L"/relative"};
        if (c.to_file) args.insert(args.end(), {L"/out", lists.Path(L"list.txt")});
        args.insert(args.end(), c.options.begin(), c.options.end());
        CliResult run = RunCli(args);
        EXPECT_EQ(3, run.exit_code) << ToUtf8(run.error_text);
        const std::vector<std::wstring> errors = ErrorLines(run);
        EXPECT_EQ(2u + c.replaced_note + c.summary, errors.size()) << ToUtf8(run.error_text);
        for (const std::wstring& folder : {t.Path(L"Locked"), chain.Unreadable()}) {
            const std::wstring named = L"census_cli: каталог \"" + folder + L"\" не прочитан, его файлов нет в списке: ";
            EXPECT_EQ(1, std::count_if(errors.begin(), errors.end(), [&](auto& e) {
                          return e.rfind(named, 0) == 0 && e.size() > named.size();  // and a reason
                      })) << ToUtf8(run.error_text);
        }
        std::string bytes = c.to_file ? ReadBytes(lists.Path(L"list.txt")) : run.output_bytes;
        if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) bytes.erase(0, 3);
        const std::vector<std::string> lines = SortedLines(bytes);
        ASSERT_EQ(2u, lines.size()) << bytes;
        EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), "visible.txt")) << bytes;
        EXPECT_EQ(1, testing::CountEntries(lists.Root()));
    }
}

// Another drive letter for a folder while this lives, as "subst" makes one;
// none where this process can make none.
class DriveLetter {
public:
    explicit DriveLetter(const std::wstring& folder) {
        const DWORD used = ::GetLogicalDrives();
        for (wchar_t l = L'Y'; l >= L'M' && !letter_; --l)
            if (!(used & (1u << (l - L'A')))) letter_ = l;
        if (!letter_) return;
        if (::DefineDosDeviceW(0, Device().c_str(), folder.c_str()) && Works()) {
            defined_ = folder;
            return;
        }
        ::DefineDosDeviceW(DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE, Device().c_str(), folder.c_str());
        // Under Wine a drive letter is a link in the prefix's folder of devices, beside "c:".
        std::wstring c_drive, target;
        if (testing::HostPath(L"C:\\", c_drive) && testing::HostPath(folder, target) && c_drive.size() > 4) {
            host_link_ = c_drive.substr(0, c_drive.size() - 3) + static_cast<wchar_t>(letter_ - L'A' + L'a') + L":";
            testing::RunHost(L"Z:\\bin\\ln", L"ln -s \"" + target + L"\" \"" + host_link_ + L"\"", [&] { return Works(); });
        }
        if (!Works()) letter_ = 0;
    }
    ~DriveLetter() {
        if (!defined_.empty())
            ::DefineDosDeviceW(DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE, Device().c_str(), defined_.c_str());
        if (!host_link_.empty())
            testing::RunHost(L"Z:\\bin\\rm", L"rm -f \"" + host_link_ + L"\"", [&] { return !Works(); });
    }
    // "X:", or empty when no letter could be made.
    std::wstring Device() const { return letter_ ? std::wstring{letter_, L':'} : std::wstring(); }

private:
    bool Works() const { return ::GetFileAttributesW((Device() + L"\\").c_str()) != INVALID_FILE_ATTRIBUTES; }

    wchar_t letter_ = 0;
    std::wstring defined_, host_link_;
};

std::wstring ShortPath(const std::wstring& path) {
    wchar_t buffer[MAX_PATH] = {};
    DWORD n = ::GetShortPathNameW(path.c_str(), buffer, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::wstring(buffer, n) : path;
}

// FILE inside FOLDER, however either is spelled: neither FILE nor its
// temporary file is ever listed, on the first run (FILE not there yet) as
// on the second (FILE there, and replaced).
TEST(ConsoleCensus, TheListAndItsTemporaryFileAreNeverListedHoweverSpelled) {
    TempTree t, elsewhere;
    t.File(L"a.txt");
    const std::wstring list = t.Path(L"list.txt");
    const std::wstring via = elsewhere.Path(L"via");
    const bool linked = elsewhere.DirLink(L"via", t.Root());
    DriveLetter letter(t.Root());
    const std::wstring short_root = ShortPath(t.Root());
    struct Case {
        const char* spelling;
        std::wstring folder, file;
        bool usable;
    };
    const Case cases[] = {
        {"plain", t.Root(), list, true},
        {"file by short name", t.Root(), short_root + L"\\list.txt", short_root != t.Root()},
        {"folder by short name", short_root, list, short_root != t.Root()},
        {"file through a link", t.Root(), via + L"\\list.txt", linked},
        {"folder through a link", via, list, linked},
        {"file on another drive letter", t.Root(), letter.Device() + L"\\list.txt", !letter.Device().empty()},
        {"device form", t.Root(), L"\\\\.\\" + list, true},
    };
    for (const Case& c : cases) {
        if (!c.usable) continue;
        for (const wchar_t* form : {L"/relative", L"/utf8"}) {
            ::DeleteFileW(list.c_str());
            for (int run_number = 1; run_number <= 2; ++run_number) {
                SCOPED_TRACE(std::string(c.spelling) + " " + ToUtf8(form) + " run " + std::to_string(run_number));
                CliResult run = RunCli({c.folder, L"/out", c.file, form});
                EXPECT_EQ(0, run.exit_code) << ToUtf8(run.error_text);
                std::string bytes = ReadBytes(list);
                if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) bytes.erase(0, 3);
                const std::vector<std::string> lines = SortedLines(bytes);
                EXPECT_EQ(1u, lines.size()) << bytes;
                EXPECT_TRUE(!lines.empty() && lines[0].ends_with("a.txt")) << bytes;
                EXPECT_EQ(2, testing::CountEntries(t.Root()));  // a.txt and the list
            }
        }
    }
}

// Standard output (no /out, or "/out -") and a device named as the list
// file take the lines as they come: no temporary file, nothing replaced.
// Standard output has no byte-order mark; a device path is no network path.
TEST(ConsoleCensus, StandardOutputAndDevicesTakeTheLinesStraight) {
    TempTree t, lists;
    t.File(L"a.txt");
    t.Dir(L"Sub");
    t.File(L"Sub\\файл.txt");
    t.File(L"Sub\\Ελληνικά.txt");
    const std::vector<std::string> in_1251 = {"Sub\\????????.txt", "Sub\\\xF4\xE0\xE9\xEB.txt", "a.txt"};
    const std::vector<std::string> in_utf8 = {"Sub\\" + ToUtf8(L"Ελληνικά.txt"), "Sub\\" + ToUtf8(L"файл.txt"),
                                              "a.txt"};
    std::vector<std::string> full_utf8;
    for (const std::string& line : in_utf8) full_utf8.push_back("\\\\.\\" + ToUtf8(t.Root()) + "\\" + line);
    const std::wstring list = lists.Path(L"list.txt");
    struct Case {
        std::vector<std::wstring> args;
        int exit_code;
        bool note;                        // the exit-1 note on standard error
        std::vector<std::string> output;  // standard output's lines
        std::vector<std::string> file;    // the list file's lines (none: not written)
    };
    const Case cases[] = {
        {{t.Root(), L"/relative"}, 1, true, in_1251, {}},
        {{t.Root(), L"/relative", L"/out", L"-", L"/utf8"}, 0, false, in_utf8, {}},
        {{L"/q", t.Root(), L"/out", L"-", L"-RELATIVE"}, 1, false, in_1251, {}},
        {{t.Root(), L"/relative", L"/out", L"NUL"}, 1, true, {}, {}},
        {{t.Root(), L"/relative", L"/out", L"nul", L"/utf8"}, 0, false, {}, {}},
        {{L"\\\\.\\" + t.Root(), L"/out", L"-", L"/utf8"}, 0, false, full_utf8, {}},
        {{t.Root(), L"/relative", L"/out", L"\\\\.\\" + list}, 1, true, {}, in_1251},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(testing::CliCommandLine(c.args)));
        ::DeleteFileW(list.c_str());
        CliResult run = RunCli(c.args);
        EXPECT_EQ(c.exit_code, run.exit_code) << ToUtf8(run.error_text);
        EXPECT_EQ(c.note ? 1u : 0u, ErrorLines(run).size()) << ToUtf8(run.error_text);
        EXPECT_EQ(c.output, SortedLines(run.output_bytes));
        EXPECT_EQ(c.file, SortedLines(ReadBytes(list)));
        EXPECT_EQ(2, testing::CountEntries(t.Root()));
        EXPECT_EQ(c.file.empty() ? 0 : 1, testing::CountEntries(lists.Root()));
    }
}

// A census that would take very long: links fan out four ways at each of
// ten levels, so the same folders are met about a million times.
void MakeEndlessFixture(const TempTree& t) {
    const int kLevels = 10;
    for (int i = 0; i < kLevels; ++i) {
        t.Dir(L"L" + std::to_wstring(i));
        for (int f = 0; f < 20; ++f) t.File(L"L" + std::to_wstring(i) + L"\\f" + std::to_wstring(f) + L".txt");
    }
    for (int i = 0; i + 1 < kLevels; ++i)
        for (const wchar_t* way : {L"a", L"b", L"c", L"d"})
            if (!t.DirLink(L"L" + std::to_wstring(i) + L"\\" + way, t.Path(L"L" + std::to_wstring(i + 1)))) return;
}

// Another program's console, attached to for a while: what it shows and
// what is typed into it. This process ignores Ctrl+C meanwhile.
class AttachedConsole {
public:
    explicit AttachedConsole(DWORD process) {
        ::FreeConsole();
        attached_ = ::AttachConsole(process) != FALSE;
        ::SetConsoleCtrlHandler(nullptr, TRUE);
        input_.reset(::CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, 0, nullptr));
        output_.reset(::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr));
    }
    ~AttachedConsole() {
        input_.reset();
        output_.reset();
        ::FreeConsole();
        ::SetConsoleCtrlHandler(nullptr, FALSE);
    }
    bool Attached() const { return attached_ && input_ && output_; }

    // Ctrl+C as the keyboard gives it to the console.
    bool TypeCtrlC() {
        INPUT_RECORD keys[2] = {};
        for (int i = 0; i < 2; ++i) {
            keys[i].EventType = KEY_EVENT;
            KEY_EVENT_RECORD& key = keys[i].Event.KeyEvent;
            key.bKeyDown = i == 0;
            key.wRepeatCount = 1;
            key.wVirtualKeyCode = 'C';
            key.wVirtualScanCode = static_cast<WORD>(::MapVirtualKeyW('C', MAPVK_VK_TO_VSC));
            key.uChar.UnicodeChar = 3;
            key.dwControlKeyState = LEFT_CTRL_PRESSED;
        }
        DWORD written = 0;
        return ::WriteConsoleInputW(input_.get(), keys, 2, &written) && written == 2;
    }

    // The whole screen buffer's text, rows joined without breaks.
    std::wstring ScreenText() const {
        CONSOLE_SCREEN_BUFFER_INFO info{};
        if (!::GetConsoleScreenBufferInfo(output_.get(), &info)) return {};
        std::wstring text(static_cast<size_t>(info.dwSize.X) * info.dwSize.Y, L' ');
        DWORD read = 0;
        ::ReadConsoleOutputCharacterW(output_.get(), text.data(), static_cast<DWORD>(text.size()), COORD{0, 0}, &read);
        text.resize(read);
        return text;
    }

private:
    bool attached_ = false;
    UniqueFileHandle input_, output_;
};

// Wine's console host lacks two of the platform's ways to interrupt: it
// sends Ctrl+Break to no other console's process group, and ends the
// processes of a closed console without a close event (so with a code of
// its own choosing).
bool UnderWine() { return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

// Ctrl+C typed into the console the census runs in, Ctrl+Break sent to its
// process group, or its console window closed: the run stops with code 2,
// the old list as it was and no temporary file left. Ended outright, it
// has no chance to clean up, and still leaves no temporary file.
TEST(ConsoleCensus, InterruptionsStopItAndKeepTheList) {
    TempTree levels;
    MakeEndlessFixture(levels);
    if (testing::CountEntries(levels.Path(L"L0")) < 24) GTEST_SKIP() << "this process cannot make directory links";
    enum class How { TypedCtrlC, CtrlBreak, ConsoleClosed, Killed };
    for (How how : {How::TypedCtrlC, How::ConsoleClosed, How::CtrlBreak, How::Killed}) {
        SCOPED_TRACE(static_cast<int>(how));
        TempTree lists;
        lists.File(L"keep.txt", "precious");
        std::wstring command = testing::CliCommandLine({levels.Path(L"L0"), L"/out", lists.Path(L"keep.txt")});
        STARTUPINFOW startup{sizeof startup};
        PROCESS_INFORMATION info{};
        ASSERT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE,
                                     CREATE_NEW_CONSOLE | (how == How::CtrlBreak ? CREATE_NEW_PROCESS_GROUP : 0),
                                     nullptr, nullptr, &startup, &info));
        UniqueKernelHandle process(info.hProcess), thread(info.hThread);
        // A run the test failed to stop would go on for hours.
        ScopeExit end_it([&] { ::TerminateProcess(process.get(), 99); });
        // Its temporary list is there once the census is under way.
        ASSERT_TRUE(testing::PumpUntil([&] { return testing::CountEntries(lists.Root()) == 2; }, 20000));
        auto console = std::make_unique<AttachedConsole>(info.dwProcessId);
        ASSERT_TRUE(console->Attached());
        if (how == How::TypedCtrlC) {
            ASSERT_TRUE(console->TypeCtrlC());
        }
        if (how == How::CtrlBreak) {
            if (UnderWine()) continue;
            ASSERT_TRUE(::GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, info.dwProcessId));
        }
        if (how == How::ConsoleClosed) {
            HWND window = ::GetConsoleWindow();
            // Closing a console ends every process attached to it that does not handle it: this one leaves first.
            console.reset();
            ASSERT_TRUE(window);
            ::PostMessageW(window, WM_CLOSE, 0, 0);
        }
        if (how == How::Killed) {
            console.reset();
            ASSERT_TRUE(::TerminateProcess(process.get(), 99));
        }
        ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(process.get(), 60000)) << "still running";
        DWORD code = 0;
        ::GetExitCodeProcess(process.get(), &code);
        if (how == How::Killed) {
            EXPECT_EQ(99u, code);
        } else if (how != How::ConsoleClosed || !UnderWine()) {
            EXPECT_EQ(2u, code);
        }
        if (console) {
            EXPECT_NE(std::wstring::npos, console->ScreenText().find(L"census_cli: перепись прервана"))
                << ToUtf8(console->ScreenText());
        }
        EXPECT_EQ("precious", ReadBytes(lists.Path(L"keep.txt")));
        // The system removes the temporary file with the process's last handle on it.
        EXPECT_TRUE(testing::WaitUntil([&] { return testing::CountEntries(lists.Root()) == 1; }));
    }
}

// A reader that stops reading ("| more" quit, a pipeline that wanted the
// first lines) ends the run at once and without a word.
TEST(ConsoleCensus, AReaderThatClosesTheOutputEndsTheRunQuietly) {
    TempTree levels;
    MakeEndlessFixture(levels);
    if (testing::CountEntries(levels.Path(L"L0")) < 24) GTEST_SKIP() << "this process cannot make directory links";
    CliResult run = testing::RunCliClosingOutput({levels.Path(L"L0"), L"/relative"}, 4096);
    EXPECT_EQ(2, run.exit_code);
    EXPECT_EQ(L"", run.error_text);
    EXPECT_GE(run.output_bytes.size(), 4096u);
    EXPECT_NE(std::string::npos, run.output_bytes.find(".txt\r\n")) << run.output_bytes.substr(0, 200);
}

// A census in a console of its own, as a user starts one from a console window.
class ConsoleRun {
public:
    // `error_file`: where standard error goes instead of the console (inheritable), if anywhere.
    explicit ConsoleRun(const std::vector<std::wstring>& args, HANDLE error_file = nullptr) {
        std::wstring command = testing::CliCommandLine(args);
        STARTUPINFOW startup{sizeof startup};
        if (error_file) {
            startup.dwFlags = STARTF_USESTDHANDLES;
            startup.hStdError = error_file;
        }
        PROCESS_INFORMATION info{};
        if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, error_file != nullptr, CREATE_NEW_CONSOLE,
                              nullptr, nullptr, &startup, &info))
            return;
        process_.reset(info.hProcess);
        UniqueKernelHandle thread(info.hThread);
        id_ = info.dwProcessId;
    }
    // A run the test did not stop would go on for hours.
    ~ConsoleRun() { End(); }
    void End() {
        if (process_) ::TerminateProcess(process_.get(), 99);
    }
    bool Started() const { return static_cast<bool>(process_); }
    bool Ended() const { return ::WaitForSingleObject(process_.get(), 60000) == WAIT_OBJECT_0; }
    // What its console shows now (attached to for the moment).
    std::wstring Screen() const { return AttachedConsole(id_).ScreenText(); }
    DWORD Id() const { return id_; }

private:
    UniqueKernelHandle process_;
    DWORD id_ = 0;
};

// The count and folder are shown on a console's standard error while the
// census runs, and cleared when it ends; not with /q, not where standard
// error is redirected, and not in the console the lines themselves go to.
TEST(ConsoleCensus, ProgressShowsOnlyOnAConsoleTheLinesDoNotGoTo) {
    TempTree levels, lists;
    MakeEndlessFixture(levels);
    if (testing::CountEntries(levels.Path(L"L0")) < 24) GTEST_SKIP() << "this process cannot make directory links";
    const std::wstring top = levels.Path(L"L0");
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    UniqueFileHandle errors(::CreateFileW(lists.Path(L"errors.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                          &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(errors);
    // The runs that show nothing start first, so that each has run longer
    // than the one that shows its progress when that is seen.
    ConsoleRun quiet({top, L"/out", lists.Path(L"quiet.txt"), L"/q"});
    ConsoleRun redirected({top, L"/out", lists.Path(L"redirected.txt")}, errors.get());
    ASSERT_TRUE(quiet.Started() && redirected.Started());
    ASSERT_TRUE(testing::WaitUntil([&] { return testing::CountEntries(lists.Root()) == 3; }, 20000));
    ConsoleRun lines_on_console({top});
    ASSERT_TRUE(lines_on_console.Started());
    ASSERT_TRUE(testing::WaitUntil([&] { return lines_on_console.Screen().find(L"\\L0\\") != std::wstring::npos; },
                                   20000));

    ConsoleRun shown({top, L"/out", lists.Path(L"shown.txt")});
    ASSERT_TRUE(shown.Started());
    std::wstring screen;
    ASSERT_TRUE(testing::WaitUntil([&] { return (screen = shown.Screen()).find(L"Файлов: ") != std::wstring::npos; },
                                   20000));
    EXPECT_NE(std::wstring::npos, screen.find(L"\\L0\\")) << ToUtf8(screen);  // a folder of the walk beside the count

    for (const ConsoleRun* silent : {&quiet, &redirected, &lines_on_console})
        EXPECT_EQ(std::wstring::npos, silent->Screen().find(L"Файлов")) << ToUtf8(silent->Screen());
    EXPECT_EQ("", ReadBytes(lists.Path(L"errors.txt")));

    {
        AttachedConsole console(shown.Id());
        ASSERT_TRUE(console.TypeCtrlC());
        ASSERT_TRUE(shown.Ended());
        screen = console.ScreenText();
    }
    EXPECT_EQ(std::wstring::npos, screen.find(L"Файлов")) << ToUtf8(screen);
    EXPECT_NE(std::wstring::npos, screen.find(L"census_cli: перепись прервана")) << ToUtf8(screen);
    // Ended outright, the others leave no temporary file either.
    quiet.End();
    redirected.End();
    EXPECT_TRUE(testing::WaitUntil([&] { return testing::CountEntries(lists.Root()) == 1; }));
}

}  // namespace
}  // namespace census
