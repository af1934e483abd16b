// Puts a path on the clipboard as a file manager's Cut or Copy does: a
// file-drop block and the preferred drop effect.
#pragma once

#include <windows.h>

#include <string>

namespace census::testing {

bool PutPathOnClipboard(const std::wstring& path, DWORD effect);

}  // namespace census::testing
