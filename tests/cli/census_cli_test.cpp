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

#include <memory>

namespace census {
namespace {

using testing::CliResult;
using testing::ReadBytes;
using testing::RunCli;
using testing::TempTree;

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
    EXPECT_NE(std::wstring::npos, run.output_text.find(L"census_cli КАТАЛОГ /out ФАЙЛ [/relative] [/utf8]"));
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
    // The earlier list is in the folder now, and is listed like any file.
    const std::string expected_lines[] = {std::string(100, '\xE6') + "\\" + std::string(100, '\xE6') + "\\????????.txt\r\n",
                                          "\xF1\xEF\xE8\xF1\xEE\xEA.txt\r\n"};
    const std::string bytes = ReadBytes(testing::Long(list));
    EXPECT_EQ(expected_lines[0].size() + expected_lines[1].size(), bytes.size()) << bytes;
    for (const std::string& line : expected_lines) EXPECT_NE(std::string::npos, bytes.find(line)) << bytes;
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
// processes of a closed console without a close event.
bool UnderWine() { return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

// Ctrl+C typed into the console the census runs in, Ctrl+Break sent to its
// process group, or its console window closed: the run stops with code 2,
// the old list as it was and no temporary file left.
TEST(ConsoleCensus, InterruptionsStopItAndKeepTheList) {
    TempTree levels;
    MakeEndlessFixture(levels);
    if (testing::CountEntries(levels.Path(L"L0")) < 24) GTEST_SKIP() << "this process cannot make directory links";
    enum class How { TypedCtrlC, CtrlBreak, ConsoleClosed };
    for (How how : {How::TypedCtrlC, How::ConsoleClosed, How::CtrlBreak}) {
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
            if (UnderWine()) continue;
            HWND window = ::GetConsoleWindow();
            // Closing a console ends every process attached to it that does not handle it: this one leaves first.
            console.reset();
            ASSERT_TRUE(window);
            ::PostMessageW(window, WM_CLOSE, 0, 0);
        }
        ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(process.get(), 60000)) << "still running";
        DWORD code = 0;
        ::GetExitCodeProcess(process.get(), &code);
        EXPECT_EQ(2u, code);
        if (console) {
            EXPECT_NE(std::wstring::npos, console->ScreenText().find(L"census_cli: перепись прервана"))
                << ToUtf8(console->ScreenText());
        }
        EXPECT_EQ("precious", ReadBytes(lists.Path(L"keep.txt")));
        EXPECT_EQ(1, testing::CountEntries(lists.Root()));
    }
}

}  // namespace
}  // namespace census
