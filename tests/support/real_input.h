// Input as the user makes it: the real mouse pointer and keyboard of this
// process's desktop (SetCursorPos and SendInput), and a message pump that
// waits for what the input should bring about.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

namespace census::testing {

// Moves the pointer to a screen point, as a mouse move does, and waits until
// the system reports it there.
void MoveMouseTo(POINT screen);
// Presses and releases the left button where the pointer is.
void ClickLeft();
// Moves to a screen point and clicks there, all in one go: the system routes
// the three events before the program has seen the first.
void ClickAt(POINT screen);
// Presses and releases a key.
void TapKey(WORD virtual_key);
// Handles the program's messages until `done` holds; false if it still does
// not after `limit_ms` (a bound for a broken program, not a measurement).
bool PumpUntil(const std::function<bool()>& done, unsigned limit_ms = 5000);
// Handles the program's messages for a while (lets pending paints and timers run).
void PumpFor(unsigned ms);

// The screen's colour at a point, as the user sees it.
COLORREF ScreenPixel(POINT screen);
// The colours of `count` pixels of the screen from `start` rightwards.
std::vector<COLORREF> ScreenRow(POINT start, int count);

}  // namespace census::testing
