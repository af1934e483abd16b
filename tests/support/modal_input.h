// Real input for windows that run modal loops on the test's own thread
// (drags, menus, message boxes, in-place edits): the pointer and keys go
// through the platform's input queue, as a user's would, from a script that
// Perform runs on a second thread while this thread keeps handling messages,
// so those loops see the input arrive.
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>

namespace census::testing {

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
void Pause(unsigned ms);

// Runs script on another thread and handles this thread's messages until it ends.
void Perform(const std::function<void()>& script);

// Handles messages until done() holds or about two seconds have passed.
bool PumpUntil(const std::function<bool()>& done);

}  // namespace census::testing
