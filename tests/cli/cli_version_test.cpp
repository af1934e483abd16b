// The console program names its version where a script's author looks for it.
#include "cli/cli_run.h"
#include "support/program_resources.h"

#include "census_version.h"

#include <gtest/gtest.h>

namespace census {
namespace {

TEST(ConsoleCensusVersion, UsageBeginsWithTheVersionTheFileCarries) {
    testing::CliResult run = testing::RunCli({L"/?"});
    EXPECT_EQ(0, run.exit_code);
    const std::wstring first_line = run.output_text.substr(0, run.output_text.find(L"\r\n"));
    EXPECT_EQ(L"census_cli " CENSUS_VERSION_WIDE, first_line);
    testing::VersionResource file = testing::ReadVersionResource(testing::BesideTestProgram(L"census_cli.exe"));
    EXPECT_EQ(L"census_cli " + file.strings[L"ProductVersion"], first_line);
}

}  // namespace
}  // namespace census
