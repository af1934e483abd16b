// The tree's own transfers where the shell does no file work: run on a
// worker while the window answers, with the platform's progress dialog and
// its Cancel, one report at the end, and refusals that say why.
#include "runtime/path_names.h"
#include "shell/tree/shown_shell_tree.h"
#include "shell/transfer/small_drive.h"
#include "shell/transfer/file_operations.h"
#include "shell/transfer/transfer_job.h"
#include "shell/transfer/tree_data_object.h"

#include "support/file_clipboard.h"
#include "support/other_process.h"
#include "support/real_input.h"

#include <gtest/gtest.h>
#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <functional>
#include <thread>

namespace census {
namespace {

using namespace census::testing;

// --- the worker alone -----------------------------------------------------------------

// A file layer whose transfer works "file" by "file" until it is asked to
// stop, as a long copy does.
class EndlessFiles : public FileOperations {
public:
    explicit EndlessFiles(std::atomic<int>& files_done) : files_done_(files_done) {}
    TransferReport Run(const std::vector<std::wstring>& sources, const std::wstring&, DWORD,
                       TransferProgress& progress) override {
        TransferReport report;
        while (!progress.CancelRequested()) {
            ++files_done_;
            ::Sleep(5);
        }
        report.cancelled = true;
        for (const std::wstring& source : sources) report.items.push_back({source});
        return report;
    }
    TransferReport Delete(const std::vector<std::wstring>& items, TransferProgress& progress) override {
        return Run(items, {}, DROPEFFECT_NONE, progress);
    }
    std::wstring Refusal(const std::vector<std::wstring>&, const std::wstring&, DWORD) override { return {}; }

private:
    std::atomic<int>& files_done_;
};

TEST(TransferJobs, OwnerGoingAwayStopsTheRunningTransferAndDropsTheQueuedOnes) {
    std::atomic<int> files_done{0}, layers_made{0};
    UniqueHwnd window(::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
    {
        TransferJobs jobs(window.get(), WM_APP, [&] {
            ++layers_made;
            return std::make_unique<EndlessFiles>(files_done);
        });
        jobs.Start({{L"C:\\a"}, L"C:\\b", DROPEFFECT_COPY});
        jobs.Start({{L"C:\\c"}, L"C:\\b", DROPEFFECT_COPY});
        EXPECT_TRUE(jobs.Pending());
        ASSERT_TRUE(WaitUntil([&] { return files_done.load() >= 3; }, 10000)) << "the first transfer runs";
    }  // must return: the running transfer is told to stop
    EXPECT_EQ(layers_made.load(), 1) << "the second transfer never started";
    const int after = files_done.load();
    ::Sleep(50);  // a thread left working would count on meanwhile: nothing to wait for but time
    EXPECT_EQ(files_done.load(), after) << "no thread is left working";
}

// --- the tree -------------------------------------------------------------------------

// Records the folders the tree asks the refusal check about, and passes
// everything on to the program's own layer.
class CountingFiles : public FileOperations {
public:
    explicit CountingFiles(std::vector<std::wstring>& asked) : asked_(asked), real_(MakeFileOperations()) {}
    TransferReport Run(const std::vector<std::wstring>& sources, const std::wstring& folder, DWORD effect,
                       TransferProgress& progress) override {
        return real_->Run(sources, folder, effect, progress);
    }
    TransferReport Delete(const std::vector<std::wstring>& items, TransferProgress& progress) override {
        return real_->Delete(items, progress);
    }
    LinkSearch FindLinkInside(const std::wstring& path, TransferProgress& progress) override {
        return real_->FindLinkInside(path, progress);
    }
    std::wstring Refusal(const std::vector<std::wstring>& sources, const std::wstring& folder, DWORD effect) override {
        asked_.push_back(folder);
        return real_->Refusal(sources, folder, effect);
    }

private:
    std::vector<std::wstring>& asked_;
    std::unique_ptr<FileOperations> real_;
};

class ShellTreeTransfers : public ShownShellTree {
protected:
    void SetUp() override {
        if (ShellTransfersFiles()) GTEST_SKIP() << "the shell carries out transfers here";
    }
    // Del on the selected node, then Enter on a confirmation, were one shown.
    void DeleteAndConfirm() {
        Perform([] {
            Chord({VK_DELETE});
            InputBarrier();  // the key handled: a confirmation, were one shown, would be up now
            KeyDown(VK_RETURN);
            KeyUp(VK_RETURN);
            InputBarrier();
        });
    }
};

TEST_F(ShellTreeTransfers, ADragDecidesOncePerFolderUnderThePointer) {
    Load(temp.Root());
    std::vector<std::wstring> asked;
    tree.SetFileLayerFactory([&] { return std::make_unique<CountingFiles>(asked); });
    const POINT alpha = Center(Top(L"alpha")), beta = Center(Top(L"Beta")), gamma = Center(Top(L"gamma"));
    Perform([&] {
        StartDragTo(alpha, beta);
        Pause(300);  // resting: the platform asks again and again
        GlideTo(beta, {beta.x + 6, beta.y + 2});
        GlideTo({beta.x + 6, beta.y + 2}, gamma);
        Pause(300);
        GlideTo(gamma, beta);
        Pause(300);
        KeyDown(VK_ESCAPE);
        KeyUp(VK_ESCAPE);
        Pause(100);
        ButtonUp();
        InputBarrier();
    });
    // The drag starts over alpha, then rests on Beta, gamma and Beta again.
    std::sort(asked.begin(), asked.end());
    EXPECT_EQ(asked, (std::vector<std::wstring>{temp.Path(L"Beta"), temp.Path(L"alpha"), temp.Path(L"gamma")}));
    EXPECT_EQ(CountEntries(temp.Root()), 3) << "the cancelled drag moved nothing";
}

TEST_F(ShellTreeTransfers, ADropOntoATakenNameIsRefusedWithAMessage) {
    temp.Dir(L"Beta\\alpha");
    Load(temp.Root());
    const POINT alpha = Center(Top(L"alpha")), beta = Center(Top(L"Beta"));
    Perform([&] {
        StartDragTo(alpha, beta);
        KeyDown(VK_CONTROL);
        Pause(400);
        ButtonUp();
        InputBarrier();  // dropped while Ctrl is still held
        KeyUp(VK_CONTROL);
        InputBarrier();
    });
    FinishTransfers();
    Application::Instance().ProcessMessages();
    ASSERT_EQ(recorded.boxes.size(), 1u) << "the refusal is shown once the drop has returned";
    EXPECT_EQ(recorded.boxes[0].Icon(), static_cast<UINT>(MB_ICONSTOP));
    EXPECT_NE(recorded.boxes[0].text.find(L"alpha"), std::wstring::npos) << ToUtf8(recorded.boxes[0].text);
    EXPECT_EQ(CountEntries(temp.Path(L"Beta\\alpha")), 0) << "the folder there is untouched";
    EXPECT_EQ(ReadBytes(temp.Path(L"alpha\\inner\\a.txt")), "abc");
}

TEST_F(ShellTreeTransfers, DelOnAFolderHoldingALinkIsRefusedNamingTheLink) {
    TempTree elsewhere;
    elsewhere.Dir(L"desk");
    elsewhere.File(L"desk\\keep.txt", "keep");
    if (!temp.DirLink(L"gamma\\to-desk", elsewhere.Path(L"desk"))) GTEST_SKIP() << "no directory links here";
    Load(temp.Root());
    ClickOn(Top(L"gamma"));
    DeleteAndConfirm();
    ASSERT_EQ(recorded.boxes.size(), 1u);
    EXPECT_NE(recorded.boxes[0].text.find(temp.Path(L"gamma\\to-desk")), std::wstring::npos) << ToUtf8(recorded.boxes[0].text);
    EXPECT_EQ(ReadBytes(elsewhere.Path(L"desk\\keep.txt")), "keep") << "what the link leads to is untouched";
    EXPECT_TRUE(FileExists(temp.Path(L"gamma\\to-desk")));
    EXPECT_NE(Top(L"gamma"), nullptr);
}

// A link check that takes as long as the test wants, as one of a folder of
// hundreds of thousands of entries does; it then names a link.
class SlowLinkCheck : public CountingFiles {
public:
    SlowLinkCheck(std::vector<std::wstring>& asked, std::atomic<bool>& running, HANDLE release)
        : CountingFiles(asked), running_(running), release_(release) {}
    LinkSearch FindLinkInside(const std::wstring& path, TransferProgress& progress) override {
        running_ = true;
        ::WaitForSingleObject(release_, 10000);
        return {StayReason::Link, path + L"\\a-link"};
    }

private:
    std::atomic<bool>& running_;
    HANDLE release_;
};

// Del while the check for links is still walking: the tree answers another
// thread at once, and the refusal comes when the check is through.
TEST_F(ShellTreeTransfers, TheLinkCheckBeforeADeleteLeavesTheWindowAnswering) {
    std::vector<std::wstring> asked;
    std::atomic<bool> running{false};
    UniqueKernelHandle release(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    Load(temp.Root());
    tree.SetFileLayerFactory([&] { return std::make_unique<SlowLinkCheck>(asked, running, release.get()); });
    ClickOn(Top(L"gamma"));
    bool answered = false;
    const HWND window = tree.Handle();
    Perform([&] {
        Chord({VK_DELETE});
        if (WaitUntil([&] { return running.load(); })) {
            DWORD_PTR result = 0;
            answered = ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, 2000, &result) != 0;
        }
        ::SetEvent(release.get());
    });
    EXPECT_TRUE(running.load()) << "Del asked for the check";
    EXPECT_TRUE(answered) << "the window answered while the check ran";
    ASSERT_EQ(recorded.boxes.size(), 1u);
    EXPECT_NE(recorded.boxes[0].text.find(temp.Path(L"gamma\\a-link")), std::wstring::npos);
    EXPECT_TRUE(FileExists(temp.Path(L"gamma")));
}

// A link check that could not look everywhere: a folder inside could not be read.
class UncheckableFiles : public CountingFiles {
public:
    using CountingFiles::CountingFiles;
    LinkSearch FindLinkInside(const std::wstring& path, TransferProgress&) override {
        return {StayReason::AccessDenied, path + L"\\sealed"};
    }
};

TEST_F(ShellTreeTransfers, DelIsRefusedWhereTheLinkCheckCouldNotLook) {
    std::vector<std::wstring> asked;
    Load(temp.Root());
    tree.SetFileLayerFactory([&] { return std::make_unique<UncheckableFiles>(asked); });
    ClickOn(Top(L"gamma"));
    DeleteAndConfirm();
    ASSERT_EQ(recorded.boxes.size(), 1u);
    EXPECT_EQ(recorded.boxes[0].Icon(), static_cast<UINT>(MB_ICONSTOP));
    EXPECT_NE(recorded.boxes[0].text.find(temp.Path(L"gamma\\sealed")), std::wstring::npos)
        << ToUtf8(recorded.boxes[0].text);
    EXPECT_EQ(recorded.boxes[0].text.find(L"есть ссылка"), std::wstring::npos) << "no link was found";
    EXPECT_TRUE(FileExists(temp.Path(L"gamma")));
    EXPECT_NE(Top(L"gamma"), nullptr);
}

// j\via leads into alpha; alpha copied and pasted into j\via would nest
// itself again and again.
TEST_F(ShellTreeTransfers, APasteIntoItselfThroughALinkPartWayDownIsRefused) {
    temp.Dir(L"j");
    if (!temp.DirLink(L"j\\via", temp.Path(L"alpha\\inner"))) GTEST_SKIP() << "no directory links here";
    Load(temp.Root());
    ClickOn(Top(L"alpha"));
    Press({VK_CONTROL, 'C'});
    tree.Expand(Top(L"j"));
    Application::Instance().ProcessMessages();
    ASSERT_NE(Child(Top(L"j"), L"via"), nullptr);
    ClickOn(Child(Top(L"j"), L"via"));
    ASSERT_EQ(tree.SelectedFolderPath(), temp.Path(L"j\\via"));
    Press({VK_CONTROL, 'V'});
    ASSERT_EQ(recorded.boxes.size(), 1u);
    EXPECT_EQ(recorded.boxes[0].Icon(), static_cast<UINT>(MB_ICONSTOP)) << ToUtf8(recorded.boxes[0].text);
    EXPECT_NE(recorded.boxes[0].text.find(L"внутри"), std::wstring::npos) << ToUtf8(recorded.boxes[0].text);
    EXPECT_EQ(CountEntries(temp.Path(L"alpha\\inner")), 1) << "nothing was written";
    EXPECT_EQ(ReadBytes(temp.Path(L"alpha\\inner\\a.txt")), "abc");
}

// A file named like a device in a folder cut and pasted onto another drive:
// the move is refused for that reason, not for a link.
TEST_F(ShellTreeTransfers, AMoveOfAFolderHoldingADeviceNameSaysWhyItStays) {
    temp.File(L"alpha\\nul.txt", "not a device");
    temp.Dir(L"small");
    SmallDrive drive(temp.Path(L"small"), 1024);
    if (!drive.Mounted()) GTEST_SKIP() << "no small drive here";
    Load(temp.Root());
    ClickOn(Top(L"alpha"));
    Press({VK_CONTROL, 'X'});
    ClickOn(Top(L"small"));
    Press({VK_CONTROL, 'V'});
    ASSERT_EQ(recorded.boxes.size(), 1u);
    const std::wstring& text = recorded.boxes[0].text;
    EXPECT_EQ(recorded.boxes[0].Icon(), static_cast<UINT>(MB_ICONSTOP)) << ToUtf8(text);
    EXPECT_NE(text.find(temp.Path(L"alpha\\nul.txt")), std::wstring::npos) << ToUtf8(text);
    EXPECT_NE(text.find(L"устройств"), std::wstring::npos) << ToUtf8(text);
    EXPECT_EQ(text.find(L"ссылк"), std::wstring::npos) << "a device's name is not a link: " << ToUtf8(text);
    EXPECT_EQ(ReadBytes(Long(temp.Path(L"alpha\\nul.txt"))), "not a device");
    EXPECT_EQ(ReadBytes(temp.Path(L"alpha\\inner\\a.txt")), "abc");
    EXPECT_EQ(CountEntries(temp.Path(L"small")), 0) << "nothing partial on the other drive";
}

// --- what another program does meanwhile ---------------------------------------------

// The program's own layer, except that its first transfer goes wrong the
// way the test says: wrong may act as another program, and may answer in
// the layer's place.
class FirstTransferGoesWrong : public CountingFiles {
public:
    using Wrong = std::function<std::optional<TransferReport>(const std::vector<std::wstring>&, const std::wstring&)>;
    FirstTransferGoesWrong(std::vector<std::wstring>& asked, bool& went_wrong, Wrong wrong)
        : CountingFiles(asked), went_wrong_(went_wrong), wrong_(std::move(wrong)) {}
    TransferReport Run(const std::vector<std::wstring>& sources, const std::wstring& folder, DWORD effect,
                       TransferProgress& progress) override {
        if (!went_wrong_) {
            went_wrong_ = true;
            if (std::optional<TransferReport> answer = wrong_(sources, folder)) return *answer;
        }
        return CountingFiles::Run(sources, folder, effect, progress);
    }

private:
    bool& went_wrong_;
    Wrong wrong_;
};

class CutAndPaste : public ShellTreeTransfers {
protected:
    // alpha cut and pasted into Beta, where its first transfer goes wrong:
    // alpha stays whole, the report says so, and the clipboard still offers
    // alpha, so a paste into gamma moves it.
    void PasteLeavesItBehind(FirstTransferGoesWrong::Wrong wrong, const wchar_t* reason) {
        Load(temp.Root());
        std::vector<std::wstring> asked;
        bool went_wrong = false;
        tree.SetFileLayerFactory([&] { return std::make_unique<FirstTransferGoesWrong>(asked, went_wrong, wrong); });
        ClickOn(Top(L"alpha"));
        Press({VK_CONTROL, 'X'});
        ClickOn(Top(L"Beta"));
        Press({VK_CONTROL, 'V'});
        ASSERT_TRUE(went_wrong);
        ASSERT_EQ(recorded.boxes.size(), 1u) << "one report";
        EXPECT_EQ(recorded.boxes[0].Icon(), static_cast<UINT>(MB_ICONSTOP)) << ToUtf8(recorded.boxes[0].text);
        EXPECT_NE(recorded.boxes[0].text.find(L"Не перемещено «alpha»: "), std::wstring::npos) << ToUtf8(recorded.boxes[0].text);
        EXPECT_NE(recorded.boxes[0].text.find(reason), std::wstring::npos) << ToUtf8(recorded.boxes[0].text);
        EXPECT_EQ(ReadBytes(temp.Path(L"alpha\\inner\\a.txt")), "abc");
        ComPtr<IDataObject> clipboard;
        ASSERT_HRESULT_SUCCEEDED(::OleGetClipboard(clipboard.put()));
        EXPECT_EQ(ReadDroppedPaths(clipboard.get()), std::vector<std::wstring>{temp.Path(L"alpha")})
            << "what stayed is still cut";
        clipboard.reset();

        recorded.boxes.clear();
        ClickOn(Top(L"gamma"));
        Press({VK_CONTROL, 'V'});
        EXPECT_EQ(ReadBytes(temp.Path(L"gamma\\alpha\\inner\\a.txt")), "abc");
        EXPECT_FALSE(FileExists(temp.Path(L"alpha")));
        ASSERT_EQ(recorded.boxes.size(), 1u);
        EXPECT_EQ(recorded.boxes[0].Icon(), static_cast<UINT>(MB_ICONINFORMATION)) << ToUtf8(recorded.boxes[0].text);
        EXPECT_FALSE(::IsClipboardFormatAvailable(CF_HDROP)) << "once moved, it is off the clipboard";
    }
};

// Another program makes a folder of the same name in Beta after the paste
// was checked and before the move runs.
TEST_F(CutAndPaste, WhenTheNameIsTakenMeanwhileTheCutStaysOnTheClipboard) {
    PasteLeavesItBehind(
        [](const std::vector<std::wstring>& sources, const std::wstring& folder) -> std::optional<TransferReport> {
            for (const std::wstring& source : sources) ::CreateDirectoryW(JoinPath(folder, LastPart(source)).c_str(), nullptr);
            return std::nullopt;
        },
        L"имя уже занято");
    EXPECT_EQ(CountEntries(temp.Path(L"Beta\\alpha")), 0) << "the other program's folder is left as it was";
}

// A file layer that answers a transfer with a report of nothing has done
// nothing that can be counted on.
TEST_F(CutAndPaste, AReportOfNothingIsAFailureAndTheCutStaysOnTheClipboard) {
    PasteLeavesItBehind([](const std::vector<std::wstring>&, const std::wstring&)
                            -> std::optional<TransferReport> { return TransferReport{}; },
                        L"не сообщила");
}

// The program's own layer, with another program's thread changing the
// source once every file is copied, before a move removes it.
class ChangedBeforeTheRemoval : public CountingFiles {
public:
    ChangedBeforeTheRemoval(std::vector<std::wstring>& asked, std::function<void()> change)
        : CountingFiles(asked), change_(std::move(change)) {}
    TransferReport Run(const std::vector<std::wstring>& sources, const std::wstring& folder, DWORD effect,
                       TransferProgress& progress) override {
        Relay relay(progress, change_);
        return CountingFiles::Run(sources, folder, effect, relay);
    }

private:
    // Passes everything on to the progress shown.
    class Relay : public TransferProgress {
    public:
        Relay(TransferProgress& shown, std::function<void()>& change) : shown_(shown), change_(change) {}
        void Planned(std::uint64_t files, std::uint64_t bytes) override {
            planned_ = files;
            shown_.Planned(files, bytes);
        }
        void Advanced(std::uint64_t files_done, std::uint64_t bytes_done, const std::wstring& current) override {
            done_ = files_done;
            shown_.Advanced(files_done, bytes_done, current);
        }
        bool CancelRequested() override {
            if (change_ && planned_ && done_ >= planned_) std::thread(std::exchange(change_, nullptr)).join();
            return shown_.CancelRequested();
        }

    private:
        TransferProgress& shown_;
        std::function<void()>& change_;
        std::uint64_t planned_ = 0, done_ = 0;
    };
    std::function<void()> change_;
};

// Ctrl+X on alpha, Ctrl+V on Beta, another drive: once alpha's files are
// copied, another program adds a file to alpha\inner and appends to
// a.txt. The copy holds what was read, the source keeps the new file and
// the changed one, and the report says why.
TEST_F(ShellTreeTransfers, AMoveToAnotherDriveLeavesWhatChangedMeanwhileAndSaysWhy) {
    temp.File(L"alpha\\b.txt", "b");
    SmallDrive drive(temp.Path(L"Beta"), 1024);
    ASSERT_TRUE(drive.Mounted()) << "no small drive could be mounted";
    Load(temp.Root());
    std::vector<std::wstring> asked;
    tree.SetFileLayerFactory([&] {
        return std::make_unique<ChangedBeforeTheRemoval>(asked, [&] {
            temp.File(L"alpha\\inner\\new.txt", "new");
            std::ofstream(temp.Path(L"alpha\\inner\\a.txt").c_str(), std::ios::binary | std::ios::app) << "def";
        });
    });
    ClickOn(Top(L"alpha"));
    Press({VK_CONTROL, 'X'});
    ClickOn(Top(L"Beta"));
    Press({VK_CONTROL, 'V'});

    EXPECT_EQ(ReadBytes(temp.Path(L"Beta\\alpha\\inner\\a.txt")), "abc") << "the copy holds what was read";
    EXPECT_EQ(ReadBytes(temp.Path(L"Beta\\alpha\\b.txt")), "b");
    EXPECT_EQ(ReadBytes(temp.Path(L"alpha\\inner\\a.txt")), "abcdef") << "the changed file stays";
    EXPECT_EQ(ReadBytes(temp.Path(L"alpha\\inner\\new.txt")), "new") << "the new file stays";
    EXPECT_FALSE(FileExists(temp.Path(L"alpha\\b.txt"))) << "what was copied and is unchanged is moved";
    ASSERT_EQ(recorded.boxes.size(), 1u) << "one report";
    const std::wstring& text = recorded.boxes[0].text;
    EXPECT_EQ(recorded.boxes[0].Icon(), static_cast<UINT>(MB_ICONSTOP)) << ToUtf8(text);
    EXPECT_NE(text.find(L"«alpha» скопировано, но с прежнего места удалено не полностью"), std::wstring::npos) << ToUtf8(text);
    EXPECT_NE(text.find(L"«" + temp.Path(L"alpha\\inner\\a.txt") + L"» изменился после копирования"), std::wstring::npos)
        << ToUtf8(text);
    EXPECT_NE(text.find(L"осталось файлов: 2"), std::wstring::npos) << ToUtf8(text);
    EXPECT_TRUE(::IsClipboardFormatAvailable(CF_HDROP)) << "what stayed is still cut";
    tree.Expand(Top(L"alpha"));
    EXPECT_NE(Child(Top(L"alpha"), L"inner"), nullptr) << "the tree shows what stayed";
}

// --- the platform's own file browser as the drag source -------------------------------

struct FoundChild {
    const wchar_t* kind;
    HWND found;
};

HWND ChildOfClass(HWND parent, const wchar_t* kind) {
    FoundChild search{kind, nullptr};
    ::EnumChildWindows(
        parent,
        [](HWND h, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<FoundChild*>(lp);
            wchar_t name[64] = {};
            ::GetClassNameW(h, name, 64);
            if (::lstrcmpiW(name, s->kind) != 0 || !::IsWindowVisible(h)) return TRUE;
            s->found = h;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The screen rectangle of a list view's first item's label; the list lives
// in another process, so the rectangle travels through that process's memory.
RECT FirstItemLabel(HWND list) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(list, &pid);
    UniqueKernelHandle process(::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
    RECT rect{LVIR_LABEL, 0, 0, 0};
    if (!process) return {};
    void* remote = ::VirtualAllocEx(process.get(), nullptr, sizeof rect, MEM_COMMIT, PAGE_READWRITE);
    if (!remote) return {};
    ScopeExit release([&] { ::VirtualFreeEx(process.get(), remote, 0, MEM_RELEASE); });
    if (!::WriteProcessMemory(process.get(), remote, &rect, sizeof rect, nullptr) ||
        !::SendMessageW(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(remote)) ||
        !::ReadProcessMemory(process.get(), remote, &rect, sizeof rect, nullptr))
        return {};
    ::MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

TEST_F(ShellTreeTransfers, AFolderDraggedFromThePlatformsFileBrowserLandsInTheFolderUnderThePointer) {
    temp.Dir(L"shown");
    temp.Dir(L"shown\\dragme");
    temp.File(L"shown\\dragme\\d.txt", "ddd");
    Load(temp.Root());
    std::wstring command = L"explorer.exe \"" + temp.Path(L"shown") + L"\"";
    STARTUPINFOW startup{sizeof startup};
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
        GTEST_SKIP() << "no file browser here";
    UniqueKernelHandle browser(started.hProcess), thread(started.hThread);
    HWND window = nullptr, list = nullptr;
    Perform([&] {
        WaitUntil([&] {
            window = ::FindWindowW(nullptr, L"shown");
            list = window ? ChildOfClass(window, WC_LISTVIEWW) : nullptr;
            return list != nullptr;
        }, 60000);
    });
    ScopeExit close([&] {
        if (window) ::PostMessageW(window, WM_CLOSE, 0, 0);
        if (::WaitForSingleObject(browser.get(), 10000) != WAIT_OBJECT_0) ::TerminateProcess(browser.get(), 1);
    });
    ASSERT_NE(list, nullptr) << "the file browser shows the folder";
    ::SetWindowPos(window, HWND_TOP, 420, 60, 600, 400, SWP_SHOWWINDOW);
    RECT item{};
    Perform([&] {
        WaitUntil([&] {
            item = FirstItemLabel(list);
            return item.right > item.left;
        });
    });
    ASSERT_GT(item.right, item.left) << "the browser lists the folder's item";
    const POINT from{item.left + 10, (item.top + item.bottom) / 2}, to = Center(Top(L"Beta"));
    Perform([&] {
        StartDragTo(from, to, false, 16);
        Pause(600);
        ButtonUp();
    });
    // The drop comes from the browser's process; the report ends the transfer it starts.
    PumpUntil([&] { return !recorded.boxes.empty(); }, 60000);
    FinishTransfers();
    EXPECT_EQ(ReadBytes(temp.Path(L"Beta\\dragme\\d.txt")), "ddd");
    EXPECT_FALSE(FileExists(temp.Path(L"shown\\dragme"))) << "a drag within one drive moves";
    ASSERT_EQ(recorded.boxes.size(), 1u) << "one report at the end";
    EXPECT_EQ(recorded.boxes[0].Icon(), static_cast<UINT>(MB_ICONINFORMATION)) << ToUtf8(recorded.boxes[0].text);
    tree.Expand(Top(L"Beta"));
    EXPECT_NE(Child(Top(L"Beta"), L"dragme"), nullptr) << "the tree shows it";
}

// --- another program's clipboard ------------------------------------------------------

// The other process: puts a path on the clipboard as a file manager's Cut or
// Copy does, a file-drop block and the preferred effect.
TEST(ForeignClipboard, DISABLED_PutsAPath) {
    const std::wstring argument = HelperArgument();  // "c|path" or "m|path"
    if (argument.size() < 3) GTEST_SKIP();
    const std::wstring path = argument.substr(2);
    const DWORD effect = argument[0] == L'm' ? DROPEFFECT_MOVE : DROPEFFECT_COPY;
    ASSERT_TRUE(testing::PutPathOnClipboard(path, effect));
}

TEST_F(ShellTreeTransfers, CtrlVTakesWhatAnotherProgramCutOrCopied) {
    Load(temp.Root());
    struct Case {
        const wchar_t* mode;
        const wchar_t* into;
        bool source_stays;
    } cases[] = {{L"c", L"Beta", true}, {L"m", L"gamma", false}};
    for (const Case& c : cases) {
        ASSERT_TRUE(RunHelperTest(L"ForeignClipboard.DISABLED_PutsAPath", std::wstring(c.mode) + L"|" + temp.Path(L"alpha")));
        ClickOn(Top(c.into));
        Press({VK_CONTROL, 'V'});
        EXPECT_EQ(ReadBytes(temp.Path(std::wstring(c.into) + L"\\alpha\\inner\\a.txt")), "abc") << ToUtf8(c.mode);
        EXPECT_EQ(FileExists(temp.Path(L"alpha")), c.source_stays) << ToUtf8(c.mode);
        ASSERT_EQ(recorded.boxes.size(), 1u) << "one report per paste";
        EXPECT_EQ(recorded.boxes[0].Icon(), static_cast<UINT>(MB_ICONINFORMATION)) << ToUtf8(recorded.boxes[0].text);
        recorded.boxes.clear();
        }
    EXPECT_FALSE(::IsClipboardFormatAvailable(CF_HDROP)) << "what was cut and moved is off the clipboard";
    EXPECT_EQ(Top(L"alpha"), nullptr) << "the tree shows the move";
}

// --- a long transfer ------------------------------------------------------------------

// The other process: asks the window for an answer again and again and
// records the slowest, until told to stop (a file beside its output). A
// second file says when it asks steadily, its own start behind it.
constexpr long kSteadyAnswers = 100;

TEST(AnswerWatch, DISABLED_RecordsTheSlowestAnswer) {
    const std::wstring argument = HelperArgument();  // "window|output"
    const std::size_t bar = argument.find(L'|');
    if (bar == std::wstring::npos) GTEST_SKIP();
    HWND window = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(std::stoull(argument.substr(0, bar))));
    const std::wstring out = argument.substr(bar + 1), stop = out + L".stop", steady = out + L".steady";
    LARGE_INTEGER frequency, before, after;
    ::QueryPerformanceFrequency(&frequency);
    double slowest = 0;
    long asked = 0;
    const ULONGLONG end = ::GetTickCount64() + 300000;
    while (::GetFileAttributesW(stop.c_str()) == INVALID_FILE_ATTRIBUTES && ::GetTickCount64() < end) {
        DWORD_PTR answer = 0;
        ::QueryPerformanceCounter(&before);
        ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &answer);
        ::QueryPerformanceCounter(&after);
        if (asked == kSteadyAnswers) std::ofstream(steady.c_str()) << "steady";
        slowest = std::max(slowest, 1000.0 * (after.QuadPart - before.QuadPart) / frequency.QuadPart);
        ++asked;
        ::Sleep(10);
    }
    std::ofstream(out.c_str()) << slowest << " " << asked;
}

TEST_F(ShellTreeTransfers, ALongCopyLeavesTheWindowAnsweringAndItsCancelKeepsEverySource) {
    constexpr int kFiles = 20000;
    temp.ManyFiles(L"many", kFiles, 4000);
    Load(temp.Root());
    const std::wstring watch_out = temp.Path(L"answers.txt");
    UniqueKernelHandle watcher = StartHelperTest(
        L"AnswerWatch.DISABLED_RecordsTheSlowestAnswer",
        std::to_wstring(reinterpret_cast<std::uintptr_t>(form.Handle())) + L"|" + watch_out);
    ASSERT_TRUE(watcher);

    const POINT many = Center(Top(L"many")), beta = Center(Top(L"Beta"));
    HWND dialog = nullptr;
    std::wstring shown_lines;
    const auto lines_of = [](HWND window) {
        std::wstring lines;
        for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            wchar_t text[512] = {};
            ::GetWindowTextW(child, text, 512);
            lines += std::wstring(text) + L"\n";
        }
        return lines;
    };
    Perform([&] {
        if (!WaitUntil([&] { return FileExists(watch_out + L".steady"); }, 30000)) return;
        StartDragTo(many, beta);
        KeyDown(VK_CONTROL);
        Pause(400);
        ButtonUp();
        InputBarrier();  // dropped while Ctrl is still held
        KeyUp(VK_CONTROL);
        dialog = WaitForOwnWindow([](HWND h) { return ::GetDlgItem(h, IDCANCEL) != nullptr; }, 20000);
        if (!dialog) return;
        WaitUntil([&] { return lines_of(dialog).find(L"Файлов: ") != std::wstring::npos; }, 20000);
        Pause(1000);  // the user watches it count, and the watcher asks all along
        shown_lines = lines_of(dialog);
        RECT button{};
        ::GetWindowRect(::GetDlgItem(dialog, IDCANCEL), &button);
        PointerTo({(button.left + button.right) / 2, (button.top + button.bottom) / 2});
        Pause(100);
        ButtonDown();
        ButtonUp();
        // The dialog's own thread takes the click; the transfer stops and closes it.
        WaitUntil([&] { return !::IsWindowVisible(dialog); }, 60000);
    });
    FinishTransfers();
    std::ofstream((watch_out + L".stop").c_str()) << "stop";
    HANDLE watching = watcher.get();
    while (::MsgWaitForMultipleObjects(1, &watching, FALSE, 20000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1)
        Application::Instance().ProcessMessages();  // its last question is answered
    ASSERT_EQ(::WaitForSingleObject(watching, 0), WAIT_OBJECT_0);

    ASSERT_NE(dialog, nullptr) << "the progress dialog showed";
    EXPECT_NE(shown_lines.find(L"Файлов: "), std::wstring::npos) << ToUtf8(shown_lines);
    double slowest = 1e9;
    long asked = 0;
    std::ifstream(watch_out.c_str()) >> slowest >> asked;
    RecordProperty("slowest_answer_ms", std::to_string(slowest));
    RecordProperty("answers", std::to_string(asked));
    EXPECT_GT(asked, 100) << "the window was asked throughout";
    EXPECT_LT(slowest, 100.0) << "the slowest answer, in ms";

    ASSERT_EQ(recorded.boxes.size(), 1u) << "one report";
    EXPECT_EQ(recorded.boxes[0].Icon(), static_cast<UINT>(MB_ICONSTOP)) << ToUtf8(recorded.boxes[0].text);
    EXPECT_EQ(CountEntries(temp.Path(L"many")), kFiles) << "every source is whole";
    EXPECT_EQ(ReadBytes(temp.Path(L"many\\f12345.txt")), std::string(4000, 'x'));
    EXPECT_FALSE(FileExists(temp.Path(L"Beta\\many"))) << "no partial item at the target";
}

}  // namespace
}  // namespace census
