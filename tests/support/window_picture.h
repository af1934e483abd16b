// A picture of a window as the screen shows it, saved as a PNG file for a
// person to look at.
#pragma once

#include <windows.h>

#include <string>

namespace census::testing {

// The whole window, frame included. A window taller than the screen is
// moved up band by band to be taken whole, and put back. False when the
// file could not be written.
bool SaveWindowPicture(HWND window, const std::wstring& png_path);

}  // namespace census::testing
