// Census speed: the real program's census of 10,000 and 100,000 files (driven
// from this process as a user would, the list shown live in the pane), next to
// Wine's or Windows' own "dir /s /b /a-d" and a bare wide-character walk of
// the same trees. Prints files per second and the ratios.
//
// The program starts with the desktop folder chosen, so the trees are made
// there, one at a time, and removed afterwards; the desktop folder must
// otherwise be empty.
#include "support/census_driver.h"
#include "support/temp_tree.h"

#include "bare_walk.h"
#include "runtime/handles.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

using namespace census;
using census::testing::CensusDriver;

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// About ten files per folder, three levels of folders.
long MakeTree(const std::wstring& root, int fan) {
    long files = 0;
    ::CreateDirectoryW(root.c_str(), nullptr);
    for (int a = 0; a < fan; ++a) {
        std::wstring pa = root + L"\\dir" + std::to_wstring(a);
        ::CreateDirectoryW(pa.c_str(), nullptr);
        for (int b = 0; b < fan; ++b) {
            std::wstring pb = pa + L"\\sub" + std::to_wstring(b);
            ::CreateDirectoryW(pb.c_str(), nullptr);
            for (int c = 0; c < 10; ++c) {
                std::wstring pc = pb + L"\\leaf" + std::to_wstring(c);
                ::CreateDirectoryW(pc.c_str(), nullptr);
                for (int f = 0; f < 10; ++f) {
                    std::wstring file = pc + L"\\file" + std::to_wstring(f) + L".dat";
                    UniqueFileHandle h(::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
                    ++files;
                }
            }
        }
    }
    return files;
}

using bench::RemoveTree;

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

// Seconds from the click on the start button until the count shows every file.
double TimeProgram(long files) {
    CensusDriver program;
    if (!program.Start()) return -1;
    HWND start = program.FindChildByText(L"П Л И !");
    HWND count = program.FindChildByText(L"Количество файлов");
    if (!start || !count) return -1;
    const std::wstring done = L"Количество Файлов: " + std::to_wstring(files);
    auto begin = Clock::now();
    CensusDriver::Click(start);
    if (!CensusDriver::WaitForText(count, [&](const std::wstring& t) { return t == done; }, 3600 * 1000)) return -1;
    double seconds = Seconds(begin);
    program.Close();
    return seconds;
}

struct Result {
    long files;
    double program, dir, bare;
};

Result Measure(int fan) {
    std::wstring root = testing::DesktopFolder() + L"\\census-bench";
    RemoveTree(root);
    Result r{};
    r.files = MakeTree(root, fan);
    auto start = Clock::now();
    long walked = bench::BareWalk(root);
    r.bare = Seconds(start);
    if (walked != r.files) std::printf("warning: bare walk found %ld of %ld files\n", walked, r.files);
    r.dir = TimeDir(root);
    r.program = TimeProgram(r.files);
    RemoveTree(root);
    return r;
}

void Print(const Result& r) {
    std::printf("%7ld files: program %8.2f s (%8.0f files/s) | dir /s /b %8.2f s (%8.0f files/s) | bare walk %6.2f s "
                "(%8.0f files/s) | program/dir %.2f\n",
                r.files, r.program, r.files / r.program, r.dir, r.files / r.dir, r.bare, r.files / r.bare,
                r.program / r.dir);
}

}  // namespace

int main() {
    if (testing::CountEntries(testing::DesktopFolder()) != 0) {
        std::printf("the desktop folder must be empty\n");
        return 1;
    }
    Result small = Measure(10);   // 10 x 10 x 10 folders of 10 files: 10,000
    Print(small);
    Result large = Measure(32);   // 32 x 32 x 10 folders of 10 files: 102,400
    Print(large);
    std::printf("census time ratio %ld / %ld files: %.2f (goal: at most %.1f)\n", large.files, small.files,
                large.program / small.program, 11.0 * large.files / 100000.0);
    return 0;
}
