// The console census: the window's census of a folder, written straight to
// a list file, for scripts and scheduled inventories. See CliUsage.
#include "cli/cli_arguments.h"
#include "cli/console_census.h"
#include "cli/console_text.h"
#include "runtime/handles.h"

#include "census_version.h"

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

namespace {

std::atomic<bool> g_interrupted{false};

// Runs on a thread of its own that the system starts. Ctrl+C and Ctrl+Break
// only ask the walk to stop; the main thread cleans up and exits. For the
// console closing, the user logging off or the system shutting down, the
// process is ended as soon as this returns, so it never returns: the main
// thread ends the process once it has cleaned up. Where the process is
// ended without this (the system's few seconds run out, a platform sends
// no close event, the process is killed), the temporary list file goes
// with the process's last handle on it, and the old list stays.
BOOL WINAPI OnConsoleControl(DWORD event) {
    g_interrupted = true;
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) ::Sleep(INFINITE);
    return TRUE;
}

std::vector<std::wstring> Arguments() {
    int count = 0;
    census::UniqueLocalMemory<wchar_t**> argv(::CommandLineToArgvW(::GetCommandLineW(), &count));
    std::vector<std::wstring> args;
    for (int i = 1; argv && i < count; ++i) args.emplace_back(argv.get()[i]);
    return args;
}

void Report(const std::wstring& line) { census::WriteConsoleLine(census::ConsoleStream::Error, L"census_cli: " + line); }

int Run() {
    census::ParsedArguments parsed = census::ParseCliArguments(Arguments());
    if (!parsed.error.empty()) {
        Report(parsed.error);
        return census::kExitFailed;
    }
    if (parsed.options.help) {
        census::WriteConsoleLine(census::ConsoleStream::Output,
                                 L"census_cli " CENSUS_VERSION_WIDE L"\n\n" + census::CliUsage());
        return census::kExitLossless;
    }
    return census::RunConsoleCensus(parsed.options, g_interrupted, Report);
}

}  // namespace

int wmain() {
    // Started in a process group of its own, a program has Ctrl+C switched off until it asks for it.
    ::SetConsoleCtrlHandler(nullptr, FALSE);
    ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    // ExitProcess, not a return: a control handler may be waiting, and the
    // process must end with this code, not with what the handler's end would give.
    ::ExitProcess(static_cast<UINT>(Run()));
}
