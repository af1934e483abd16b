#include "runtime/dpi.h"

#include "runtime/handles.h"

namespace census {

namespace {

// The per-monitor calls, where the system has them (Windows 8.1 and 10 on).
struct DpiFunctions {
    UINT(WINAPI* get_dpi_for_window)(HWND) = nullptr;
    int(WINAPI* get_system_metrics_for_dpi)(int, UINT) = nullptr;
    BOOL(WINAPI* adjust_window_rect_for_dpi)(RECT*, DWORD, BOOL, DWORD, UINT) = nullptr;
    // shcore's GetDpiForMonitor, with MDT_EFFECTIVE_DPI (0) as its second argument.
    HRESULT(WINAPI* get_dpi_for_monitor)(HMONITOR, int, UINT*, UINT*) = nullptr;
    UniqueModule shcore;  // kept for the process's life, with the function found in it
};

template <typename F>
void Find(F& function, HMODULE module, const char* name) {
    if (module) function = reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

const DpiFunctions& Functions() {
    static const DpiFunctions functions = [] {
        DpiFunctions f;
        HMODULE user = ::GetModuleHandleW(L"user32.dll");
        Find(f.get_dpi_for_window, user, "GetDpiForWindow");
        Find(f.get_system_metrics_for_dpi, user, "GetSystemMetricsForDpi");
        Find(f.adjust_window_rect_for_dpi, user, "AdjustWindowRectExForDpi");
        f.shcore.reset(::LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
        Find(f.get_dpi_for_monitor, f.shcore.get(), "GetDpiForMonitor");
        return f;
    }();
    return functions;
}

int ScreenDcDpi() {
    WindowDc screen(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
    return dpi > 0 ? dpi : kDesignDpi;
}

}  // namespace

int ScreenDpi() {
    if (auto get = Functions().get_dpi_for_monitor) {
        UINT x = 0, y = 0;
        HMONITOR primary = ::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
        if (SUCCEEDED(get(primary, 0, &x, &y)) && y > 0) return static_cast<int>(y);
    }
    return ScreenDcDpi();
}

int WindowDpi(HWND window) {
    if (auto get = Functions().get_dpi_for_window) {
        const UINT dpi = window ? get(window) : 0;
        if (dpi > 0) return static_cast<int>(dpi);
    }
    return ScreenDcDpi();
}

int SystemMetricForDpi(int index, int dpi) {
    if (auto get = Functions().get_system_metrics_for_dpi) return get(index, static_cast<UINT>(dpi));
    // One density for the whole screen: the metric is at the screen's.
    return ScaleDpi(::GetSystemMetrics(index), dpi, ScreenDcDpi());
}

void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD ex_style, int dpi) {
    if (auto adjust = Functions().adjust_window_rect_for_dpi) {
        if (adjust(&rect, style, FALSE, ex_style, static_cast<UINT>(dpi))) return;
    }
    ::AdjustWindowRectEx(&rect, style, FALSE, ex_style);
}

}  // namespace census
