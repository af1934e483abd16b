// Icons of shell items in the platform's system image list, and the facts
// about the platform gathered once per process.
#pragma once

#include "shell/namespace/id_list.h"

#include <commctrl.h>

namespace census {

// Platform facts read on first use.
struct ShellPlatform {
    bool nt_family = false;
    // Major version in the high word, minor in the low word; 0 when unknown.
    DWORD common_controls_version = 0;
};
const ShellPlatform& Platform();

// The fixed file version of a module's version resource as major<<16|minor,
// 0 when it cannot be read.
DWORD ModuleFileVersion(const wchar_t* module_name);

enum IconFlavour : UINT { kSmallIcon = 1, kSmallOpenIcon = 3 };

// Index of the item's icon in the system image list; 0 on any failure.
int GetItemIconIndex(PCIDLIST_ABSOLUTE list, UINT flavour);

// Index of the plain folder icon (for folders the platform cannot name).
int GetFolderIconIndex(UINT flavour);

// The small icon of an item of a folder already bound, without binding the
// path from the desktop down again. 0 on any failure.
int GetItemIconIndexIn(IShellFolder* folder, PCUITEMID_CHILD item);

// The system image list (shared; never destroy it, never add to it).
HIMAGELIST GetSystemImageList(bool small);

// Overlay numbers as the tree keeps them on nodes (0: none).
constexpr int kSharedOverlay = 1;
constexpr int kShortcutOverlay = 2;

// The shared and shortcut marks at the small icon size, from the shell's own
// icons (image overlay - 1); made on first use, kept for the process.
HIMAGELIST OverlayImages();

}  // namespace census
