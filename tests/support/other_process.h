// Work done by another process, as another program would do it.
#pragma once

#include <string>

namespace census::testing {

// Runs a command line through the command interpreter and waits for it;
// false when it cannot start or does not end within the time.
bool RunCommand(const std::wstring& command, unsigned timeout_ms = 30000);

// Runs this test program again with only `test` (a disabled test, run on
// purpose) and `value` in the environment variable CENSUS_HELPER_ARGUMENT.
bool RunHelperTest(const std::wstring& test, const std::wstring& value, unsigned timeout_ms = 30000);
// The helper's argument inside the helper test; empty in a normal run.
std::wstring HelperArgument();

}  // namespace census::testing
