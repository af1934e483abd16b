// How soon the end of a census reaches the user, for a census of 100,000 and
// of 1,000,000 files (or the counts given as arguments), best of three:
//
// - the last block: the time from the walk's last entry (or from the stop
//   click) until the pane shows the last line and the count label the total.
//   The census is the window's own, run in this process;
// - closing: the real program, closed from outside (WM_CLOSE, as another
//   program or the taskbar sends it) 0.5 s into its census and half-way
//   through it; the time until its window is gone and until the process has
//   ended, measured from outside, with the display's own cost of
//   destroying a plain window as the peer. The program starts on the desktop folder,
//   which must be empty: a link to the tree is made there for the run.
//
// The trees are small empty files. Making a million files takes minutes, so each tree is made
// once under the temporary folder and kept for later runs (a marker file
// says it is complete); "clean" as the first argument removes them, and
// "close" measures only the close 0.5 s into the census.
#include "app/main_form.h"
#include "bare_walk.h"
#include "cached_tree.h"
#include "runtime/application.h"
#include "runtime/handles.h"
#include "runtime/string_list.h"
#include "shell/namespace/shell_namespace.h"
#include "support/census_driver.h"
#include "support/temp_tree.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

using namespace census;

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from, Clock::time_point to) { return std::chrono::duration<double>(to - from).count(); }

using bench::CacheFolder;
using bench::CachedTree;
using bench::RemoveTree;

// The window, told when the walk handles its last entry.
class TimedForm : public TForm1 {
public:
    Clock::time_point last_entry;

protected:
    void EntryDone() override {
        last_entry = Clock::now();
        TForm1::EntryDone();
    }
};

struct Run {
    double after_end = -1;  // seconds from the event until the window shows the whole list
    long listed = 0;
    bool shown = false;     // the pane's last visible line and the count were right
};

// The pane's last visible line is the last line of the list.
bool PaneShowsLastLine(TForm1& form, long files) {
    HWND edit = form.Memo1->Inner().Handle();
    RECT client;
    ::GetClientRect(edit, &client);
    int count = static_cast<int>(::SendMessageW(edit, EM_GETLINECOUNT, 0, 0));
    // The edit reports one empty line after the final line break; the line
    // before it is the list's last, and it must be on screen.
    int last = count - 2;
    LRESULT at = ::SendMessageW(edit, EM_POSFROMCHAR, ::SendMessageW(edit, EM_LINEINDEX, last, 0), 0);
    int y = static_cast<short>(HIWORD(at));
    return last + 1 == files && y >= 0 && y < client.bottom;
}

// One census of the tree; with `stop_after_ms` > 0 the stop button is
// clicked (its click posted, as a mouse gives it) that long after the start.
Run Census(const std::wstring& root, long files, int stop_after_ms) {
    Run run;
    TimedForm form;
    form.Show();
    Application& app = Application::Instance();
    app.ProcessMessages();
    UniqueIdList list;
    if (ParsePath(root, list) != S_OK) return run;
    form.FxShellTree1->SelectedFolder().SetIdList(list.get());
    app.ProcessMessages();
    Clock::time_point stopped{};
    form.Button3->OnClick = [&](Control& sender) {
        stopped = Clock::now();
        form.Button3Click(sender);
    };
    std::thread stopper;
    if (stop_after_ms > 0) {
        HWND stop = form.Button3->Handle();
        stopper = std::thread([stop, stop_after_ms] {
            ::Sleep(stop_after_ms);
            ::PostMessageW(stop, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
            ::PostMessageW(stop, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        });
    }
    form.Button1Click(*form.Button1);
    // What the user sees: every control painted.
    ::RedrawWindow(form.Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    auto end = Clock::now();
    if (stopper.joinable()) stopper.join();
    run.listed = static_cast<long>(form.Census().FileCount);
    const Clock::time_point from = stop_after_ms > 0 ? stopped : form.last_entry;
    run.after_end = Seconds(from, end);
    run.shown = PaneShowsLastLine(form, run.listed) &&
                form.Label2->Caption() == L"Количество Файлов: " + std::to_wstring(run.listed);
    app.ProcessMessages();
    return run;
}

// The real program closed from outside `after_ms` into its census of the
// tree, or with no census (negative `after_ms`), for comparison.
struct Closed {
    double window = -1, process = -1;  // seconds from the close
};

Closed CloseDuringCensus(int after_ms) {
    Closed c;
    testing::CensusDriver program;
    if (!program.Start()) return c;
    HWND start = program.FindChildByText(L"П Л И !");
    if (!start) return c;
    if (after_ms >= 0) testing::CensusDriver::Click(start);
    ::Sleep(std::max(after_ms, 500));
    HWND window = program.MainWindow();
    auto closed = Clock::now();
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    while (::WaitForSingleObject(program.Process(), 2) == WAIT_TIMEOUT) {
        if (c.window < 0 && !::IsWindowVisible(window)) c.window = Seconds(closed, Clock::now());
        if (Seconds(closed, Clock::now()) > 600) return c;
    }
    c.process = Seconds(closed, Clock::now());
    if (c.window < 0) c.window = c.process;
    return c;
}

void MeasureClose(const std::wstring& root, long files, int after_ms) {
    const std::wstring link = testing::DesktopFolder() + L"\\census-end-bench";
    if (testing::CountEntries(testing::DesktopFolder()) != 0 || !testing::MakeDirLink(link, root)) {
        std::printf("closing: skipped (the desktop folder must be empty and take a link)\n");
        return;
    }
    Closed best{1e9, 1e9};
    for (int i = 0; i < 3; ++i) {
        Closed c = CloseDuringCensus(after_ms);
        if (c.process < 0) std::printf("closing: the program did not end\n");
        best.window = std::min(best.window, c.window);
        best.process = std::min(best.process, c.process);
    }
    testing::RemoveDirLink(link);
    if (after_ms < 0)
        std::printf("no census, closed: window gone %.3f s, process ended %.3f s after the close (best of 3)\n",
                    best.window, best.process);
    else
        std::printf("%8ld files, closed %.1f s in: window gone %.3f s, process ended %.3f s after the close "
                    "(best of 3)\n",
                    files, after_ms / 1000.0, best.window, best.process);
    std::fflush(stdout);
}

// The peer of the closing times: how long this display takes to destroy a
// plain visible top-level window (under a virtual display with no window
// manager the platform waits for one to acknowledge the hide), best of 3.
void MeasurePlainWindowDestroy() {
    double best = 1e9;
    for (int i = 0; i < 3; ++i) {
        HWND plain = ::CreateWindowExW(0, L"STATIC", L"plain", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 200,
                                       nullptr, nullptr, nullptr, nullptr);
        if (!plain) return;
        Application::Instance().ProcessMessages();
        auto begin = Clock::now();
        ::DestroyWindow(plain);
        best = std::min(best, Seconds(begin, Clock::now()));
    }
    std::printf("peer: a plain window destroyed in %.3f s on this display (best of 3)\n", best);
    std::fflush(stdout);
}

struct Best {
    double seconds = 1e9;
    long listed = 0;
    bool shown = true;
    void Add(const Run& r) {
        seconds = std::min(seconds, r.after_end);
        listed = r.listed;
        shown = shown && r.shown;
    }
    void Print(long files, const char* what) const {
        std::printf("%8ld files, %s: whole list shown %.3f s later (best of 3; %ld listed)%s\n", files, what, seconds,
                    listed, shown ? "" : "  NOT SHOWN RIGHT");
        std::fflush(stdout);
    }
};

void Measure(long files) {
    const std::wstring root = CachedTree(files);
    Best walked, stopped;
    double census_seconds = 1e9;
    for (int i = 0; i < 3; ++i) {
        auto begin = Clock::now();
        walked.Add(Census(root, files, 0));
        census_seconds = std::min(census_seconds, Seconds(begin, Clock::now()));
    }
    walked.Print(files, "after the walk");
    std::printf("%8ld files: census %.1f s\n", files, census_seconds);
    // Stopped half-way through.
    for (int i = 0; i < 3; ++i) stopped.Add(Census(root, files, static_cast<int>(census_seconds * 500)));
    stopped.Print(files, "after stop    ");
    MeasureClose(root, files, 500);
    MeasureClose(root, files, static_cast<int>(census_seconds * 500));
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<long> counts;
    bool close_only = false;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "close") {
            close_only = true;
            continue;
        }
        if (std::string(argv[i]) == "clean") {
            for (long n : {100000L, 1000000L}) {
                RemoveTree(CacheFolder(n));
                ::DeleteFileW((CacheFolder(n) + L".complete").c_str());
            }
            return 0;
        }
        counts.push_back(std::atol(argv[i]));
    }
    if (counts.empty()) counts = {100000, 1000000};
    MeasurePlainWindowDestroy();
    if (counts.size() == 1 && counts[0] == 0) {
        MeasureClose(CachedTree(100), 0, -1);
        return 0;
    }
    for (long n : counts) {
        if (close_only)
            MeasureClose(CachedTree(n), n, 500);
        else
            Measure(n);
    }
    return 0;
}
