#include "shell/watching/device_change_dispatcher.h"

#include "runtime/application.h"
#include "runtime/hidden_window.h"
#include "runtime/private_messages.h"

#include <algorithm>

namespace census {
namespace {

constexpr wchar_t kClassName[] = L"CensusDeviceChangeWindow";
// Posted by the dispatcher's window to itself (wParam: the device event); the
// first of the shell's numbers.
constexpr UINT kDeviceRelayMessage = kPrivateMessageBase + 0x40;

}  // namespace

DeviceChangeDispatcher& DeviceChangeDispatcher::Instance() {
    static DeviceChangeDispatcher dispatcher;
    return dispatcher;
}

DeviceChangeDispatcher::DeviceChangeDispatcher() {
    window_ = CreateBroadcastReceiver(kClassName, &WindowProc);
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
    registrations_.Add({owner, std::move(callback)});
}

void DeviceChangeDispatcher::Unregister(const void* owner) { registrations_.RemoveFirst({owner, {}}); }

void DeviceChangeDispatcher::Dispatch(WPARAM event) {
    if (!DispatchEnabled) return;
    // A callback may destroy another tree: each is called only while it is registered.
    registrations_.ForEach([event](const Registration& r) {
        try {
            r.callback(event);
        } catch (...) {
            Application::Instance().HandleException(std::current_exception());
        }
    });
}

}  // namespace census
