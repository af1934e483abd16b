// The console census against the platform's "dir /s /b" of the same tree
// redirected to a file, and against a bare walk that only finds the files,
// each a process of its own, for 100,000 and 1,000,000 files. Best of three
// times; peak working set of each process, read from its handle once it has
// ended. The trees (folders of 100 empty files) are made once and kept in the
// temporary folder for later runs.
//
//   census_cli_bench.exe                         the whole comparison
//   census_cli_bench.exe COUNT [RUNS [DIR_RUNS]]  only that size; best of RUNS
//     (3), and of DIR_RUNS runs of dir (as many; 0: none, for it is slow under
//     Wine, some minutes per 100,000 files)
//   census_cli_bench.exe --bare-walk FOLDER   (used by the comparison itself)
#include "bare_walk.h"
#include "runtime/handles.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <string>

using namespace census;

namespace {

constexpr int kFilesPerFolder = 100;
int g_runs = 3;
int g_dir_runs = 3;

std::wstring TempFolder() {
    wchar_t buffer[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, buffer);
    std::wstring path = buffer;
    if (!path.empty() && path.back() == L'\\') path.pop_back();
    return path;
}

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void MakeFile(const std::wstring& path) {
    UniqueFileHandle h(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
}

// files / 100 folders of 100 files, in groups of 100 folders.
std::wstring EnsureTree(long files) {
    const std::wstring root = TempFolder() + L"\\census-cli-bench-" + std::to_wstring(files);
    const std::wstring done = root + L".complete";
    if (Exists(done)) return root;
    std::printf("making %ld files under %ls (once)...\n", files, root.c_str());
    std::fflush(stdout);
    ::CreateDirectoryW(root.c_str(), nullptr);
    const long folders = files / kFilesPerFolder;
    for (long f = 0; f < folders; ++f) {
        const std::wstring group = root + L"\\group" + std::to_wstring(f / 100);
        if (f % 100 == 0) ::CreateDirectoryW(group.c_str(), nullptr);
        const std::wstring folder = group + L"\\folder" + std::to_wstring(f % 100);
        ::CreateDirectoryW(folder.c_str(), nullptr);
        for (int i = 0; i < kFilesPerFolder; ++i) MakeFile(folder + L"\\file" + std::to_wstring(i) + L".dat");
    }
    MakeFile(done);
    return root;
}

struct Run {
    double seconds = -1;
    double peak_mib = 0;
    DWORD exit_code = 0;
};

// Runs a command line to its end; time and peak working set of the process.
Run RunProcess(std::wstring command) {
    Run run;
    STARTUPINFOW si{sizeof si};
    PROCESS_INFORMATION pi{};
    const auto start = std::chrono::steady_clock::now();
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si,
                          &pi))
        return run;
    UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
    // The peak is read while the process lives as well: Wine forgets the
    // counters of a process that has ended.
    SIZE_T peak = 0;
    for (DWORD woken = WAIT_TIMEOUT; woken == WAIT_TIMEOUT;) {
        woken = ::WaitForSingleObject(process.get(), 20);
        PROCESS_MEMORY_COUNTERS counters{sizeof counters};
        if (::GetProcessMemoryInfo(process.get(), &counters, sizeof counters))
            peak = std::max(peak, counters.PeakWorkingSetSize);
    }
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.peak_mib = peak / (1024.0 * 1024.0);
    ::GetExitCodeProcess(process.get(), &run.exit_code);
    return run;
}

std::wstring Beside(const wchar_t* name) {
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path = self;
    return path.substr(0, path.find_last_of(L'\\') + 1) + name;
}

struct Sizes {
    Run census, dir, bare;
};

Sizes Measure(long files) {
    const std::wstring tree = EnsureTree(files);
    const std::wstring list = TempFolder() + L"\\census-cli-bench-list.txt";
    const std::wstring dir_list = TempFolder() + L"\\census-cli-bench-dir.txt";
    Sizes s;
    // Interleaved, so a change in the machine's load meets all three alike.
    for (int i = 0; i < g_runs; ++i) {
        Run c = RunProcess(L"\"" + Beside(L"census_cli.exe") + L"\" \"" + tree + L"\" /out \"" + list + L"\"");
        Run d = i < g_dir_runs ? RunProcess(L"cmd.exe /c dir /s /b /a-d \"" + tree + L"\" > \"" + dir_list + L"\"")
                               : Run{};
        Run b = RunProcess(L"\"" + Beside(L"census_cli_bench.exe") + L"\" --bare-walk \"" + tree + L"\"");
        for (auto [best, r] : {std::pair{&s.census, c}, std::pair{&s.dir, d}, std::pair{&s.bare, b}}) {
            double peak = std::max(best->peak_mib, r.peak_mib);
            if (best->seconds < 0 || (r.seconds >= 0 && r.seconds < best->seconds)) *best = r;
            best->peak_mib = peak;
        }
    }
    if (s.census.exit_code != 0) std::printf("warning: census_cli exit code %lu\n", s.census.exit_code);
    if (static_cast<long>(s.bare.exit_code) != files)
        std::printf("warning: bare walk found %lu of %ld files\n", s.bare.exit_code, files);
    ::DeleteFileW(list.c_str());
    ::DeleteFileW(dir_list.c_str());
    return s;
}

void Print(long files, const Sizes& s) {
    std::printf("%8ld files: census_cli %7.2f s %7.1f MiB | dir /s /b > file %7.2f s %7.1f MiB | bare walk %7.2f s "
                "%7.1f MiB | census_cli / bare walk %.2f (goal <= 1.30), census_cli / dir %.2f\n",
                files, s.census.seconds, s.census.peak_mib, s.dir.seconds, s.dir.peak_mib, s.bare.seconds,
                s.bare.peak_mib, s.census.seconds / s.bare.seconds, s.census.seconds / s.dir.seconds);
    std::fflush(stdout);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    // The bare walk's process reports its count as its exit code.
    if (argc == 3 && std::wcscmp(argv[1], L"--bare-walk") == 0) return static_cast<int>(bench::BareWalk(argv[2]));
    long only = argc >= 2 ? std::wcstol(argv[1], nullptr, 10) : 0;
    if (argc >= 3) g_runs = g_dir_runs = std::max(1, static_cast<int>(std::wcstol(argv[2], nullptr, 10)));
    if (argc >= 4) g_dir_runs = static_cast<int>(std::wcstol(argv[3], nullptr, 10));
    Sizes small{}, large{};
    if (only == 0 || only == 100000) Print(100000, small = Measure(100000));
    if (only == 0 || only == 1000000) Print(1000000, large = Measure(1000000));
    if (only == 0)
        std::printf("peak working set of census_cli, 1,000,000 / 100,000 files: %.2f (goal: flat, 1.0)\n",
                    large.census.peak_mib / small.census.peak_mib);
    return 0;
}
