// Real input for tests that drive a shown window as a user would: the cursor
// is put in place with SetCursorPos and buttons and keys go through
// SendInput, so the messages come from the system's own input queue.
#pragma once

#include <windows.h>

#include <functional>

namespace census::testing {

// Puts the cursor at a screen point and sends a mouse move there.
void MoveMouseTo(POINT screen);
void MouseButton(bool down);
void ClickAt(POINT screen);
void Key(WORD vk, bool down);
void PressKey(WORD vk);

// Handles the program's messages until done() holds, giving the input time
// to arrive; false when it never did (a bounded number of rounds).
bool PumpUntil(const std::function<bool()>& done, int rounds = 200);
// Handles messages for a few rounds, letting pending input arrive.
void PumpFor(int rounds = 10);

// The colour on the screen at a point, as 0x00BBGGRR.
COLORREF ScreenPixel(POINT screen);

// Brings a top-level window to the front so it receives keyboard input.
void MakeForeground(HWND window);

}  // namespace census::testing
