#include "support/other_process.h"

#include "runtime/application.h"
#include "runtime/handles.h"

namespace census::testing {
namespace {

constexpr wchar_t kArgumentVariable[] = L"CENSUS_HELPER_ARGUMENT";

UniqueKernelHandle Start(std::wstring command_line) {
    STARTUPINFOW startup{sizeof startup};
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                          &startup, &process))
        return {};
    UniqueKernelHandle thread(process.hThread);
    return UniqueKernelHandle(process.hProcess);
}

std::wstring HelperCommand(const std::wstring& test) {
    wchar_t program[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, program, MAX_PATH);
    return L"\"" + std::wstring(program) + L"\" --gtest_also_run_disabled_tests --gtest_filter=" + test;
}

bool Run(std::wstring command_line, unsigned timeout_ms) {
    UniqueKernelHandle handle = Start(std::move(command_line));
    if (!handle) return false;
    // Messages sent to this program's windows meanwhile are answered.
    const ULONGLONG end = ::GetTickCount64() + timeout_ms;
    HANDLE wait = handle.get();
    for (;;) {
        const ULONGLONG now = ::GetTickCount64();
        if (now >= end) return false;
        const DWORD woken =
            ::MsgWaitForMultipleObjects(1, &wait, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
        if (woken == WAIT_OBJECT_0) break;
        if (woken != WAIT_OBJECT_0 + 1) return false;
        Application::Instance().ProcessMessages();
    }
    DWORD code = 1;
    return ::GetExitCodeProcess(handle.get(), &code) && code == 0;
}

}  // namespace

bool RunCommand(const std::wstring& command, unsigned timeout_ms) {
    return Run(L"cmd.exe /c " + command, timeout_ms);
}

bool RunHelperTest(const std::wstring& test, const std::wstring& value, unsigned timeout_ms) {
    ::SetEnvironmentVariableW(kArgumentVariable, value.c_str());
    const bool ran = Run(HelperCommand(test), timeout_ms);
    ::SetEnvironmentVariableW(kArgumentVariable, nullptr);
    return ran;
}

UniqueKernelHandle StartHelperTest(const std::wstring& test, const std::wstring& value) {
    ::SetEnvironmentVariableW(kArgumentVariable, value.c_str());
    UniqueKernelHandle process(Start(HelperCommand(test)));
    ::SetEnvironmentVariableW(kArgumentVariable, nullptr);
    return process;
}

std::wstring HelperArgument() {
    wchar_t value[1024] = {};
    const DWORD n = ::GetEnvironmentVariableW(kArgumentVariable, value, 1024);
    return n > 0 && n < 1024 ? std::wstring(value, n) : std::wstring();
}

}  // namespace census::testing
