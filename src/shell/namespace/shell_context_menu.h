// The shell's context-menu object of one item and the lookup of a command
// by its canonical verb.
#pragma once

#include "shell/namespace/id_list.h"

#include <optional>
#include <string>

namespace census {

constexpr UINT kFirstShellCommand = 1000;
constexpr UINT kLastShellCommand = 0x7FFF;

// The context-menu object of item (relative to parent); the platform's code on failure.
HRESULT ItemContextMenu(IShellFolder* parent, PCUITEMID_CHILD item, HWND owner, ComPtr<IContextMenu>& menu);

// The canonical verb of the command at offset; empty when the shell names none.
std::wstring CommandVerb(IContextMenu* menu, UINT offset);

// The offset of the first command whose canonical verb is verb (any case),
// looked up in a scratch menu the shell fills with flags; nothing when no
// command matches.
std::optional<UINT> FindVerbOffset(IContextMenu* menu, const std::wstring& verb, UINT flags = CMF_EXPLORE);

}  // namespace census
