// Fonts for turned text and the TrueType check that decides whether a font
// can be turned at all.
#pragma once

#include "runtime/font.h"
#include "runtime/handles.h"

namespace census {

// `font` turned `angle` degrees counter-clockwise, always in the default
// character set; the caller owns the result.
UniqueFont CreateRotatedFont(const FontSpec& font, int angle);

// Whether `font`, as the screen realises it, is a TrueType font. Only
// TrueType (outline) fonts can be drawn at an angle.
bool IsTrueTypeFont(const FontSpec& font);

// The face that turned text falls back on when its own font cannot turn.
inline constexpr wchar_t kTurnableFontName[] = L"Verdana";

}  // namespace census
