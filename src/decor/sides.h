// Which sides of a rectangle a frame, bevel or border covers: one set of bits
// for the drawing helpers, the painters and the edit containers.
#pragma once

namespace census {

enum Side : unsigned { sdLeft = 1, sdTop = 2, sdRight = 4, sdBottom = 8 };
// A set of Side bits.
using Sides = unsigned;
constexpr Sides sdAll = sdLeft | sdTop | sdRight | sdBottom;

}  // namespace census
