#include "editors/painter_colors.h"

#include "editors/paint_math.h"
#include "editors/system_colors.h"
#include "runtime/handles.h"

#include <memory>

namespace census {

TColor BlendSystemColors(int face_part, int highlight_part, int window_part) {
    TColor mixed = BlendColors(ColorToRgb(clBtnFace), ColorToRgb(clHighlight), ColorToRgb(clWindow), face_part,
                               highlight_part, window_part);
    WindowDc screen(nullptr);
    return ::GetNearestColor(screen.get(), mixed) & 0xFFFFFF;
}

TColor BlendedHotColor() { return BlendSystemColors(-2, 30, 72); }
TColor BlendedPressedColor() { return BlendSystemColors(14, 44, 40); }

namespace {

struct ScrollPatterns {
    UniqueBitmap normal;
    UniqueBitmap pressed;
    // The painter module's own colour listener; primary, so the patterns are
    // fresh before any control repaints for the same change.
    std::unique_ptr<SystemPaletteChangedNotifier> notifier;
};

ScrollPatterns& Patterns() {
    static ScrollPatterns patterns;
    return patterns;
}

void Paint8x8(HBITMAP bitmap, TColor odd, TColor even) {
    WindowDc screen(nullptr);
    UniqueMemoryDc dc(::CreateCompatibleDC(screen.get()));
    SelectGuard select(dc.get(), bitmap);
    COLORREF odd_rgb = ColorToRgb(odd), even_rgb = ColorToRgb(even);
    for (int j = 0; j < 8; ++j) {
        for (int i = 0; i < 8; ++i) ::SetPixel(dc.get(), i, j, (i + j) % 2 ? odd_rgb : even_rgb);
    }
}

UniqueBitmap Make8x8() {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = 8;
    bi.bmiHeader.biHeight = -8;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    return UniqueBitmap(::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
}

void EnsurePatterns() {
    ScrollPatterns& p = Patterns();
    if (p.normal) return;
    p.normal = Make8x8();
    p.pressed = Make8x8();
    RebuildScrollPatterns();
    p.notifier = std::make_unique<SystemPaletteChangedNotifier>(true);
    p.notifier->OnColorsChanged = [] { RebuildScrollPatterns(); };
}

}  // namespace

HBITMAP ScrollPatternNormal() {
    EnsurePatterns();
    return Patterns().normal.get();
}

HBITMAP ScrollPatternPressed() {
    EnsurePatterns();
    return Patterns().pressed.get();
}

void RebuildScrollPatterns() {
    ScrollPatterns& p = Patterns();
    if (!p.normal) return EnsurePatterns();
    Paint8x8(p.normal.get(), clBtnHighlight, clBtnFace);
    Paint8x8(p.pressed.get(), cl3DDkShadow, clBlack);
}

}  // namespace census
