// Hidden windows the program keeps for itself: one that only receives
// messages (timers, posted work) and one that also hears system broadcasts
// (WM_SYSCOLORCHANGE, WM_THEMECHANGED, WM_DEVICECHANGE), which message-only
// windows never get, so that one is a hidden, unowned top-level window.
#pragma once

#include "runtime/handles.h"

namespace census {

enum class HiddenWindowKind { MessageOnly, BroadcastReceiver };

// Registers class_name with procedure on first use and makes a window of it.
UniqueHwnd CreateHiddenWindow(const wchar_t* class_name, WNDPROC procedure, HiddenWindowKind kind);

inline UniqueHwnd CreateBroadcastReceiver(const wchar_t* class_name, WNDPROC procedure) {
    return CreateHiddenWindow(class_name, procedure, HiddenWindowKind::BroadcastReceiver);
}

}  // namespace census
