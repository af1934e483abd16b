// Arithmetic shared by the painters and the scroll bar: rounding scaled
// products, colour blending, arrow geometry. No platform calls.
#pragma once

#include "runtime/colors.h"

#include <array>

namespace census {

// a * b / c rounded to the nearest integer (halves away from zero), computed
// in 64 bits; -1 when c is 0, as the platform's MulDiv answers.
int MulDiv64(int a, int b, int c);

// Mixes three RGB colours channel by channel by signed percentages; a face
// colour of pure black or pure white gives the highlight colour unchanged.
TColor BlendColors(TColor face, TColor highlight, TColor window, int face_part, int highlight_part,
                   int window_part);

struct IntRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Empty() const { return right <= left || bottom <= top; }
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    bool operator==(const IntRect&) const = default;
};

enum ScrollPart { spNone = 0, spLineBack = 1, spLineForward = 2, spThumb = 3, spPageBack = 4, spPageForward = 5 };

enum ArrowDirection { adUp = 0, adDown = 1, adLeft = 2, adRight = 3 };

// The three corners of the filled arrow drawn inside r: r made square by
// shrinking its longer side equally from both ends, the base (width - 1) / 2
// made odd, the height base / 2 + 1, centred and pointing in direction.
struct IntPoint {
    int x = 0, y = 0;
    bool operator==(const IntPoint&) const = default;
};
std::array<IntPoint, 3> ArrowTriangle(IntRect r, ArrowDirection direction);

}  // namespace census
