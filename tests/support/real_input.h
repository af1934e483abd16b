// Real input for tests, and the waits that go with it: the cursor moved and
// buttons and keys pressed through the system's input queue, as the user
// makes them, and the messages they cause handled by the program's own
// message loop. Also reads back what the screen shows.
//
// Two manners of driving: from the test's thread, which then handles what the
// input causes (ClickAt, PressKey...); or, for windows that run modal loops on
// the test's thread (drags, menus, message boxes, in-place edits), a script
// run by Perform on a second thread while this thread keeps handling
// messages, so those loops see the input arrive (PointerTo, Chord...).
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace census::testing {

// Handles the program's messages until `done` holds; false if it still does
// not after `limit_ms` (a bound for a broken program, not a measurement).
bool PumpUntil(const std::function<bool()>& done, unsigned limit_ms = 5000);
// The same without handling messages, for a script on a second thread.
bool WaitUntil(const std::function<bool()>& done, unsigned limit_ms = 5000);
// Handles the program's messages for `ms`, for a test that checks that
// nothing happens meanwhile: an absence has no moment to wait for.
void ExpectNothingFor(unsigned ms);
// Handles the program's messages until the window shows with nothing left to
// paint in it; false if it still has after `limit_ms`.
bool PumpUntilPainted(HWND window, unsigned limit_ms = 5000);

// Waits until the program has handled the keys and clicks sent so far, and
// what their handlers posted in turn: one more key, a sentinel that no window
// sees, follows them, and the wait ends once the window's thread takes it
// from its queue, in whichever loop runs there (its own, a menu's, a message
// box's, an in-place edit's). Input arrives in the order it was sent and a
// thread takes what is posted to it before input, so by then nothing earlier
// is left. Paints and timers come after input: it does not wait for them.
// The sentinel goes where the keyboard focus is: where the input opens a
// window of another thread or process, wait for that window instead.
// From a Perform script, while the window's thread runs Perform; or from the
// window's own thread, which then handles the messages itself. False if the
// sentinel was not taken within `limit_ms` (a bound for a broken program).
bool InputBarrier(unsigned limit_ms = 10000);
// A popup menu on screen (the platform's, of any thread); null if none shows.
HWND ShownMenu();

// Moves the pointer as a mouse move does, waits until the system reports it
// there, and, where the move comes to a window of this thread, until the
// thread has taken it and handled what it caused.
void MoveMouseTo(POINT screen);
// Press or release the left button where the pointer is, and wait as MoveMouseTo.
void LeftDown();
void LeftUp();
// Presses or releases the left button where the pointer is, handling nothing.
void MouseButton(bool down);
// Moves there and clicks; waits until the release is taken as MoveMouseTo waits.
void ClickAt(POINT screen);
// Left click at a point of a window's client area.
void ClickClient(HWND window, POINT client);
// Presses and releases the left button where the pointer is, handling nothing.
void ClickLeft();
// Moves to a screen point and clicks there in one batch of input: the system
// routes all three events before the program has seen the first.
void ClickAtOnce(POINT screen);

// Types the characters as key presses (independent of the keyboard layout)
// into a window of this thread, and waits until they are handled
// (InputBarrier), which leaves what they changed painted too.
void TypeText(const std::wstring& text);
// Presses and releases a virtual key, with Ctrl held when asked; waits as TypeText.
void PressKey(WORD key, bool ctrl = false);
// Presses and releases a key, handling nothing.
void TapKey(WORD virtual_key);
// Presses or releases a key, handling nothing.
void Key(WORD virtual_key, bool down);

// The same input, only queued: whoever processes messages next handles it
// (a running census, for example, or another program).
void QueueClickAt(POINT screen);
void QueueText(const std::wstring& text);
void QueueKey(WORD key, bool ctrl = false);

// Brings a top-level window to the front so it receives keyboard input.
void MakeForeground(HWND window);

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

// The screen's colour at a point, as the user sees it.
COLORREF ScreenPixel(POINT screen);
// The colours of `count` pixels of the screen from `start` rightwards.
std::vector<COLORREF> ScreenRow(POINT start, int count);

// Input sent in one batch and handled by nobody here: for a dialog's own
// modal loop, which handles it while this thread waits for the dialog.
void RealClick(HWND window);
void RealType(const std::wstring& text);
void RealKey(WORD key, bool shift = false, bool control = false);

// A visible top-level window of this process that matches, once it shows;
// null if none does within the time.
HWND WaitForOwnWindow(const std::function<bool(HWND)>& match, unsigned timeout_ms = 20000);
HWND WaitForOwnWindow(const std::wstring& caption, unsigned timeout_ms = 20000);

// --- scripts for modal loops --------------------------------------------------

// Runs script on another thread and handles this thread's messages until it
// ends. The script may end its input with InputBarrier.
void Perform(const std::function<void()>& script);
void PointerTo(POINT screen);
// Moves in steps, so the platform sees a drag rather than a jump.
void GlideTo(POINT from, POINT to, int steps = 8);
void ButtonDown(bool right = false);
void ButtonUp(bool right = false);
// Presses on `from` and glides to `to` past the drag threshold, as a user starts a drag.
void StartDragTo(POINT from, POINT to, bool right = false, int steps = 8);
void KeyDown(WORD key);
void KeyUp(WORD key);
// Presses the keys in order and releases them in reverse (a chord such as Ctrl+C).
void Chord(std::initializer_list<WORD> keys);
// A pause where a user's hand would pause (between the steps of a drag, so
// the platform sees them as separate moves), not a wait for the program.
void Pause(unsigned ms);

}  // namespace census::testing
