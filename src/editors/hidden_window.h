// A hidden, unowned top-level window for hearing system broadcasts
// (WM_SYSCOLORCHANGE, WM_THEMECHANGED): message-only windows never get them.
#pragma once

#include "runtime/handles.h"

namespace census {

UniqueHwnd CreateBroadcastReceiver(const wchar_t* class_name, WNDPROC procedure);

}  // namespace census
