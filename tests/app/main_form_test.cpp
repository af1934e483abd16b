#include "app/main_form.h"
#include "runtime/application.h"
#include "runtime/errors.h"
#include "runtime/text_file.h"
#include "shell/namespace/shell_namespace.h"
#include "support/gdi_count.h"
#include "support/long_path_list.h"
#include "support/other_process.h"
#include "support/real_input.h"
#include "support/recorded_messages.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

namespace census {
namespace {

using testing::ReadBytes;
using testing::RealClick;
using testing::RealKey;
using testing::RealType;
using testing::CurrentDirectoryAt;
using testing::TempTree;

// The platform's save dialog as the user works it, from a second thread
// while the window's thread runs the dialog: the name typed over what the
// field holds, the file type chosen `type_steps` entries down the list, Enter.
class SaveDialogUser {
public:
    SaveDialogUser(std::wstring name, int type_steps) {
        worker_ = std::thread([this, name = std::move(name), type_steps] {
            HWND dialog = testing::WaitForOwnWindow(L"Записать в файл");
            if (!dialog) return;
            found_ = true;
            // The dialog puts the focus in the name field once it is ready.
            testing::WaitUntil([dialog] {
                GUITHREADINFO gui{sizeof(gui)};
                ::GetGUIThreadInfo(::GetWindowThreadProcessId(dialog, nullptr), &gui);
                return gui.hwndFocus && ::IsChild(dialog, gui.hwndFocus);
            }, 10000);
            RealKey(VK_END);
            RealKey(VK_HOME, true);
            RealKey(VK_DELETE);
            RealType(name);
            if (type_steps > 0) {
                RealKey(VK_TAB);
                for (int i = 0; i < type_steps; ++i) RealKey(VK_DOWN);
            }
            RealKey(VK_RETURN);
            done_ = true;
        });
    }
    ~SaveDialogUser() { worker_.join(); }
    bool Done() const { return done_; }
    bool Found() const { return found_; }

private:
    std::thread worker_;
    std::atomic<bool> found_{false}, done_{false};
};

std::vector<std::wstring> SortedLines(const std::wstring& text) {
    auto lines = SplitLines(text);
    std::sort(lines.begin(), lines.end());
    return lines;
}

// A click as the mouse makes it, waiting in the queue until the census lets
// messages run.
void PostClick(Control& control) {
    HWND h = control.Handle();
    LPARAM at = MAKELPARAM(control.Width() / 2, control.Height() / 2);
    ::PostMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageW(h, WM_LBUTTONUP, 0, at);
}

// The window with a user who acts once the census has listed `act_at`
// files. What the user does is real input, queued: the census handles it at
// its next catch-up, as it handles the user's.
class ActingForm : public TForm1 {
public:
    long act_at = 0;
    std::function<void()> act;

protected:
    void EntryDone() override {
        if (act && Census().FileCount >= act_at) std::exchange(act, nullptr)();
        TForm1::EntryDone();
    }
};

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The platform's save dialog moves the current directory to the
        // folder saved in; it is put back so test folders can be removed.
        ::GetCurrentDirectoryW(MAX_PATH, initial_directory_);
        auto acting_form = std::make_unique<ActingForm>();
        acting = acting_form.get();
        form = std::move(acting_form);
        form->Show();
        Application::Instance().ProcessMessages();
    }
    void TearDown() override {
        form.reset();
        Application::Instance().ProcessMessages();
        ::SetCurrentDirectoryW(initial_directory_);
    }
    void Choose(const std::wstring& folder) {
        UniqueIdList list;
        ASSERT_EQ(S_OK, ParsePath(folder, list));
        form->FxShellTree1->SelectedFolder().SetIdList(list.get());
        Application::Instance().ProcessMessages();
        ASSERT_EQ(folder, form->FxShellTree1->SelectedFolderPath());
    }
    void SaveAs(const std::wstring& name) {
        form->SaveDialog1->ExecuteOverride = [name](SaveDialog& d) {
            d.FileName = name;
            return true;
        };
    }
    std::wstring PaneText() { return form->Memo1->Lines().Text(); }

    testing::RecordedMessages recorded;
    std::vector<testing::ShownBox>& boxes = recorded.boxes;
    std::vector<std::wstring>& errors = recorded.errors;
    std::unique_ptr<TForm1> form;
    ActingForm* acting = nullptr;
    wchar_t initial_directory_[MAX_PATH] = L"";
};

TEST_F(MainFormTest, OpensWithInstructionsAndTheChosenFolderInThePathLabel) {
    EXPECT_EQ(TForm1::kInstructionText, PaneText());
    EXPECT_EQ(L"Количество файлов", form->Label2->Caption());
    EXPECT_FALSE(form->CheckBox1->Checked());
    EXPECT_EQ(542, form->ClientRect().right);
    EXPECT_EQ(551, form->ClientRect().bottom);

    TempTree t;
    Choose(t.Root());
    EXPECT_EQ(t.Root(), form->Label1->Caption());
    EXPECT_EQ(L"Текущий каталог: " + t.Root(), form->Label1->Hint());

    // Saved before any census: the instructions, bytes for bytes.
    SaveAs(t.Path(L"before"));
    form->Button2Click(*form->Button2);
    EXPECT_EQ(ToCodePage1251(TForm1::kInstructionText), ReadBytes(t.Path(L"before.txt")));
}

TEST_F(MainFormTest, FocusStartsInTheTreeAndTabFollowsTheTabOrder) {
    // The control of the window, whichever inner window of it has the focus.
    auto focused = [this]() -> Control* {
        for (HWND h = ::GetFocus(); h; h = ::GetParent(h))
            if (Control* c = Control::FromHandle(h); c && c->Parent() == form.get()) return c;
        return nullptr;
    };
    std::vector<Control*> order = {form->CheckBox1, form->Button1, form->Memo1,
                                   form->Button2,   form->Button3, form->FxShellTree1};
    EXPECT_EQ(form->FxShellTree1, focused());
    for (Control* expected : order) {
        form->SelectNext(true);
        EXPECT_EQ(expected, focused()) << expected->Name();
    }
    form->SelectNext(false);
    EXPECT_EQ(form->Button3, focused());
}

TEST_F(MainFormTest, CensusFillsThePaneAndCountsAndSavesIt) {
    TempTree t;
    t.File(L"a.txt");
    t.Dir(L"Sub");
    t.File(L"Sub\\b.doc");
    t.File(L"Sub\\в.txt");
    Choose(t.Root());

    form->Button1Click(*form->Button1);
    EXPECT_EQ((std::vector<std::wstring>{L"Sub\\b.doc", L"Sub\\в.txt", L"a.txt"}), SortedLines(PaneText()));
    EXPECT_TRUE(EmptyOrEndsWithBreak(PaneText()));
    EXPECT_EQ(L"Количество Файлов: 3", form->Label2->Caption());

    // A census leaves no GDI object behind (the first ones may fill caches).
    form->CheckBox1->SetChecked(true);
    form->Button1Click(*form->Button1);
    Application::Instance().ProcessMessages();
    unsigned long before = testing::LiveGdiObjects();
    for (int i = 0; i < 3; ++i) {
        form->Button1Click(*form->Button1);
        Application::Instance().ProcessMessages();
    }
    // A paint or timer still due may hold an object for a moment; a leak
    // never gives it back.
    testing::PumpUntil([&] { return testing::LiveGdiObjects() <= before; });
    EXPECT_EQ(before, testing::LiveGdiObjects());
    EXPECT_EQ(t.Path(L"a.txt"), SortedLines(PaneText()).back());

    SaveAs(t.Path(L"list"));
    form->Button2Click(*form->Button2);
    EXPECT_EQ(ToCodePage1251(PaneText()), ReadBytes(t.Path(L"list.txt")));
    std::wstring text = PaneText();
    EXPECT_EQ(3, std::count(text.begin(), text.end(), L'\n'));
}

// A folder of 300 characters, chosen in the tree (its parent is still short
// enough for the shell to parse) and listed by a click on the start button.
TEST_F(MainFormTest, ChosenFolderOfThreeHundredCharactersIsShownAndListed) {
    TempTree t;
    std::vector<std::wstring> names = {std::wstring(50, L'p'), std::wstring(50, L'q')};
    t.Dir(names[0]);
    t.Dir(names[0] + L"\\" + names[1]);
    const std::wstring parent = t.Path(names[0] + L"\\" + names[1]);
    names.push_back(std::wstring(300 - parent.size() - 1, L'r'));
    const std::wstring chosen = parent + L"\\" + names.back();
    ASSERT_EQ(300u, chosen.size());
    const std::wstring relative = names[0] + L"\\" + names[1] + L"\\" + names[2];
    t.Dir(relative);
    t.Dir(relative + L"\\Sub");
    t.File(relative + L"\\a.txt");
    t.File(relative + L"\\Sub\\b.txt");

    UniqueIdList list = testing::LongPathList(t.Root(), names);
    ASSERT_TRUE(list);
    form->FxShellTree1->SelectedFolder().SetIdList(list.get());
    Application::Instance().ProcessMessages();
    EXPECT_EQ(chosen, form->Label1->Caption());

    testing::ClickClient(form->Button1->Handle(), {form->Button1->Width() / 2, form->Button1->Height() / 2});
    EXPECT_EQ((std::vector<std::wstring>{L"Sub\\b.txt", L"a.txt"}), SortedLines(PaneText()));
    EXPECT_EQ(L"Количество Файлов: 2", form->Label2->Caption());
}

TEST_F(MainFormTest, ChosenFolderRemovedElsewhereShowsItsParentInThePathLabel) {
    TempTree t;
    t.Dir(L"Chosen");
    Choose(t.Path(L"Chosen"));
    EXPECT_EQ(t.Path(L"Chosen"), form->Label1->Caption());
    ASSERT_TRUE(testing::RunCommand(L"rmdir \"" + t.Path(L"Chosen") + L"\""));
    testing::PumpUntil([&] { return form->Label1->Caption() == t.Root(); });
    EXPECT_EQ(t.Root(), form->Label1->Caption());
}

TEST_F(MainFormTest, TypedTextIsKeptAndLinesFollowItAfterALineBreak) {
    TempTree t;
    form->Memo1->Lines().SetText(L"набрано вручную");
    std::vector<std::wstring> block = {L"a.txt", L"b.txt"};
    form->Memo1->Lines().AddStrings(block);
    EXPECT_EQ(L"набрано вручную\r\na.txt\r\nb.txt", PaneText());
    SaveAs(t.Path(L"typed.txt"));
    form->Button2Click(*form->Button2);
    EXPECT_EQ("\xED\xE0\xE1\xF0\xE0\xED\xEE \xE2\xF0\xF3\xF7\xED\xF3\xFE\r\na.txt\r\nb.txt",
              ReadBytes(t.Path(L"typed.txt")));
}

// Pressed as the user presses it: the census runs inside the click, and the
// test reads what the window then shows.
void RealCensus(TForm1& form) {
    RealClick(form.Button1->Handle());
    // The click is in the queue once the platform has delivered it.
    testing::PumpUntil([&] { return form.Census().Generation != 0; });
    Application::Instance().ProcessMessages();
}

// The count always reads the list in the pane: after a census that found
// nothing it reads 0, not the count of an earlier census.
TEST_F(MainFormTest, AnEmptyFolderLeavesAnEmptyListCountedZero) {
    TempTree t;
    t.File(L"one.txt");
    t.Dir(L"Empty");
    Choose(t.Root());
    RealCensus(*form);
    ASSERT_EQ(L"Количество Файлов: 1", form->Label2->Caption());
    Choose(t.Path(L"Empty"));
    unsigned before = form->Census().Generation;
    RealClick(form->Button1->Handle());
    testing::PumpUntil([&] { return form->Census().Generation != before; });
    EXPECT_EQ(L"", PaneText());
    EXPECT_EQ(L"Количество Файлов: 0", form->Label2->Caption());
    SaveAs(t.Path(L"empty"));
    form->Button2Click(*form->Button2);
    EXPECT_TRUE(testing::FileExists(t.Path(L"empty.txt")));
    EXPECT_EQ("", ReadBytes(t.Path(L"empty.txt")));
}

// A folder without a file-system path (here the computer) has no files: the
// process's current directory, full of files, is not walked in its place.
TEST_F(MainFormTest, AVirtualFolderListsNothingAndCountsZero) {
    TempTree t;
    t.File(L"a.txt");
    t.Dir(L"Sub");
    t.File(L"Sub\\b.txt");
    CurrentDirectoryAt inside(t.Root());
    UniqueCoTaskMem<ITEMIDLIST> computer;
    ASSERT_EQ(S_OK, ::SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, computer.put()));
    form->FxShellTree1->SelectedFolder().SetIdList(computer.get());
    Application::Instance().ProcessMessages();
    ASSERT_EQ(L"", form->FxShellTree1->SelectedFolderPath());
    RealCensus(*form);
    EXPECT_EQ(L"", PaneText());
    EXPECT_EQ(L"Количество Файлов: 0", form->Label2->Caption());
}

// Deep in folders that hold no file the window still answers: the stop
// clicked before the first file ends the census, and no line is listed.
TEST_F(MainFormTest, StopIsAnsweredInsideAChainOfFoldersWithoutFiles) {
    TempTree t;
    std::wstring rel = L"d";
    t.Dir(rel);
    for (int i = 1; i < 100; ++i) t.Dir(rel += L"\\d");
    t.File(rel + L"\\bottom.txt");
    Choose(t.Root());
    PostClick(*form->Button3);
    form->Button1Click(*form->Button1);
    EXPECT_EQ(L"", PaneText());
    EXPECT_EQ(L"Количество Файлов: 0", form->Label2->Caption());
}

// Closing the window ends a running census as the stop button does.
TEST_F(MainFormTest, ClosingTheWindowEndsTheCensus) {
    TempTree t;
    for (int i = 0; i < 50; ++i) t.File(L"f" + std::to_wstring(i));
    Choose(t.Root());
    ::PostMessageW(form->Handle(), WM_CLOSE, 0, 0);
    form->Button1Click(*form->Button1);
    EXPECT_LE(SplitLines(PaneText()).size(), 1u);
    EXPECT_TRUE(form->Census().StopRequested);
}

// The pane's last line lies within its client area, where the user sees it.
bool LastLineOnScreen(TForm1& form, int line) {
    HWND edit = form.Memo1->Inner().Handle();
    LRESULT at = ::SendMessageW(edit, EM_POSFROMCHAR, ::SendMessageW(edit, EM_LINEINDEX, line, 0), 0);
    RECT client;
    ::GetClientRect(edit, &client);
    const int y = static_cast<short>(HIWORD(at));
    return y >= 0 && y < client.bottom;
}

// A real click on the stop button in the middle of a large census: every
// line listed up to the stop reaches the pane, its last line is on screen,
// and the count is the list's.
TEST_F(MainFormTest, AfterARealStopThePaneShowsTheLastLineAndTheCountIsTheLists) {
    constexpr int kFiles = 8000;
    TempTree t;
    for (int i = 0; i < kFiles; ++i) t.File(L"f" + std::to_wstring(i));
    Choose(t.Root());
    testing::MakeForeground(form->Handle());
    acting->act_at = 2000;
    acting->act = [this] { testing::QueueClickAt(testing::CentreOf(form->Button3->Handle())); };
    form->Button1Click(*form->Button1);
    testing::InputBarrier();
    const auto lines = SplitLines(PaneText());
    ASSERT_GE(lines.size(), 2000u);
    ASSERT_LT(lines.size(), static_cast<std::size_t>(kFiles)) << "the stop came after the census";
    EXPECT_EQ(static_cast<std::size_t>(form->Census().FileCount), lines.size());
    EXPECT_EQ(L"Количество Файлов: " + std::to_wstring(lines.size()), form->Label2->Caption());
    EXPECT_TRUE(LastLineOnScreen(*form, static_cast<int>(lines.size()) - 1));
    EXPECT_EQ(lines.back(), form->Memo1->Lines().Get(static_cast<int>(lines.size()) - 1));
}

// Alt+F4 in the middle of a census: the window goes, the census ends, and
// what the window last showed stays consistent (the count is the pane's).
TEST_F(MainFormTest, AltF4DuringACensusHidesTheWindowAndEndsTheCensus) {
    constexpr int kFiles = 8000;
    TempTree t;
    for (int i = 0; i < kFiles; ++i) t.File(L"f" + std::to_wstring(i));
    Choose(t.Root());
    testing::MakeForeground(form->Handle());
    testing::ClickAt(testing::CentreOf(form->Memo1->Inner().Handle()));
    ASSERT_EQ(form->Memo1->Inner().Handle(), ::GetFocus());
    acting->act_at = 2000;
    acting->act = [] {
        testing::Key(VK_MENU, true);
        testing::Key(VK_F4, true);
        testing::Key(VK_F4, false);
        testing::Key(VK_MENU, false);
    };
    form->Button1Click(*form->Button1);
    EXPECT_FALSE(::IsWindowVisible(form->Handle()));
    EXPECT_TRUE(form->Census().StopRequested);
    EXPECT_LT(form->Census().FileCount, kFiles);
    const auto shown = SplitLines(PaneText()).size();
    EXPECT_GE(shown, 2000u);
    EXPECT_EQ(L"Количество Файлов: " + std::to_wstring(shown), form->Label2->Caption());
}

TEST_F(MainFormTest, StopEndsTheCensusAfterTheFileBeingShown) {
    TempTree t;
    for (int i = 0; i < 50; ++i) t.File(L"f" + std::to_wstring(i));
    Choose(t.Root());
    PostClick(*form->Button3);
    form->Button1Click(*form->Button1);
    EXPECT_EQ(1u, SplitLines(PaneText()).size());
    EXPECT_EQ(L"Количество Файлов: 1", form->Label2->Caption());
    // A stop with no census running does not touch the next one.
    form->Button3Click(*form->Button3);
    form->Button1Click(*form->Button1);
    EXPECT_EQ(50u, SplitLines(PaneText()).size());
}

TEST_F(MainFormTest, SaveDuringACensusWritesWhatIsListedSoFar) {
    TempTree t;
    for (int i = 0; i < 20; ++i) t.File(L"f" + std::to_wstring(i));
    Choose(t.Root());
    SaveAs(t.Path(L"partial"));
    PostClick(*form->Button2);
    form->Button1Click(*form->Button1);
    auto saved = ReadBytes(t.Path(L"partial.txt"));
    ASSERT_FALSE(saved.empty());
    EXPECT_EQ(1, std::count(saved.begin(), saved.end(), '\n'));
    EXPECT_EQ(20u, SplitLines(PaneText()).size());
}

TEST_F(MainFormTest, StartDuringACensusReplacesItAndTheBoxIsReadAtEachFolder) {
    TempTree t;
    for (int i = 0; i < 20; ++i) t.File(L"f" + std::to_wstring(i));
    Choose(t.Root());
    // The running census lists relative names; the new one, with the box
    // ticked meanwhile, full paths. Only the new census's lines remain.
    PostClick(*form->CheckBox1);
    PostClick(*form->Button1);
    form->Button1Click(*form->Button1);
    EXPECT_TRUE(form->CheckBox1->Checked());
    auto lines = SortedLines(PaneText());
    ASSERT_EQ(20u, lines.size());
    for (const auto& l : lines) EXPECT_EQ(0u, l.find(t.Root() + L"\\")) << l;
    EXPECT_EQ(L"Количество Файлов: 20", form->Label2->Caption());
}

TEST_F(MainFormTest, TabThenEnterStartsACensus) {
    TempTree t;
    t.File(L"a.txt");
    t.File(L"b.txt");
    Choose(t.Root());
    // Keys go to the window under the pointer on a display without a window manager.
    testing::MoveMouseTo(form->ClientToScreen({200, 476}));
    testing::MakeForeground(form->Handle());
    form->FxShellTree1->SetFocus();
    testing::PressKey(VK_TAB);
    ASSERT_TRUE(testing::PumpUntil([&] { return form->CheckBox1->IsFocused(); }));
    testing::PressKey(VK_TAB);
    ASSERT_TRUE(testing::PumpUntil([&] { return form->Button1->Focused(); }));
    // The focused start button shows its two-pixel window-frame outline.
    EXPECT_TRUE(testing::PumpUntil([&] {
        return testing::ScreenPixel(form->Button1->ClientToScreen({1, 1})) == ColorToRgb(clWindowFrame);
    }));
    testing::PressKey(VK_RETURN);
    EXPECT_TRUE(testing::PumpUntil([&] { return SplitLines(PaneText()).size() == 2; }));
    EXPECT_EQ((std::vector<std::wstring>{L"a.txt", L"b.txt"}), SortedLines(PaneText()));
    EXPECT_EQ(L"Количество Файлов: 2", form->Label2->Caption());
    EXPECT_FALSE(form->CheckBox1->Checked());
}

TEST_F(MainFormTest, APostedClickOnTheBoxChangesTheNextCensussLines) {
    TempTree t;
    t.Dir(L"Sub");
    t.File(L"Sub\\b.doc");
    Choose(t.Root());
    PostClick(*form->CheckBox1);
    Application::Instance().ProcessMessages();
    ASSERT_TRUE(form->CheckBox1->Checked());
    form->Button1Click(*form->Button1);
    EXPECT_EQ(t.Path(L"Sub\\b.doc") + L"\r\n", PaneText());
    PostClick(*form->CheckBox1);
    Application::Instance().ProcessMessages();
    ASSERT_FALSE(form->CheckBox1->Checked());
    form->Button1Click(*form->Button1);
    EXPECT_EQ(L"Sub\\b.doc\r\n", PaneText());
}

TEST_F(MainFormTest, SaveAsksForANameAndReportsFailures) {
    TempTree t;
    SaveAs(L"");
    form->Button2Click(*form->Button2);
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(L"(!)укажите имя сохраняемого файла(!)", boxes[0].text);
    EXPECT_EQ(Application::Instance().Title(), boxes[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK), boxes[0].flags);

    form->SaveDialog1->ExecuteOverride = [](SaveDialog&) { return false; };
    form->Button2Click(*form->Button2);
    EXPECT_EQ(1u, boxes.size());

    // Through the window, as a click: the failure is shown, and the program goes on.
    SaveAs(t.Path(L"no\\such\\folder\\list"));
    PostClick(*form->Button2);
    Application::Instance().ProcessMessages();
    ASSERT_EQ(1u, errors.size());
    EXPECT_EQ(0u, errors[0].find(L"Cannot create file \"" + t.Path(L"no\\such\\folder\\list.txt") + L"\". "));
    EXPECT_EQ(L'.', errors[0].back());
}

// Through the platform's dialog, typed as the user types: both file types, a
// full path far over 260 characters (which the platform's dialog code could
// not take), and a name the file system refuses. The list survives them all.
TEST_F(MainFormTest, TheRealSaveDialogTakesLongNamesAndBothFileTypes) {
    TempTree t;
    const std::wstring folder = t.Path(std::wstring(120, L'p'));
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring list = L"a\\Ελληνικά.txt\r\nb\\файл.txt\r\nc\\日本語.txt\r\n";
    form->Memo1->Lines().SetText(list);
    struct Case {
        std::wstring typed;
        int type_steps;        // 0: code page 1251, 1: UTF-8
        std::wstring written;  // empty: the file system refuses the name
        std::string bytes;
    };
    const std::string cp = "a\\????????.txt\r\nb\\\xF4\xE0\xE9\xEB.txt\r\nc\\???.txt\r\n";
    const std::string utf8 = "\xEF\xBB\xBF" + ToUtf8(list);
    const std::wstring long_name(250, L'n');
    const Case cases[] = {
        {folder + L"\\short", 0, folder + L"\\short.txt", cp},
        {folder + L"\\utf", 1, folder + L"\\utf.txt", utf8},
        {folder + L"\\" + long_name, 0, folder + L"\\" + long_name + L".txt", cp},  // a path of about 400
        {folder + L"\\" + std::wstring(300, L'n'), 1, L"", ""},
    };
    for (const Case& c : cases) {
        boxes.clear();
        errors.clear();
        SaveDialogUser user(c.typed, c.type_steps);
        RealClick(form->Button2->Handle());
        auto finished = [&] {
            return user.Done() && (c.written.empty() ? !errors.empty() : testing::FileExists(testing::Long(c.written)));
        };
        testing::PumpUntil(finished, 20000);
        Application::Instance().ProcessMessages();
        ::SetCurrentDirectoryW(initial_directory_);  // the dialog moved it into the test's folder
        ASSERT_TRUE(user.Found()) << "no save dialog";
        EXPECT_EQ(list, form->Memo1->Lines().Text());
        if (c.written.empty()) {
            ASSERT_EQ(1u, errors.size());
            EXPECT_EQ(0u, errors[0].find(L"Cannot create file \"" + c.typed + L".txt\". ")) << errors[0];
            continue;
        }
        EXPECT_EQ(c.bytes, ReadBytes(testing::Long(c.written))) << c.written.size();
        EXPECT_TRUE(errors.empty()) << errors.front();
        // Two of the three lines lost characters in code page 1251, and the user is told so.
        if (c.type_steps == 0) {
            ASSERT_EQ(1u, boxes.size());
            EXPECT_NE(std::wstring::npos, boxes[0].text.find(L": 2.")) << boxes[0].text;
            EXPECT_NE(std::wstring::npos, boxes[0].text.find(L"\"UTF-8\"")) << boxes[0].text;
            EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONWARNING), boxes[0].flags);
        } else {
            EXPECT_TRUE(boxes.empty());
        }
    }
}

}  // namespace
}  // namespace census
