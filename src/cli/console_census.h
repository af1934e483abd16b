// The census without a window: the window's walk and line rules, the lines
// written to the list file or standard output as they are found. Nothing
// of the list is held in memory but the writer's buffer, so a census of
// millions of files runs in the same memory as a small one.
#pragma once

#include "cli/cli_arguments.h"

#include <atomic>
#include <functional>
#include <string>

namespace census {

// What a script reads from the program's exit.
enum CliExitCode : int {
    kExitLossless = 0,      // every line written as found
    kExitCharsReplaced = 1, // written, but some lines had characters replaced by "?"
    kExitFailed = 2,        // bad arguments, folder, file, or an interrupted run: FILE as it was
    kExitIncomplete = 3,    // written, but folders that could not be read are missing from it
};

// Runs one census with good options. `interrupted` may be set from another
// thread at any time: the walk stops after the entry in hand, the temporary
// file goes, and the old list file stays. `report` takes each message line.
int RunConsoleCensus(const CliOptions& options, const std::atomic<bool>& interrupted,
                     const std::function<void(const std::wstring&)>& report);

}  // namespace census
