// Test entry: COM and the common controls are set up once per executable,
// as the program itself does at start-up.
//
// A test that crashes ends its executable at once, with the fault printed and
// a non-zero exit code. Without this the platform may hand the crashed process
// to a debugger that waits for someone to look at it, and the run would
// hang until the test driver's time-out.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <cstdio>

namespace {

// Exit code of a crashed test executable (ctest shows it as a failure).
constexpr UINT kCrashExitCode = 3;

LONG WINAPI ReportCrash(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::fprintf(stderr, "\nCRASH: exception 0x%08lX at %p", record->ExceptionCode, record->ExceptionAddress);
    if (record->ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record->NumberParameters >= 2)
        std::fprintf(stderr, " (%s address %p)", record->ExceptionInformation[0] ? "writing" : "reading",
                     reinterpret_cast<void*>(record->ExceptionInformation[1]));
    if (test) std::fprintf(stderr, " in test %s.%s", test->test_suite_name(), test->name());
    std::fprintf(stderr, "\n");
    std::fflush(stderr);
    std::fflush(stdout);
    ::TerminateProcess(::GetCurrentProcess(), kCrashExitCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

int main(int argc, char** argv) {
    ::SetUnhandledExceptionFilter(ReportCrash);
    // No "program has stopped working" box of our own either.
    ::SetErrorMode(::GetErrorMode() | SEM_NOGPFAULTERRORBOX);
    ::OleInitialize(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&icc);
    ::testing::InitGoogleTest(&argc, argv);
    int rc = RUN_ALL_TESTS();
    ::OleUninitialize();
    return rc;
}
