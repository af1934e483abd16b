#include "cli/cli_run.h"

#include <windows.h>

#include <cstdint>
#include <thread>

namespace census::testing {

namespace {

// One argument as CommandLineToArgvW reads it back: backslashes are literal
// except before a quote, so those before the closing quote are doubled.
std::wstring Quote(const std::wstring& arg) {
    std::wstring out = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    return out + L"\"";
}

std::wstring FromUtf8(const std::string& bytes) {
    if (bytes.empty()) return {};
    int n = ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), n);
    return text;
}

// Reads until the writer is gone, or `wanted` bytes came.
std::string ReadAll(HANDLE pipe, size_t wanted = SIZE_MAX) {
    std::string bytes;
    char buffer[4096];
    DWORD n = 0;
    while (bytes.size() < wanted && ::ReadFile(pipe, buffer, sizeof buffer, &n, nullptr) && n > 0)
        bytes.append(buffer, n);
    return bytes;
}

struct Pipe {
    UniqueKernelHandle read, write;
    Pipe() {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE r = nullptr, w = nullptr;
        if (::CreatePipe(&r, &w, &inherit, 0)) {
            read.reset(r);
            write.reset(w);
            ::SetHandleInformation(r, HANDLE_FLAG_INHERIT, 0);
        }
    }
};

}  // namespace

std::wstring CliCommandLine(const std::vector<std::wstring>& args) {
    wchar_t program[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, program, MAX_PATH);
    std::wstring path = program;
    path = path.substr(0, path.find_last_of(L'\\') + 1) + L"census_cli.exe";
    std::wstring line = Quote(path);
    for (const std::wstring& arg : args) line += L" " + Quote(arg);
    return line;
}

CliResult RunCli(const std::vector<std::wstring>& args, unsigned timeout_ms) {
    return RunCliClosingOutput(args, SIZE_MAX, timeout_ms);
}

CliResult RunCliClosingOutput(const std::vector<std::wstring>& args, size_t wanted, unsigned timeout_ms) {
    CliResult result;
    Pipe out, err;
    STARTUPINFOW startup{sizeof startup};
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    startup.hStdOutput = out.write.get();
    startup.hStdError = err.write.get();
    PROCESS_INFORMATION process{};
    std::wstring command = CliCommandLine(args);
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, DETACHED_PROCESS, nullptr, nullptr,
                          &startup, &process))
        return result;
    UniqueKernelHandle handle(process.hProcess), thread(process.hThread);
    out.write.reset();
    err.write.reset();
    std::thread out_reader([&] {
        result.output_bytes = ReadAll(out.read.get(), wanted);
        out.read.reset();
    });
    std::string err_bytes;
    std::thread err_reader([&] { err_bytes = ReadAll(err.read.get()); });
    DWORD code = 0;
    if (::WaitForSingleObject(handle.get(), timeout_ms) == WAIT_OBJECT_0 && ::GetExitCodeProcess(handle.get(), &code))
        result.exit_code = static_cast<int>(code);
    else
        ::TerminateProcess(handle.get(), 99);  // a run that does not end is a failure, not a hang
    out_reader.join();
    err_reader.join();
    result.error_text = FromUtf8(err_bytes);
    result.output_text = FromUtf8(result.output_bytes);
    return result;
}

}  // namespace census::testing
