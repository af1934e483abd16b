// One hidden window per process that hears the system's device broadcasts
// and hands each on to every registered folder tree.
//
// The broadcast is turned into a posted message first, so no tree works
// inside the broadcast itself. Only the event code travels: the broadcast's
// second parameter points at data that is valid only during the send.
#pragma once

#include "runtime/handles.h"
#include "runtime/observer_list.h"

#include <functional>
#include <vector>

namespace census {

constexpr WPARAM kDeviceArrived = 0x8000;         // DBT_DEVICEARRIVAL
constexpr WPARAM kDeviceRemoveComplete = 0x8004;  // DBT_DEVICEREMOVECOMPLETE

class DeviceChangeDispatcher {
public:
    using Callback = std::function<void(WPARAM event)>;

    // Made on first use; lives until the process ends.
    static DeviceChangeDispatcher& Instance();

    // Callbacks run in registration order; one that throws is reported to the
    // application and the next still runs.
    void Register(const void* owner, Callback callback);
    void Unregister(const void* owner);
    bool DispatchEnabled = true;
    // The window the broadcasts reach (a hidden top-level window: under Wine
    // broadcasts never reach message-only windows).
    HWND Window() const { return window_.get(); }

private:
    DeviceChangeDispatcher();
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wp, LPARAM lp);
    void Dispatch(WPARAM event);

    // Entries are the same when their owners are.
    struct Registration {
        const void* owner;
        Callback callback;
        bool operator==(const Registration& other) const { return owner == other.owner; }
    };
    ObserverList<Registration> registrations_;
    UniqueHwnd window_;
};

}  // namespace census
