// Real input for tests: the cursor moved and buttons and keys pressed through
// the system's input queue of this process, as the user makes them, and the
// messages they cause handled by the program's own message loop. Also reads
// back what the screen shows.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace census::testing {

// Lets the program handle the input queued so far (and what it posts in turn).
void Settle();

void MoveMouseTo(POINT screen);
void LeftDown();
void LeftUp();
void ClickAt(POINT screen);
// Presses at `from`, moves to `to` in `steps` moves, letting the program follow each.
void DragTo(POINT from, POINT to, int steps);

// Types the characters as key presses (independent of the keyboard layout).
void TypeText(const std::wstring& text);
// Presses and releases a virtual key, with Ctrl held when asked.
void PressKey(WORD key, bool ctrl = false);

// The same input, only queued: whoever processes messages next handles it
// (a running census, for example).
void QueueClickAt(POINT screen);
void QueueText(const std::wstring& text);
void QueueKey(WORD key, bool ctrl = false);

// The centre of a window's client area, in screen coordinates.
POINT CentreOf(HWND window);

// The colours of a screen rectangle, row by row (0x00BBGGRR).
class ScreenShot {
public:
    explicit ScreenShot(const RECT& screen);
    COLORREF At(int x, int y) const;
    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    int width_, height_;
    std::vector<COLORREF> pixels_;
};

}  // namespace census::testing
