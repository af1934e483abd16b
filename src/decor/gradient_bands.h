// The arithmetic of a linear gradient: which runs of columns (or rows) get
// which colour. Kept apart from drawing so that it can be checked exactly.
#pragma once

#include "runtime/colors.h"

#include <vector>

namespace census {

// Columns [first, last) painted in one RGB colour.
struct GradientBand {
    int first;
    int last;
    TColor color;
    bool operator==(const GradientBand&) const = default;
};

// One pass over the n columns below `top` (top-1 down to top-n), from `start`
// at column top-1 toward `end`; the last column is (n-1)/n of the way there.
// Components step in 16.16 fixed point. Neighbouring columns of equal colour
// share a band; `steps` above 1 also groups that many columns per band (a
// large `steps` is read as a count of colours instead). Both colours are RGB.
std::vector<GradientBand> GradientBands(int top, int n, TColor start, TColor end, int steps);

}  // namespace census
