// Follows the mouse input a test sends to the windows of its own thread:
// made before the input is sent, a MouseFollower watches the messages the
// thread takes from its queue, whichever loop takes them, and Follow handles
// the thread's messages until the awaited one has been taken, and what its
// handlers posted in turn.
#pragma once

#include "runtime/handles.h"

#include <windows.h>

namespace census::testing {

inline void Unhook(HHOOK hook) noexcept { ::UnhookWindowsHookEx(hook); }
// A hook on this thread's messages, taken off when it goes.
using UniqueHook = UniqueHandle<HandleTraits<HHOOK, Unhook>>;

// A move to a point, or a press or a release of the left button anywhere.
enum class MouseEvent { kMoveTo, kButtonDown, kButtonUp };

// Whether the mouse's messages at a screen point come to this thread: to its
// window there, or to its window that holds the mouse.
bool MouseComesHere(POINT screen);

class MouseFollower {
public:
    // Where the mouse's messages go to no window of this thread (`comes_here`
    // false), there is nothing here to follow: Follow handles what is queued.
    MouseFollower(MouseEvent event, POINT screen, bool comes_here);

    void Follow();

private:
    bool comes_here_;
    UniqueHook hook_;
};

}  // namespace census::testing
