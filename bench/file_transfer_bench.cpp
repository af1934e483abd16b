// The program's own file layer against the platform's own commands, in the
// same run on the same folders, best of three each:
//   a copy of 20,000 small files (4 KiB each, in 20 folders) — own vs xcopy /e /i
//   a copy of 1 GiB in four files — own vs xcopy /e /i
//   a move of the 20,000 within one drive — own vs move
// Arguments: [small files] [MiB per large file].
#include "shell/transfer/file_operations.h"
#include "support/temp_tree.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

using namespace census;

namespace {

double Seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double BestOfThree(const std::function<double()>& round) {
    double best = 1e9;
    for (int i = 0; i < 3; ++i) best = std::min(best, round());
    return best;
}

// Runs a command of the platform's command processor and waits for it.
void Platform(const std::wstring& command) {
    std::wstring line = L"cmd.exe /c " + command + L" >nul";
    STARTUPINFOW si{sizeof(si)};
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
        return;
    ::WaitForSingleObject(pi.hProcess, INFINITE);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
}

std::wstring Quoted(const std::wstring& path) {
    return L"\"" + path + L"\"";
}

class Bench {
public:
    Bench(int small_files, int large_mib) {
        temp_.Dir(L"small");
        const std::string block(4096, 's');
        for (int folder = 0; folder < 20; ++folder) {
            const std::wstring name = L"small\\part" + std::to_wstring(folder);
            temp_.Dir(name);
            for (int i = 0; i < small_files / 20; ++i) temp_.File(name + L"\\file" + std::to_wstring(i) + L".txt", block);
        }
        temp_.Dir(L"large");
        const std::string mib(1 << 20, 'L');
        for (int i = 0; i < 4; ++i) {
            std::string bytes;
            bytes.reserve(static_cast<std::size_t>(large_mib) << 20);
            for (int m = 0; m < large_mib; ++m) bytes += mib;
            temp_.File(L"large\\part" + std::to_wstring(i) + L".bin", bytes);
        }
        temp_.Dir(L"to");
    }

    double OwnCopy(const wchar_t* what) {
        const double seconds = Seconds([&] { files_->Run({temp_.Path(what)}, temp_.Path(L"to"), DROPEFFECT_COPY, quiet_); });
        Clear(what);
        return seconds;
    }

    double PlatformCopy(const wchar_t* what) {
        const std::wstring target = temp_.Path(L"to\\") + what;
        const double seconds = Seconds([&] { Platform(L"xcopy " + Quoted(temp_.Path(what)) + L" " + Quoted(target) + L" /e /i /q"); });
        Clear(what);
        return seconds;
    }

    double OwnMove() {
        const double seconds =
            Seconds([&] { files_->Run({temp_.Path(L"small")}, temp_.Path(L"to"), DROPEFFECT_MOVE, quiet_); });
        files_->Run({temp_.Path(L"to\\small")}, temp_.Root(), DROPEFFECT_MOVE, quiet_);
        return seconds;
    }

    double PlatformMove() {
        const double seconds = Seconds(
            [&] { Platform(L"move " + Quoted(temp_.Path(L"small")) + L" " + Quoted(temp_.Path(L"to\\small"))); });
        files_->Run({temp_.Path(L"to\\small")}, temp_.Root(), DROPEFFECT_MOVE, quiet_);
        return seconds;
    }

    bool Whole(const wchar_t* what, int expected) { return testing::CountEntries(temp_.Path(what)) == expected; }

private:
    void Clear(const wchar_t* what) { files_->Delete({temp_.Path(L"to\\") + what}, quiet_); }

    testing::TempTree temp_;
    std::unique_ptr<FileOperations> files_ = MakeFileOperations();
    TransferProgress quiet_;
};

}  // namespace

int main(int argc, char** argv) {
    const int small_files = argc > 1 ? std::atoi(argv[1]) : 20000;
    const int large_mib = argc > 2 ? std::atoi(argv[2]) : 256;
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    Bench bench(small_files, large_mib);
    std::printf("best of three, seconds\n");
    const double own_small = BestOfThree([&] { return bench.OwnCopy(L"small"); });
    const double xcopy_small = BestOfThree([&] { return bench.PlatformCopy(L"small"); });
    std::printf("copy %d small files: own %.2f, xcopy %.2f (%.2fx)\n", small_files, own_small, xcopy_small,
                own_small / xcopy_small);
    const double own_large = BestOfThree([&] { return bench.OwnCopy(L"large"); });
    const double xcopy_large = BestOfThree([&] { return bench.PlatformCopy(L"large"); });
    std::printf("copy %d MiB in 4 files: own %.2f, xcopy %.2f (%.2fx)\n", 4 * large_mib, own_large, xcopy_large,
                own_large / xcopy_large);
    const double own_move = BestOfThree([&] { return bench.OwnMove(); });
    const double platform_move = BestOfThree([&] { return bench.PlatformMove(); });
    std::printf("move %d small files within a drive: own %.3f, move %.3f\n", small_files, own_move, platform_move);
    std::printf("source whole after the moves: %s\n", bench.Whole(L"small", 20) ? "yes" : "NO");
    ::CoUninitialize();
    return 0;
}
