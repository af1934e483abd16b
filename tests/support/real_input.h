// Input as the user makes it: the mouse moved and clicked, keys pressed,
// through the platform's input queue (SetCursorPos, SendInput), from the
// test's own process.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace census::testing {

// Brings the window's top-level window to the front, moves the mouse to the
// middle of the window and clicks the left button.
void RealClick(HWND window);
// Types the text, one character at a time.
void RealType(const std::wstring& text);
// Presses and releases a key, with Shift or Control held when asked.
void RealKey(WORD key, bool shift = false, bool control = false);

// A visible top-level window of this process that satisfies the test, waited
// for up to `timeout_ms`; nullptr when none came.
HWND WaitForOwnWindow(const std::function<bool(HWND)>& match, unsigned timeout_ms = 20000);
// The same for a window with this caption.
HWND WaitForOwnWindow(const std::wstring& caption, unsigned timeout_ms = 20000);

}  // namespace census::testing
