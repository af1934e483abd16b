#include "runtime/hidden_window.h"

namespace census {

UniqueHwnd CreateHiddenWindow(const wchar_t* class_name, WNDPROC procedure, HiddenWindowKind kind) {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    if (!::GetClassInfoW(instance, class_name, &wc)) {
        wc.lpfnWndProc = procedure;
        wc.hInstance = instance;
        wc.lpszClassName = class_name;
        ::RegisterClassW(&wc);
    }
    if (kind == HiddenWindowKind::MessageOnly) {
        return UniqueHwnd(
            ::CreateWindowExW(0, class_name, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr));
    }
    return UniqueHwnd(::CreateWindowExW(WS_EX_TOOLWINDOW, class_name, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                        instance, nullptr));
}

}  // namespace census
