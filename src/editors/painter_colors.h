// The colours and fill patterns the painters mix from the system colours,
// kept apart from the painters so that what follows the system's colour
// changes has one home.
#pragma once

#include "runtime/colors.h"

#include <windows.h>

namespace census {

// Face colours of hot and pressed ultra-flat buttons, mixed from the current
// system colours at every call.
TColor BlendSystemColors(int face_part, int highlight_part, int window_part);
TColor BlendedHotColor();
TColor BlendedPressedColor();

// The 8 x 8 checkered bitmaps that fill scroll-bar page areas; rebuilt in
// place whenever the system colours change.
HBITMAP ScrollPatternNormal();
HBITMAP ScrollPatternPressed();
void RebuildScrollPatterns();

}  // namespace census
