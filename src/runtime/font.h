// A font as the controls describe it: name, height in pixels (negative: the
// character height without internal leading), colour, character set, style.
#pragma once

#include "runtime/colors.h"
#include "runtime/handles.h"

#include <string>

namespace census {

enum FontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

constexpr unsigned char kDefaultCharset = 1;  // DEFAULT_CHARSET
constexpr unsigned char kRussianCharset = 204;  // RUSSIAN_CHARSET

struct FontSpec {
    std::wstring name = L"MS Sans Serif";
    int height = -11;
    TColor color = clWindowText;
    unsigned char charset = kDefaultCharset;
    unsigned style = 0;

    bool operator==(const FontSpec&) const = default;
};

// The platform's description of the font (colour is not part of it).
LOGFONTW LogFontFor(const FontSpec& font);

// A new GDI font for the description (colour is not part of a GDI font).
// Where the face is a bitmap font without the size asked for, an outline
// font of its design (or the nearest one of its family) is made instead.
UniqueFont CreateFontFor(const FontSpec& font);

// Reads back a GDI font's description (name, height, charset, style).
FontSpec DescribeFont(HFONT font, TColor color = clWindowText);

}  // namespace census
