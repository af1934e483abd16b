#include "support/screen_dpi.h"

#include <windows.h>

namespace census::testing {

namespace {

constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
constexpr wchar_t kLogPixels[] = L"LogPixels";

}  // namespace

ScreenDpiSetting::ScreenDpiSetting(int dpi) {
    DWORD value = 0, size = sizeof value;
    if (::RegGetValueW(HKEY_CURRENT_USER, kDesktopKey, kLogPixels, RRF_RT_REG_DWORD, nullptr, &value, &size) ==
        ERROR_SUCCESS)
        previous_ = value;
    const DWORD wanted = static_cast<DWORD>(dpi);
    applied_ = ::RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, kLogPixels, REG_DWORD, &wanted, sizeof wanted) ==
               ERROR_SUCCESS;
}

void ScreenDpiSetting::Restore() {
    if (restored_ || !applied_) return;
    restored_ = true;
    if (previous_) {
        const DWORD value = static_cast<DWORD>(*previous_);
        ::RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, kLogPixels, REG_DWORD, &value, sizeof value);
    } else {
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktopKey, kLogPixels);
    }
}

}  // namespace census::testing
