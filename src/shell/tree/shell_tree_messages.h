// The messages the folder tree's window is posted: by itself, by its folder
// watchers and by its transfer worker. They take their numbers from the
// shell's part of the program's one numbering (runtime/private_messages.h).
#pragma once

#include "runtime/private_messages.h"

namespace census {

// Posted to the tree when something changed below a watched folder.
constexpr UINT kFolderChangeMessage = kPrivateMessageBase + 0x41;
// Posted to itself when a window is created empty; fills the tree when it arrives.
constexpr UINT kDeferredFillMessage = kPrivateMessageBase + 0x42;
// Posted to itself at a begin-drag notification; the drag loop runs when it
// arrives, outside the platform tree's own mouse handling.
constexpr UINT kDeferredDragMessage = kPrivateMessageBase + 0x43;
// Posted to itself when a refresh was asked for during an in-place rename.
constexpr UINT kDeferredRefreshMessage = kPrivateMessageBase + 0x44;
// Posted to the tree by its transfer worker when a transfer or delete has ended.
constexpr UINT kTransferDoneMessage = kPrivateMessageBase + 0x45;
// Posted to itself when a drop was refused: the reason is shown once the drop has returned.
constexpr UINT kDeferredRefusalMessage = kPrivateMessageBase + 0x46;

}  // namespace census
