// Input as the user makes it: the cursor moved and buttons and keys pressed
// through the system's input queue, then the program's messages handled.
#pragma once

#include <windows.h>

namespace census::testing {

// Left click at a point in screen coordinates.
void ClickAt(POINT screen);
// Left click at a point of a window's client area.
void ClickClient(HWND window, POINT client);
void PressKey(WORD virtual_key);
// Lets the program handle what the input caused.
void HandleInput();

}  // namespace census::testing
