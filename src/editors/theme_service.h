// Visual-style (theme) queries for the painters and containers.
//
// The theme library is loaded once, on XP or later, and its functions are
// looked up by name so that the program also starts where it is missing.
// Handles of the theme classes are opened on first use and cached until the
// theme changes; a hidden window hears WM_THEMECHANGED and tells the
// registered notificators after closing the stale handles.
#pragma once

#include <windows.h>
#include <uxtheme.h>

#include <functional>
#include <initializer_list>

namespace census {

enum class ThemeClass {
    Button, Clock, ComboBox, Edit, ExplorerBar, Header, ListView, Menu, Page, Progress, Rebar, ScrollBar,
    Spin, StartPanel, Status, Tab, TaskBand, TaskBar, ToolBar, ToolTip, TrackBar, TrayNotify, TreeView,
    Window,
};
constexpr int kThemeClassCount = 24;

// The functions of the theme library that the painters call; null when the
// library or the function is missing.
struct ThemeApi {
    BOOL(WINAPI* IsThemeActive)() = nullptr;
    HTHEME(WINAPI* OpenThemeData)(HWND, LPCWSTR) = nullptr;
    HRESULT(WINAPI* CloseThemeData)(HTHEME) = nullptr;
    HRESULT(WINAPI* DrawThemeBackground)(HTHEME, HDC, int, int, const RECT*, const RECT*) = nullptr;
    HRESULT(WINAPI* GetThemeBackgroundContentRect)(HTHEME, HDC, int, int, const RECT*, RECT*) = nullptr;
    HRESULT(WINAPI* GetThemeColor)(HTHEME, int, int, int, COLORREF*) = nullptr;
    HRESULT(WINAPI* GetThemePartSize)(HTHEME, HDC, int, int, const RECT*, THEMESIZE, SIZE*) = nullptr;
    HRESULT(WINAPI* DrawThemeParentBackground)(HWND, HDC, const RECT*) = nullptr;
    BOOL(WINAPI* IsThemeBackgroundPartiallyTransparent)(HTHEME, int, int) = nullptr;
};

// Loaded at first use; answers with null functions where theming is absent.
const ThemeApi& Theme();
bool ThemeLibraryLoaded();
// Any of the library's functions by name (null when missing).
FARPROC ThemeFunction(const char* name);

// Themed drawing is possible: the library is loaded, a theme is active, and
// every class given yields a handle.
bool NativeThemingAvailable(std::initializer_list<ThemeClass> classes = {});
HTHEME ThemeHandle(ThemeClass cls);
void CloseAllThemeHandles();

// Calls back after the theme has changed (and the cached handles are gone).
class ThemeChangedNotificator {
public:
    explicit ThemeChangedNotificator(std::function<void()> on_changed);
    ThemeChangedNotificator(const ThemeChangedNotificator&) = delete;
    ThemeChangedNotificator& operator=(const ThemeChangedNotificator&) = delete;
    ~ThemeChangedNotificator();

    void Notify() const {
        if (on_changed_) on_changed_();
    }

private:
    std::function<void()> on_changed_;
    bool registered_ = false;
};

// The hidden receiver of WM_THEMECHANGED, or null without the library.
HWND ThemeChangeReceiverWindow();

}  // namespace census
