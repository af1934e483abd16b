// The two ways a disabled picture is drawn: text embossed (a highlight copy
// one pixel down and right under the text itself) and a shape painted in one
// colour through its monochrome mask.
#pragma once

#include "runtime/canvas.h"

#include <string>

namespace census {

// The text in btnhighlight one pixel down and right, then in face at r.
void DrawEmbossedText(Canvas& canvas, FontSpec font, const std::wstring& text, const RECT& r, UINT flags,
                      TColor face);

// Paints colour wherever the monochrome mask (selected into mask) is black;
// where it is white the picture stays as it is.
void PaintThroughMask(HDC dc, int x, int y, int w, int h, HDC mask, TColor color);

}  // namespace census
