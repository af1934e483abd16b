#include "runtime/colors.h"

#include <windows.h>

namespace census {

TColor ColorToRgb(TColor color) {
    if (IsSystemColor(color)) return static_cast<TColor>(::GetSysColor(static_cast<int>(color & 0xFF)));
    if (color == clNone || color == clDefault) return clBlack;
    return color & 0x00FFFFFFu;
}

}  // namespace census
