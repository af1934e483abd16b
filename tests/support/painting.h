// Paints a control into a memory bitmap of its size, over a colour that no
// control here uses (or one given), so that tests can read the picture back.
#pragma once

#include "runtime/canvas.h"

#include <algorithm>
#include <memory>

namespace census {

constexpr TColor kUnpainted = MakeRgb(1, 2, 3);

// `C` exposes its protected Paint (a test subclass with `using ...::Paint`).
template <typename C>
std::unique_ptr<MemoryBitmap> PaintOf(C& control, TColor under = kUnpainted) {
    auto bitmap = std::make_unique<MemoryBitmap>(std::max(control.Width(), 1), std::max(control.Height(), 1));
    bitmap->Fill(under);
    Canvas canvas(bitmap->Dc());
    control.Paint(canvas);
    return bitmap;
}

}  // namespace census
