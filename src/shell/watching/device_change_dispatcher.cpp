#include "shell/watching/device_change_dispatcher.h"

#include "runtime/application.h"

#include <algorithm>

namespace census {
namespace {

constexpr wchar_t kClassName[] = L"CensusDeviceChangeWindow";

}  // namespace

DeviceChangeDispatcher& DeviceChangeDispatcher::Instance() {
    static DeviceChangeDispatcher dispatcher;
    return dispatcher;
}

DeviceChangeDispatcher::DeviceChangeDispatcher() {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    if (!::GetClassInfoW(instance, kClassName, &wc)) {
        wc.lpfnWndProc = &WindowProc;
        wc.hInstance = instance;
        wc.lpszClassName = kClassName;
        ::RegisterClassW(&wc);
    }
    window_.reset(::CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                    instance, nullptr));
}

LRESULT CALLBACK DeviceChangeDispatcher::WindowProc(HWND window, UINT message, WPARAM wp, LPARAM lp) {
    if (message == WM_DEVICECHANGE) {
        ::PostMessageW(window, kDeviceRelayMessage, wp, 0);
    } else if (message == kDeviceRelayMessage) {
        Instance().Dispatch(wp);
        return 0;
    }
    return ::DefWindowProcW(window, message, wp, lp);
}

void DeviceChangeDispatcher::Register(const void* owner, Callback callback) {
    registrations_.push_back({owner, std::move(callback)});
}

void DeviceChangeDispatcher::Unregister(const void* owner) {
    auto found = std::find_if(registrations_.begin(), registrations_.end(),
                              [owner](const Registration& r) { return r.owner == owner; });
    if (found != registrations_.end()) registrations_.erase(found);
}

bool DeviceChangeDispatcher::Registered(const void* owner) const {
    return std::any_of(registrations_.begin(), registrations_.end(),
                       [owner](const Registration& r) { return r.owner == owner; });
}

void DeviceChangeDispatcher::Dispatch(WPARAM event) {
    if (!DispatchEnabled) return;
    // A callback may destroy another tree: each is called only while it is registered.
    const std::vector<Registration> snapshot = registrations_;
    for (const Registration& r : snapshot) {
        if (!Registered(r.owner)) continue;
        try {
            r.callback(event);
        } catch (...) {
            Application::Instance().HandleException(std::current_exception());
        }
    }
}

}  // namespace census
