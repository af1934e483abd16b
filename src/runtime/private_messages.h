// Every window message the program makes up for itself, in one numbering.
//
// They all lie in the application's own range (from WM_APP), never in the
// WM_USER range: that range belongs to each native class (a tree view's own
// messages live there), and the program subclasses native windows, so a
// private number there could be taken for one of the class's messages.
#pragma once

#include <windows.h>

namespace census {

// First private message number of the program.
constexpr UINT kPrivateMessageBase = WM_APP + 0x3000;

// --- The framework ---------------------------------------------------------------------

// Messages a parent reflects back to the child that caused them.
constexpr UINT CN_COMMAND = kPrivateMessageBase + 1;
constexpr UINT CN_NOTIFY = kPrivateMessageBase + 2;
constexpr UINT CN_DRAWITEM = kPrivateMessageBase + 3;
constexpr UINT CN_CTLCOLOR = kPrivateMessageBase + 4;  // wParam: HDC; answer: HBRUSH
// Sent to a control when the mouse enters / leaves it (from the hint tracker).
constexpr UINT CM_MOUSEENTER = kPrivateMessageBase + 10;
constexpr UINT CM_MOUSELEAVE = kPrivateMessageBase + 11;
// Sent by a form to each of its controls for an Enter or Escape that the
// focused control does not take itself (wParam: the key). A control that acts
// on the key answers 1 and no other control is asked.
constexpr UINT CM_DIALOGKEY = kPrivateMessageBase + 12;
// Sent by a form to each of its controls after the focus moved to one of them
// (lParam: that Control*), so buttons can follow which one Enter clicks.
constexpr UINT CM_FOCUSCHANGED = kPrivateMessageBase + 13;

// --- Editors ---------------------------------------------------------------------------

// Posted by a memo to itself: bring its scroll bars up to date.
constexpr UINT kUpdateScrollBarsMessage = kPrivateMessageBase + 0x20;
// Posted by a push button to itself: open the drop-down menu, and clear the
// pressed look once it has closed.
constexpr UINT kOpenMenuMessage = kPrivateMessageBase + 0x21;
constexpr UINT kMenuClosedMessage = kPrivateMessageBase + 0x22;

// --- The layers above -----------------------------------------------------------------

// Numbers from kPrivateMessageBase + 0x40 on are theirs; each defines its own
// beside the code that posts them, in this numbering.

}  // namespace census
