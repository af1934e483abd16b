// Work done by another process, as another program would do it.
#pragma once

#include "runtime/handles.h"

#include <string>

namespace census::testing {

// Runs a command line through the command interpreter and waits for it;
// false when it cannot start or does not end within the time.
bool RunCommand(const std::wstring& command, unsigned timeout_ms = 30000);

// Runs this test program again with only `test` (a disabled test, run on
// purpose) and `value` in the environment variable CENSUS_HELPER_ARGUMENT.
bool RunHelperTest(const std::wstring& test, const std::wstring& value, unsigned timeout_ms = 30000);
// Starts the same helper without waiting for it; its process handle (null when it cannot start).
census::UniqueKernelHandle StartHelperTest(const std::wstring& test, const std::wstring& value);
// The helper's argument inside the helper test; empty in a normal run.
std::wstring HelperArgument();

}  // namespace census::testing
