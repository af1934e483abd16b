#include "support/census_driver.h"

#include <shlobj.h>

#include <vector>

namespace census::testing {

namespace {

struct FindState {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindMainWindow(HWND hwnd, LPARAM lp) {
    auto* state = reinterpret_cast<FindState*>(lp);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (pid == state->pid && ::IsWindowVisible(hwnd) && ::GetWindow(hwnd, GW_OWNER) == nullptr &&
        (::GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CAPTION) == WS_CAPTION) {
        state->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t cls[256] = L"";
    ::GetClassNameW(hwnd, cls, 256);
    return cls;
}

}  // namespace

CensusDriver::~CensusDriver() {
    if (process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) ::TerminateProcess(process_.get(), 1);
}

bool CensusDriver::Start(unsigned timeout_ms, const std::wstring& program) {
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring exe = self;
    exe = program.empty() ? exe.substr(0, exe.find_last_of(L'\\') + 1) + L"census.exe" : program;
    std::wstring command = L"\"" + exe + L"\"";
    STARTUPINFOW si{sizeof(si)};
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    process_.reset(pi.hProcess);
    UniqueKernelHandle thread(pi.hThread);
    process_id_ = pi.dwProcessId;
    ::WaitForInputIdle(process_.get(), timeout_ms);
    for (unsigned waited = 0; waited < timeout_ms; waited += 50) {
        FindState state{process_id_, nullptr};
        ::EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&state));
        if (state.found) {
            main_ = state.found;
            return true;
        }
        ::Sleep(50);
    }
    return false;
}

HWND CensusDriver::FindChild(const std::function<bool(const std::wstring&, const std::wstring&)>& match) const {
    struct Search {
        const std::function<bool(const std::wstring&, const std::wstring&)>* match;
        HWND found;
    } search{&match, nullptr};
    ::EnumChildWindows(
        main_,
        [](HWND hwnd, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lp);
            if ((*s->match)(ClassOf(hwnd), Text(hwnd))) {
                s->found = hwnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND CensusDriver::FindChildByText(const std::wstring& text) const {
    return FindChild([&](const std::wstring&, const std::wstring& t) { return t == text; });
}

HWND CensusDriver::FindChildByClass(const std::wstring& cls) const {
    return FindChild([&](const std::wstring& c, const std::wstring&) { return _wcsicmp(c.c_str(), cls.c_str()) == 0; });
}

std::wstring CensusDriver::Text(HWND window) {
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return {};
    std::vector<wchar_t> buffer(length + 1, L'\0');
    DWORD_PTR got = 0;
    ::SendMessageTimeoutW(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                          SMTO_ABORTIFHUNG, 5000, &got);
    return std::wstring(buffer.data(), got);
}

void CensusDriver::Click(HWND window) {
    RECT r;
    ::GetClientRect(window, &r);
    LPARAM at = MAKELPARAM(r.right / 2, r.bottom / 2);
    ::PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageW(window, WM_LBUTTONUP, 0, at);
}

bool CensusDriver::WaitForText(HWND window, const std::function<bool(const std::wstring&)>& done,
                               unsigned timeout_ms) {
    ULONGLONG until = ::GetTickCount64() + timeout_ms;
    while (::GetTickCount64() < until) {
        if (done(Text(window))) return true;
        ::Sleep(20);
    }
    return false;
}

bool CensusDriver::Close(unsigned timeout_ms) {
    if (main_) ::PostMessageW(main_, WM_CLOSE, 0, 0);
    return process_ && ::WaitForSingleObject(process_.get(), timeout_ms) == WAIT_OBJECT_0;
}

std::wstring DesktopFolder() {
    wchar_t path[MAX_PATH] = L"";
    ::SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

}  // namespace census::testing
