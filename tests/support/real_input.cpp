#include "support/real_input.h"

#include <vector>

namespace census::testing {

namespace {

void Send(std::vector<INPUT>& inputs) {
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

INPUT Key(WORD vk, wchar_t unicode, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = unicode;
    in.ki.dwFlags = (unicode ? KEYEVENTF_UNICODE : 0) | (up ? KEYEVENTF_KEYUP : 0);
    return in;
}

}  // namespace

void RealClick(HWND window) {
    HWND top = ::GetAncestor(window, GA_ROOT);
    ::SetForegroundWindow(top);
    RECT r;
    ::GetWindowRect(window, &r);
    ::SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    std::vector<INPUT> inputs(2);
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    Send(inputs);
}

void RealType(const std::wstring& text) {
    std::vector<INPUT> inputs;
    for (wchar_t c : text) {
        inputs.push_back(Key(0, c, false));
        inputs.push_back(Key(0, c, true));
    }
    Send(inputs);
}

void RealKey(WORD key, bool shift, bool control) {
    std::vector<INPUT> inputs;
    if (shift) inputs.push_back(Key(VK_SHIFT, 0, false));
    if (control) inputs.push_back(Key(VK_CONTROL, 0, false));
    inputs.push_back(Key(key, 0, false));
    inputs.push_back(Key(key, 0, true));
    if (control) inputs.push_back(Key(VK_CONTROL, 0, true));
    if (shift) inputs.push_back(Key(VK_SHIFT, 0, true));
    Send(inputs);
}

HWND WaitForOwnWindow(const std::function<bool(HWND)>& match, unsigned timeout_ms) {
    struct Search {
        const std::function<bool(HWND)>* match;
        HWND found;
    };
    for (unsigned waited = 0; waited <= timeout_ms; waited += 20) {
        Search search{&match, nullptr};
        ::EnumWindows(
            [](HWND h, LPARAM lp) -> BOOL {
                auto* s = reinterpret_cast<Search*>(lp);
                DWORD pid = 0;
                ::GetWindowThreadProcessId(h, &pid);
                if (pid == ::GetCurrentProcessId() && ::IsWindowVisible(h) && (*s->match)(h)) {
                    s->found = h;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        ::Sleep(20);
    }
    return nullptr;
}

HWND WaitForOwnWindow(const std::wstring& caption, unsigned timeout_ms) {
    return WaitForOwnWindow(
        [&](HWND h) {
            wchar_t text[256] = L"";
            ::GetWindowTextW(h, text, 256);
            return caption == text;
        },
        timeout_ms);
}

}  // namespace census::testing
