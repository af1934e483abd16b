#include "editors/hidden_window.h"

namespace census {

UniqueHwnd CreateBroadcastReceiver(const wchar_t* class_name, WNDPROC procedure) {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    if (!::GetClassInfoW(instance, class_name, &wc)) {
        wc.lpfnWndProc = procedure;
        wc.hInstance = instance;
        wc.lpszClassName = class_name;
        ::RegisterClassW(&wc);
    }
    return UniqueHwnd(::CreateWindowExW(WS_EX_TOOLWINDOW, class_name, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                        instance, nullptr));
}

}  // namespace census
