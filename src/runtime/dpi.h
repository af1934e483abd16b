// Pixels per inch. The window's stored description is laid out for 96; on a
// screen of another density every size is scaled by the ratio, rounded as
// MulDiv rounds (to the nearest, halves away from zero).
//
// Where the platform tells each window its own density (a per-monitor aware
// program on Windows 10 and later) that is used; older systems have one
// density for the whole screen, read from the screen's device context. The
// newer calls are looked up at run time, so the program still starts where
// they are missing.
#pragma once

#include <windows.h>

namespace census {

constexpr int kDesignDpi = 96;

// A size given at `from_dpi` (the design's 96 unless said otherwise), at `to_dpi`.
inline int ScaleDpi(int pixels, int to_dpi, int from_dpi = kDesignDpi) { return ::MulDiv(pixels, to_dpi, from_dpi); }

// The density of the screen as a whole: the one a window gets on the
// primary monitor.
int ScreenDpi();

// The density of the monitor the window is on, where the platform tells;
// else the screen's.
int WindowDpi(HWND window);

// A system metric (GetSystemMetrics index) at `dpi`.
int SystemMetricForDpi(int index, int dpi);

// The window rectangle for a client rectangle, with the frame as it is at `dpi`.
void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD ex_style, int dpi);

}  // namespace census
