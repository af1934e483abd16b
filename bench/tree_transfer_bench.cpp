// Transfers carried out by the folder tree, against the platform's own
// commands in the same run, best of three each:
//
//   copy   the real program (census.exe beside this benchmark) copies a
//          folder of 20,000 files of 4 KiB (or the count given): the folder
//          is put on the clipboard as a file manager's Copy does, the node of
//          a folder on the desktop clicked, Ctrl+V typed, and the time taken
//          until the program's report shows (its progress dialog shows on the
//          way); against xcopy /e /i of the same folder;
//   big    the same for 1 GiB in four files;
//   move   the same as a Cut of the 20,000 files onto another drive (a
//          desktop link to a folder there); against move, or, where the
//          platform's move refuses to cross drives, xcopy /e /i and rd /s;
//   close  the real program closed from outside (WM_CLOSE, as the taskbar
//          sends it) half-way through its copy of the 20,000 files: the time
//          until the process has ended, whether the source is whole and what
//          is left at the target (three tries);
//   drop   the copy dropped on a tree shown by this process, as a Ctrl-drag
//          ends: how long the drop call holds the dragging program, the time
//          to the report, and the window's slowest answer meanwhile.
//
// Arguments: [files] [MiB per large file] [parts, comma-separated; all when
// none]. The other drive is the folder named by CENSUS_BENCH_OTHER_DRIVE, or
// under Wine a memory file system's folder of the host (/dev/shm). The
// program starts on the desktop folder: the desktop must not hold the names
// the benchmark puts there.
#include "bare_walk.h"
#include "runtime/application.h"
#include "runtime/form.h"
#include "shell/tree/shell_tree.h"
#include "shell/tree/tree_loading.h"
#include "support/census_driver.h"
#include "support/file_clipboard.h"
#include "support/temp_tree.h"

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

using namespace census;

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

constexpr unsigned kSmallFileBytes = 4096;
constexpr int kBigFiles = 4;

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring Quoted(const std::wstring& path) {
    return L"\"" + path + L"\"";
}

// Runs a line of the platform's command processor; its time in seconds.
double Command(const std::wstring& command) {
    std::wstring line = L"cmd.exe /c " + command + L" >nul 2>nul";
    STARTUPINFOW si{sizeof(si)};
    PROCESS_INFORMATION pi{};
    const auto start = Clock::now();
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
        return -1;
    UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
    ::WaitForSingleObject(process.get(), INFINITE);
    return Seconds(start);
}

// Removes what a round made; the host's rm where there is one (file by file
// under Wine costs as long as the copy).
void Remove(const std::wstring& path) {
    if (!Exists(path)) return;
    std::wstring host;
    if (testing::HostPath(path, host) &&
        testing::RunHost(L"Z:\\bin\\rm", L"rm -rf \"" + host + L"\"", [&] { return !Exists(path); }))
        return;
    bench::RemoveTree(path);
}

struct Best {
    double seconds = 1e9;
    void Add(double s) {
        if (s >= 0) seconds = std::min(seconds, s);
    }
    bool Valid() const { return seconds < 1e9; }
};

// --- the real program, driven from outside -------------------------------------------

// The tree control of the program, read through memory lent in its process.
class RemoteTree {
public:
    RemoteTree(HANDLE process, HWND tree)
        : process_(process), tree_(tree),
          memory_(::VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {}
    ~RemoteTree() {
        if (memory_) ::VirtualFreeEx(process_, memory_, 0, MEM_RELEASE);
    }
    RemoteTree(const RemoteTree&) = delete;
    RemoteTree& operator=(const RemoteTree&) = delete;

    // A node directly below the root with this text.
    HTREEITEM TopNode(const std::wstring& text) {
        auto root = reinterpret_cast<HTREEITEM>(::SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_ROOT, 0));
        auto node = reinterpret_cast<HTREEITEM>(
            ::SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(root)));
        for (; node; node = reinterpret_cast<HTREEITEM>(
                         ::SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(node)))) {
            if (Text(node) == text) return node;
        }
        return nullptr;
    }

    // The centre of the node's label on screen.
    bool Centre(HTREEITEM node, POINT& at) {
        RECT r{};
        std::memcpy(&r, &node, sizeof node);  // the message's way of naming the node
        if (!memory_ || !::WriteProcessMemory(process_, memory_, &r, sizeof r, nullptr) ||
            !::SendMessageW(tree_, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(memory_)) ||
            !::ReadProcessMemory(process_, memory_, &r, sizeof r, nullptr))
            return false;
        at = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        return ::ClientToScreen(tree_, &at);
    }

    HTREEITEM Selected() {
        return reinterpret_cast<HTREEITEM>(::SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_CARET, 0));
    }

private:
    std::wstring Text(HTREEITEM node) {
        constexpr int kChars = 260;
        auto* text = static_cast<char*>(memory_) + 1024;
        TVITEMW item{};
        item.mask = TVIF_TEXT;
        item.hItem = node;
        item.pszText = reinterpret_cast<wchar_t*>(text);
        item.cchTextMax = kChars;
        wchar_t read[kChars + 1] = {};
        if (!memory_ || !::WriteProcessMemory(process_, memory_, &item, sizeof item, nullptr) ||
            !::SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(memory_)) ||
            !::ReadProcessMemory(process_, text, read, kChars * sizeof(wchar_t), nullptr))
            return {};
        return read;
    }

    HANDLE process_;
    HWND tree_;
    void* memory_;
};

void Click(POINT at) {
    INPUT input[3] = {};
    const int width = ::GetSystemMetrics(SM_CXSCREEN), height = ::GetSystemMetrics(SM_CYSCREEN);
    for (INPUT& i : input) i.type = INPUT_MOUSE;
    input[0].mi.dx = (at.x * 65536 + width / 2) / width;
    input[0].mi.dy = (at.y * 65536 + height / 2) / height;
    input[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ::SendInput(3, input, sizeof(INPUT));
}

void CtrlV() {
    INPUT input[4] = {};
    const WORD keys[4] = {VK_CONTROL, 'V', 'V', VK_CONTROL};
    for (int i = 0; i < 4; ++i) {
        input[i].type = INPUT_KEYBOARD;
        input[i].ki.wVk = keys[i];
        input[i].ki.dwFlags = i >= 2 ? KEYEVENTF_KEYUP : 0;
    }
    ::SendInput(4, input, sizeof(INPUT));
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = L"";
    ::GetClassNameW(window, name, 64);
    return name;
}

// The program's dialogs: its progress dialog (a progress bar inside) and
// its message boxes (their text).
struct Dialogs {
    bool progress = false;
    HWND box = nullptr;
    std::wstring text;
};

Dialogs ShownDialogs(DWORD process_id) {
    struct Search {
        DWORD pid;
        Dialogs found;
    } search{process_id, {}};
    ::EnumWindows(
        [](HWND window, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lp);
            DWORD pid = 0;
            ::GetWindowThreadProcessId(window, &pid);
            if (pid != s->pid || !::IsWindowVisible(window) || ClassOf(window) != L"#32770") return TRUE;
            bool bar = false;
            std::wstring text;
            for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
                const std::wstring cls = ClassOf(child);
                if (cls == PROGRESS_CLASSW) bar = true;
                if (_wcsicmp(cls.c_str(), L"Static") == 0) {
                    wchar_t line[1024] = L"";
                    ::GetWindowTextW(child, line, 1024);
                    text += line;
                }
            }
            if (bar) {
                s->found.progress = true;
            } else if (!text.empty()) {
                s->found.box = window;
                s->found.text = text;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

struct ProgramRound {
    double seconds = -1;  // from Ctrl+V to the report
    bool dialog = false;  // the progress dialog showed
    std::wstring report;
};

// The program started, the folder `node` (a top node: on the desktop) clicked,
// source put on the clipboard with effect and Ctrl+V typed. with_program:
// called once the paste is typed, with the program, for what is done to it
// while the transfer runs; the round then ends when the program does.
class Program {
public:
    bool Start(const std::wstring& node_text) {
        if (!program_.Start()) return Fail("census.exe did not start");
        tree_ = program_.FindChildByClass(WC_TREEVIEWW);
        if (!tree_) return Fail("no tree in the program's window");
        DWORD pid = 0;
        ::GetWindowThreadProcessId(program_.MainWindow(), &pid);
        pid_ = pid;
        remote_ = std::make_unique<RemoteTree>(program_.Process(), tree_);
        node_ = nullptr;
        for (int i = 0; i < 200 && !node_; ++i, ::Sleep(50)) node_ = remote_->TopNode(node_text);
        if (!node_) return Fail("the folder is not on the tree");
        POINT at{};
        if (!remote_->Centre(node_, at)) return Fail("the folder's node has no place on screen");
        ::SetForegroundWindow(program_.MainWindow());
        Click(at);
        for (int i = 0; i < 200 && remote_->Selected() != node_; ++i) ::Sleep(20);
        if (remote_->Selected() != node_) return Fail("the click did not select the folder");
        return true;
    }

    void Paste(const std::wstring& source, DWORD effect) {
        testing::PutPathOnClipboard(source, effect);
        CtrlV();
    }

    // Waits for the report; the time since `from`.
    ProgramRound AwaitReport(Clock::time_point from, double limit_s = 3600) {
        ProgramRound round;
        while (Seconds(from) < limit_s) {
            const Dialogs shown = ShownDialogs(pid_);
            round.dialog = round.dialog || shown.progress;
            if (shown.box) {
                round.seconds = Seconds(from);
                round.report = shown.text;
                ::PostMessageW(shown.box, WM_COMMAND, IDOK, 0);
                break;
            }
            ::Sleep(10);
        }
        return round;
    }

    bool SeesProgressDialog() const { return ShownDialogs(pid_).progress; }
    // Seconds from the close until the process has ended (-1 after 60 s).
    double CloseAndTime() {
        const auto closed = Clock::now();
        ::PostMessageW(program_.MainWindow(), WM_CLOSE, 0, 0);
        if (::WaitForSingleObject(program_.Process(), 60000) != WAIT_OBJECT_0) return -1;
        return Seconds(closed);
    }
    void Close() {
        // A report box still open keeps the window: it is answered first.
        if (const Dialogs shown = ShownDialogs(pid_); shown.box) ::PostMessageW(shown.box, WM_COMMAND, IDOK, 0);
        program_.Close();
    }

private:
    bool Fail(const char* why) {
        std::printf("  %s\n", why);
        return false;
    }

    testing::CensusDriver program_;
    HWND tree_ = nullptr;
    DWORD pid_ = 0;
    std::unique_ptr<RemoteTree> remote_;
    HTREEITEM node_ = nullptr;
};

ProgramRound PasteInProgram(const std::wstring& source, const std::wstring& node_text, DWORD effect) {
    Program program;
    if (!program.Start(node_text)) return {};
    const auto start = Clock::now();
    program.Paste(source, effect);
    ProgramRound round = program.AwaitReport(start);
    program.Close();
    return round;
}

std::string Utf8(const std::wstring& text) {
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(n, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    for (char& c : out)
        if (c == '\n' || c == '\r') c = ' ';
    return out;
}

// --- the folders -----------------------------------------------------------------------

// Under Wine: a folder of the host's memory file system, which a move from
// the temporary folder must cross to.
std::wstring OtherDriveFolder() {
    wchar_t given[MAX_PATH] = L"";
    if (::GetEnvironmentVariableW(L"CENSUS_BENCH_OTHER_DRIVE", given, MAX_PATH)) return given;
    std::wstring host;
    if (testing::HostPath(L"C:\\", host) && Exists(L"Z:\\dev\\shm"))
        return L"Z:\\dev\\shm\\census-transfer-bench-" + std::to_wstring(::GetCurrentProcessId());
    return {};
}

// True when a rename from `from` (a folder) into `to` fails as between drives.
bool Crosses(const std::wstring& from, const std::wstring& to) {
    const std::wstring probe = from + L"\\cross-probe", moved = to + L"\\cross-probe";
    UniqueFileHandle made(::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    made.reset();
    const bool renamed = ::MoveFileExW(probe.c_str(), moved.c_str(), 0);
    const bool crossed = !renamed && ::GetLastError() == ERROR_NOT_SAME_DEVICE;
    ::DeleteFileW(renamed ? moved.c_str() : probe.c_str());
    return crossed;
}

class Setting {
public:
    Setting(int files, int big_mib) : files_(files), big_mib_(big_mib) {
        desktop_ = testing::DesktopFolder();
        into_ = desktop_ + L"\\" + kInto;
    }
    ~Setting() {
        if (made_into_) Remove(into_);
        if (!other_link_.empty()) testing::RemoveDirLink(other_link_);
        if (!other_.empty()) Remove(other_);
    }
    Setting(const Setting&) = delete;
    Setting& operator=(const Setting&) = delete;

    bool MakeCopyTarget() {
        if (Exists(into_)) {
            std::printf("the desktop already holds %s\n", Utf8(kInto).c_str());
            return false;
        }
        made_into_ = ::CreateDirectoryW(into_.c_str(), nullptr) != FALSE;
        return made_into_;
    }
    // The other drive's folder, reached from the desktop by a link.
    bool MakeMoveTarget() {
        other_ = OtherDriveFolder();
        if (other_.empty() || !::CreateDirectoryW(other_.c_str(), nullptr)) {
            std::printf("move: skipped (no other drive; set CENSUS_BENCH_OTHER_DRIVE)\n");
            other_.clear();
            return false;
        }
        if (!Crosses(temp_.Root(), other_)) {
            std::printf("move: skipped (%s is on the temporary folder's drive)\n", Utf8(other_).c_str());
            return false;
        }
        const std::wstring link = desktop_ + L"\\" + kOther;
        if (Exists(link) || !testing::MakeDirLink(link, other_)) {
            std::printf("move: skipped (no link %s on the desktop)\n", Utf8(kOther).c_str());
            return false;
        }
        other_link_ = link;
        return true;
    }

    void MakeSmall() const { temp_.ManyFiles(L"many", files_, kSmallFileBytes); }
    void MakeBig() const { temp_.ManyFiles(L"big", kBigFiles, static_cast<unsigned>(big_mib_) << 20); }

    std::wstring Source(const wchar_t* name) const { return temp_.Path(name); }
    const std::wstring& Into() const { return into_; }
    const std::wstring& Other() const { return other_; }
    std::wstring Peer() const { return temp_.Path(L"peer"); }
    int Files() const { return files_; }
    int BigMib() const { return big_mib_; }

    static constexpr const wchar_t* kInto = L"census-transfer-bench";
    static constexpr const wchar_t* kOther = L"census-transfer-bench-other-drive";

private:
    int files_, big_mib_;
    testing::TempTree temp_;
    std::wstring desktop_, into_, other_, other_link_;
    bool made_into_ = false;
};

// --- the parts ---------------------------------------------------------------------------

void Report(const char* what, const Best& own, const Best& peer, const char* peer_name) {
    if (!own.Valid() || !peer.Valid()) {
        std::printf("%s: no figure (a round failed)\n", what);
        return;
    }
    std::printf("%s: the program %.2f s, %s %.2f s (%.2fx)\n", what, own.seconds, peer_name, peer.seconds,
                own.seconds / peer.seconds);
    std::fflush(stdout);
}

void CopyPart(const Setting& s, const wchar_t* name, int expected, const char* what) {
    Best own, peer;
    bool dialog = true;
    for (int i = 0; i < 3; ++i) {
        const ProgramRound round = PasteInProgram(s.Source(name), Setting::kInto, DROPEFFECT_COPY);
        const int copied = testing::CountEntries(s.Into() + L"\\" + name);
        if (copied != expected || round.seconds < 0)
            std::printf("  round %d: copied %d of %d; report \"%s\"\n", i, copied, expected, Utf8(round.report).c_str());
        else
            own.Add(round.seconds);
        dialog = dialog && round.dialog;
        Remove(s.Into() + L"\\" + name);
        const std::wstring to = s.Peer() + L"\\" + name;
        peer.Add(Command(L"xcopy " + Quoted(s.Source(name)) + L" " + Quoted(to) + L" /e /i /q"));
        if (testing::CountEntries(to) != expected) std::printf("  round %d: xcopy copied %d\n", i, testing::CountEntries(to));
        Remove(s.Peer());
    }
    Report(what, own, peer, "xcopy /e /i");
    if (!dialog) std::printf("  (the progress dialog did not show in every round)\n");
}

void MovePart(Setting& s) {
    if (!s.MakeMoveTarget()) return;
    Best own, peer;
    bool platform_move = true;
    const std::wstring source = s.Source(L"many"), moved = s.Other() + L"\\many";
    for (int i = 0; i < 3; ++i) {
        s.MakeSmall();
        const ProgramRound round = PasteInProgram(source, Setting::kOther, DROPEFFECT_MOVE);
        const int arrived = testing::CountEntries(moved);
        if (arrived != s.Files() || Exists(source) || round.seconds < 0)
            std::printf("  round %d: moved %d of %d, source %s; report \"%s\"\n", i, arrived, s.Files(),
                        Exists(source) ? "still there" : "gone", Utf8(round.report).c_str());
        else
            own.Add(round.seconds);
        Remove(moved);
        Remove(source);

        s.MakeSmall();
        double seconds = Command(L"move " + Quoted(source) + L" " + Quoted(moved));
        if (Exists(source)) {
            // The platform's move would not cross the drives: what its user does instead.
            platform_move = false;
            Remove(moved);
            seconds = Command(L"xcopy " + Quoted(source) + L" " + Quoted(moved) + L" /e /i /q && rd /s /q " + Quoted(source));
        }
        if (testing::CountEntries(moved) != s.Files() || Exists(source))
            std::printf("  round %d: the platform moved %d\n", i, testing::CountEntries(moved));
        else
            peer.Add(seconds);
        Remove(moved);
        Remove(source);
    }
    char what[96];
    std::snprintf(what, sizeof what, "move of %d files of 4 KiB to another drive", s.Files());
    Report(what, own, peer, platform_move ? "move" : "xcopy /e /i + rd /s (move refuses across drives here)");
}

// The peers of the closing times: how long this display takes to destroy a
// plain visible top-level window (under a virtual display with no window
// manager the platform waits for one to acknowledge the hide), and how soon
// the program ends when closed with nothing running; best of 3.
void ClosePeers() {
    double plain = 1e9;
    for (int i = 0; i < 3; ++i) {
        HWND window = ::CreateWindowExW(0, L"STATIC", L"plain", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 200,
                                        nullptr, nullptr, nullptr, nullptr);
        if (!window) break;
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
        const auto begin = Clock::now();
        ::DestroyWindow(window);
        plain = std::min(plain, Seconds(begin));
    }
    Best idle;
    for (int i = 0; i < 3; ++i) {
        Program program;
        if (!program.Start(Setting::kInto)) break;
        idle.Add(program.CloseAndTime());
    }
    std::printf("close peers: a plain window destroyed in %.2f s on this display; the program closed with nothing "
                "running ended %.2f s after the close\n",
                plain, idle.seconds);
}

// Closed half-way through a copy: how soon the process ends, and what it left.
void ClosePart(const Setting& s, double copy_seconds) {
    ClosePeers();
    const std::wstring source = s.Source(L"many"), target = s.Into() + L"\\many";
    for (int i = 0; i < 3; ++i) {
        Program program;
        if (!program.Start(Setting::kInto)) return;
        const auto start = Clock::now();
        program.Paste(source, DROPEFFECT_COPY);
        // Half-way: by the time a whole copy took, or by the files arrived.
        while (Seconds(start) < copy_seconds / 2 && testing::CountEntries(target) < s.Files() / 2) ::Sleep(200);
        const bool dialog = program.SeesProgressDialog();
        const int at_close = testing::CountEntries(target);
        const double gone = program.CloseAndTime();
        int left = Exists(target) ? testing::CountEntries(target) : -1;
        std::wstring others;
        WIN32_FIND_DATAW found;
        UniqueFindHandle search(::FindFirstFileW((s.Into() + L"\\*").c_str(), &found));
        if (search) {
            do {
                const std::wstring name = found.cFileName;
                if (name == L"." || name == L".." || name == L"many") continue;
                others += L" \u00AB" + name + L"\u00BB (" +
                          std::to_wstring(testing::CountEntries(s.Into() + L"\\" + name)) + L" entries)";
            } while (::FindNextFileW(search.get(), &found));
        }
        std::printf("close %d: %d files copied at the close (progress dialog %s); process ended %.2f s after the "
                    "close; source %s; at the target: %s%s\n",
                    i, at_close, dialog ? "shown" : "not shown", gone,
                    testing::CountEntries(source) == s.Files() ? "whole" : "NOT WHOLE",
                    left < 0 ? "no \u00ABmany\u00BB" : ("\u00ABmany\u00BB with " + std::to_string(left) + " entries").c_str(),
                    others.empty() ? "" : (", and" + Utf8(others)).c_str());
        std::fflush(stdout);
        Remove(s.Into());
        ::CreateDirectoryW(s.Into().c_str(), nullptr);
    }
}

// --- the tree in this process ------------------------------------------------------------

struct DropRound {
    double drop = 0, total = 0, slowest_answer = 0;
    int copied = 0;
};

// Asks the window again and again, as another program would, and keeps the slowest answer.
class AnswerWatch {
public:
    explicit AnswerWatch(HWND window)
        : thread_([this, window] {
              while (!stop_.load()) {
                  const auto start = Clock::now();
                  DWORD_PTR answer = 0;
                  ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &answer);
                  slowest_ = std::max(slowest_, Seconds(start));
                  ::Sleep(10);
              }
              ended_.store(true);
          }) {}
    // Its last question is answered while it ends.
    double Stop() {
        stop_.store(true);
        while (!ended_.load()) {
            Application::Instance().ProcessMessages();
            ::Sleep(1);
        }
        thread_.join();
        return slowest_;
    }

private:
    std::atomic<bool> stop_{false}, ended_{false};
    double slowest_ = 0;
    std::thread thread_;
};

DropRound DropOnTree(const testing::TempTree& temp, const std::wstring& into) {
    testing::ShownTreeAt shown(temp.Root());
    ShellTree& tree = shown.tree;
    TreeNode many = testing::ChildWithText(tree, tree.FirstRoot(), L"many");
    TreeNode target = testing::ChildWithText(tree, tree.FirstRoot(), into);
    if (!many || !target) return {};
    ComPtr<IDataObject> data = tree.NodeDataObject(many);
    const RECT r = tree.NodeTextRect(target);
    const POINT p = tree.ClientToScreen({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    tree.DragEnter(data.get(), MK_LBUTTON | MK_CONTROL, {p.x, p.y}, &effect);

    DropRound round;
    AnswerWatch watch(shown.form.Handle());
    auto start = Clock::now();
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    tree.Drop(data.get(), MK_CONTROL, {p.x, p.y}, &effect);
    round.drop = Seconds(start);
    while (tree.TransfersRunning()) {
        Application::Instance().ProcessMessages();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    round.total = Seconds(start);
    round.slowest_answer = watch.Stop();
    round.copied = testing::CountEntries(temp.Path(into + L"\\many"));
    return round;
}

void DropPart(int files) {
    Application::Instance().MessageBoxOverride = [](const std::wstring&, const std::wstring&, UINT) { return IDOK; };
    testing::TempTree temp;
    temp.ManyFiles(L"many", files, kSmallFileBytes);
    DropRound best{1e9, 1e9, 0, 0};
    double slowest = 0;  // of all rounds
    Best peer;
    for (int i = 0; i < 3; ++i) {
        const std::wstring into = L"into" + std::to_wstring(i);
        temp.Dir(into);
        const DropRound round = DropOnTree(temp, into);
        if (round.copied != files) std::printf("  round %d: the tree copied %d of %d files\n", i, round.copied, files);
        best.drop = std::min(best.drop, round.drop);
        best.total = std::min(best.total, round.total);
        slowest = std::max(slowest, round.slowest_answer);
        peer.Add(Command(L"xcopy " + Quoted(temp.Path(L"many")) + L" " +
                         Quoted(temp.Path(L"peer" + std::to_wstring(i) + L"\\many")) + L" /e /i /q"));
        Remove(temp.Path(into));
        Remove(temp.Path(L"peer" + std::to_wstring(i)));
    }
    std::printf("copy of %d files of 4 KiB dropped on a tree of this process:\n", files);
    std::printf("  the drop returned in %.1f ms; report after %.2f s; slowest answer of the window in any round %.1f ms; "
                "xcopy /e /i %.2f s\n",
                best.drop * 1000, best.total, slowest * 1000, peer.seconds);
    Application::Instance().MessageBoxOverride = nullptr;
}

bool Wanted(const std::string& parts, const char* part) {
    return parts.empty() || ("," + parts + ",").find("," + std::string(part) + ",") != std::string::npos;
}

}  // namespace

int main(int argc, char** argv) {
    const int files = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20000;
    const int big_mib = argc > 2 ? std::max(1, std::atoi(argv[2])) : 256;
    const std::string parts = argc > 3 ? argv[3] : "";
    ::OleInitialize(nullptr);
    {
        Setting s(files, big_mib);
        const bool program_parts = Wanted(parts, "copy") || Wanted(parts, "big") || Wanted(parts, "close");
        if (program_parts && s.MakeCopyTarget()) {
            std::printf("best of three; the program: from Ctrl+V to its report, its progress dialog shown meanwhile\n");
            std::fflush(stdout);
            double copy_seconds = 30;
            if (Wanted(parts, "copy") || Wanted(parts, "close")) s.MakeSmall();
            if (Wanted(parts, "copy")) {
                char what[96];
                std::snprintf(what, sizeof what, "copy of %d files of 4 KiB", files);
                CopyPart(s, L"many", files, what);
            }
            if (Wanted(parts, "big")) {
                s.MakeBig();
                char what[96];
                std::snprintf(what, sizeof what, "copy of %d MiB in %d files", kBigFiles * big_mib, kBigFiles);
                CopyPart(s, L"big", kBigFiles, what);
                Remove(s.Source(L"big"));
            }
            if (Wanted(parts, "close")) {
                // How long a whole copy takes here, so the close comes half-way.
                const ProgramRound whole = PasteInProgram(s.Source(L"many"), Setting::kInto, DROPEFFECT_COPY);
                Remove(s.Into() + L"\\many");
                if (whole.seconds > 0) copy_seconds = whole.seconds;
                ClosePart(s, copy_seconds);
            }
            Remove(s.Source(L"many"));
        }
        if (Wanted(parts, "move")) MovePart(s);
    }
    if (Wanted(parts, "drop")) DropPart(files);
    ::OleUninitialize();
    return 0;
}
