// Census speed: the real program's census of 100,000 and 1,000,000 files (or
// the counts given), driven from this process as a user would (a click on
// start; the census has ended when the program answers again and its pane
// holds the whole list), next to "dir /s /b /a-d" and a bare wide-character
// walk of the same trees, best of three. With --baseline the same census is
// run by another build of the program (an earlier release) in the same run.
// For each program: the peak working set, and its growth over the idle
// window, against the list's bytes (one byte a character, as saved).
//
//   census_bench.exe [--baseline PROGRAM] [--cap SECONDS] [--dir-up-to FILES] [--dir-runs N] [--runs N]
//                    [COUNT...]
//
// --cap ends a census that takes longer (the lines then shown are reported);
// dir runs only for trees up to --dir-up-to files (100,000 by default: it
// takes minutes per 100,000 files under some platform layers).
//
// The program starts with the desktop folder chosen, which must be empty: a
// link to the tree is put there for each census. The trees are kept (see
// cached_tree.h); "make" as the only argument just makes them.
#include "support/census_driver.h"
#include "support/temp_tree.h"

#include "bare_walk.h"
#include "cached_tree.h"
#include "runtime/handles.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace census;
using census::testing::CensusDriver;

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

const wchar_t kLinkName[] = L"census-bench";

// The length of the list the program shows for the tree through the link:
// each line relative to the desktop folder, with its line break.
long long ListLength(const std::wstring& folder, const std::wstring& shown_as) {
    long long length = 0;
    WIN32_FIND_DATAW fd;
    UniqueFindHandle h(::FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch,
                                          nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!h) return 0;
    do {
        const std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            length += ListLength(folder + L"\\" + name, shown_as + name + L"\\");
        else
            length += static_cast<long long>(shown_as.size() + name.size() + 2);
    } while (::FindNextFileW(h.get(), &fd));
    return length;
}

double TimeDir(const std::wstring& folder) {
    std::wstring command = L"cmd.exe /c dir /s /b /a-d \"" + folder + L"\" > NUL";
    STARTUPINFOW si{sizeof(si)};
    PROCESS_INFORMATION pi{};
    auto start = Clock::now();
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si,
                          &pi))
        return -1;
    UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
    ::WaitForSingleObject(process.get(), INFINITE);
    return Seconds(start);
}

struct Census {
    double seconds = -1;  // -1: not finished within the cap
    long long lines_shown = 0;
    double peak_mb = 0, growth_mb = 0;
};

double WorkingSetMb(HANDLE process, bool peak) {
    PROCESS_MEMORY_COUNTERS counters{sizeof counters};
    if (!::GetProcessMemoryInfo(process, &counters, sizeof counters)) return 0;
    return (peak ? counters.PeakWorkingSetSize : counters.WorkingSetSize) / 1048576.0;
}

// Asks the pane, as any program may; answered only while the program runs
// its messages (between catch-ups, or once the census has returned).
bool PaneLength(HWND pane, long long& length) {
    DWORD_PTR answer = 0;
    if (!::SendMessageTimeoutW(pane, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 200, &answer)) return false;
    length = static_cast<long long>(answer);
    return true;
}

Census TimeProgram(const std::wstring& program, long long list_length, double cap_seconds) {
    Census c;
    CensusDriver driver;
    if (!driver.Start(30000, program)) return c;
    HWND start = driver.FindChildByText(L"П Л И !");
    HWND pane = driver.FindChildByClass(L"Edit");
    if (!start || !pane) return c;
    const double idle_mb = WorkingSetMb(driver.Process(), false);
    auto begin = Clock::now();
    CensusDriver::Click(start);
    long long length = 0;
    while (Seconds(begin) < cap_seconds) {
        if (PaneLength(pane, length) && length >= list_length) {
            c.seconds = Seconds(begin);
            break;
        }
        ::Sleep(20);
    }
    DWORD_PTR lines = 0;
    ::SendMessageTimeoutW(pane, EM_GETLINECOUNT, 0, 0, SMTO_NORMAL, 10000, &lines);
    c.lines_shown = static_cast<long long>(lines) - 1;
    c.peak_mb = WorkingSetMb(driver.Process(), true);
    c.growth_mb = c.peak_mb - idle_mb;
    if (c.seconds >= 0) driver.Close(120000);
    return c;
}

struct Options {
    std::wstring baseline;
    double cap_seconds = 900;
    long dir_up_to = 100000;
    int runs = 3;
    int dir_runs = 3;
    std::vector<long> counts;
};

void PrintCensus(const char* who, long files, const std::vector<Census>& runs, long long list_length) {
    Census best;
    for (const Census& c : runs)
        if (c.seconds >= 0 && (best.seconds < 0 || c.seconds < best.seconds)) best = c;
    double peak = 0, growth = 0;
    for (const Census& c : runs) {
        peak = std::max(peak, c.peak_mb);
        growth = std::max(growth, c.growth_mb);
    }
    const double list_mb = list_length / 1048576.0;
    std::printf("%8ld files, %-9s census:", files, who);
    for (const Census& c : runs) {
        if (c.seconds >= 0)
            std::printf(" %7.2f s", c.seconds);
        else
            std::printf(" (not done in the cap: %lld lines shown)", c.lines_shown);
    }
    std::printf(" | best %7.2f s | peak %.0f MB (%.1f B per list byte), growth %.0f MB (%.1f B per list byte)\n",
                best.seconds, peak, peak / list_mb, growth, growth / list_mb);
    std::fflush(stdout);
}

double Best(const std::vector<Census>& runs) {
    double best = -1;
    for (const Census& c : runs)
        if (c.seconds >= 0 && (best < 0 || c.seconds < best)) best = c.seconds;
    return best;
}

void Measure(long files, const Options& options, std::vector<double>& program_best) {
    const std::wstring root = bench::CachedTree(files);
    const std::wstring link = testing::DesktopFolder() + L"\\" + kLinkName;
    const long long list_length = ListLength(root, std::wstring(kLinkName) + L"\\");
    double bare = 1e9, dir = 1e9;
    for (int i = 0; i < options.runs; ++i) {
        auto start = Clock::now();
        long walked = bench::BareWalk(root);
        bare = std::min(bare, Seconds(start));
        if (walked != files) std::printf("warning: bare walk found %ld of %ld files\n", walked, files);
    }
    std::printf("%8ld files: list %.1f MB; bare walk %.2f s", files, list_length / 1048576.0, bare);
    std::fflush(stdout);
    if (files <= options.dir_up_to) {
        for (int i = 0; i < options.dir_runs; ++i) dir = std::min(dir, TimeDir(root));
        std::printf("; dir /s /b /a-d %.2f s (best of %d)", dir, options.dir_runs);
    }
    std::printf(" (walks best of %d)\n", options.runs);
    std::fflush(stdout);
    if (!testing::MakeDirLink(link, root)) {
        std::printf("could not link the tree on the desktop\n");
        return;
    }
    std::vector<Census> ours, theirs;
    bool baseline_finishes = !options.baseline.empty();
    for (int i = 0; i < options.runs; ++i) {
        ours.push_back(TimeProgram({}, list_length, options.cap_seconds));
        if (baseline_finishes) {
            theirs.push_back(TimeProgram(options.baseline, list_length, options.cap_seconds));
            // A build that cannot finish within the cap is not asked again.
            baseline_finishes = theirs.back().seconds >= 0;
        }
    }
    testing::RemoveDirLink(link);
    PrintCensus("this", files, ours, list_length);
    if (!theirs.empty()) PrintCensus("baseline", files, theirs, list_length);
    const double best = Best(ours);
    program_best.push_back(best);
    if (dir < 1e9 && best > 0) std::printf("%8ld files: census / dir %.2f (goal: at most 0.5)\n", files, best / dir);
    if (!theirs.empty() && Best(theirs) > 0 && dir < 1e9)
        std::printf("%8ld files: baseline census / dir %.2f\n", files, Best(theirs) / dir);
    std::fflush(stdout);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    Options options;
    bool make_only = false;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"--baseline" && i + 1 < argc)
            options.baseline = argv[++i];
        else if (arg == L"--cap" && i + 1 < argc)
            options.cap_seconds = _wtof(argv[++i]);
        else if (arg == L"--dir-up-to" && i + 1 < argc)
            options.dir_up_to = _wtol(argv[++i]);
        else if (arg == L"--dir-runs" && i + 1 < argc)
            options.dir_runs = _wtoi(argv[++i]);
        else if (arg == L"--runs" && i + 1 < argc)
            options.runs = _wtoi(argv[++i]);
        else if (arg == L"make")
            make_only = true;
        else
            options.counts.push_back(_wtol(arg.c_str()));
    }
    if (options.counts.empty()) options.counts = {100000, 1000000};
    if (make_only) {
        for (long n : options.counts) bench::CachedTree(n);
        return 0;
    }
    if (testing::CountEntries(testing::DesktopFolder()) != 0) {
        std::printf("the desktop folder must be empty\n");
        return 1;
    }
    std::vector<double> best;
    for (long n : options.counts) Measure(n, options, best);
    if (best.size() == 2 && best[0] > 0 && best[1] > 0)
        std::printf("census time ratio %ld / %ld files: %.2f (goal: at most %.1f)\n", options.counts[1],
                    options.counts[0], best[1] / best[0], static_cast<double>(options.counts[1]) / options.counts[0]);
    return 0;
}
