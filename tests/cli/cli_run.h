// The built console census, run from a test as a script runs it.
#pragma once

#include "runtime/handles.h"

#include <cstddef>
#include <string>
#include <vector>

namespace census::testing {

struct CliResult {
    int exit_code = -1;      // -1: it did not start or did not end in time
    std::wstring error_text; // standard error, decoded from UTF-8 (a process without a console writes UTF-8)
    std::wstring output_text;
    std::string output_bytes;  // standard output as it came
};

// Runs census_cli.exe (beside the test program) with `args`, quoted as a
// script's shell would quote them, without a console, and waits for it.
CliResult RunCli(const std::vector<std::wstring>& args, unsigned timeout_ms = 60000);

// The same, as a reader that closes standard output once it has read
// `wanted` bytes of it (as "| more" does when the user quits).
CliResult RunCliClosingOutput(const std::vector<std::wstring>& args, size_t wanted, unsigned timeout_ms = 60000);

// The command line that runs census_cli.exe with `args`.
std::wstring CliCommandLine(const std::vector<std::wstring>& args);

}  // namespace census::testing
