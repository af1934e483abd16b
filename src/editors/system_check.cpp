#include "editors/system_check.h"

#include "decor/disabled_drawing.h"
#include "runtime/canvas.h"

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

namespace census {

namespace {

constexpr int kCheckBoxesBitmap = 32759;  // the predefined OBM_CHECKBOXES

// The bitmap's pixels as 32-bit values, top row first.
std::vector<std::uint32_t> ReadPixels(HBITMAP bitmap, int width, int height) {
    std::vector<std::uint32_t> pixels(static_cast<size_t>(width) * height);
    BITMAPINFO bi = TopDown32BitInfo(width, height);
    WindowDc screen(nullptr);
    if (::GetDIBits(screen.get(), bitmap, 0, height, pixels.data(), &bi, DIB_RGB_COLORS) != height) pixels.clear();
    return pixels;
}

// A monochrome mask from 32-bit pixels: black where mark(x, y) is true.
template <typename Mark>
UniqueBitmap MakeMask(int width, int height, Mark mark) {
    WindowDc screen(nullptr);
    UniqueMemoryDc colour_dc(::CreateCompatibleDC(screen.get()));
    UniqueBitmap colour(::CreateCompatibleBitmap(screen.get(), width, height));
    UniqueBitmap mask(::CreateBitmap(width, height, 1, 1, nullptr));
    {
        SelectGuard select_colour(colour_dc.get(), colour.get());
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) ::SetPixel(colour_dc.get(), x, y, mark(x, y) ? RGB(0, 0, 0) : RGB(255, 255, 255));
        UniqueMemoryDc mask_dc(::CreateCompatibleDC(screen.get()));
        SelectGuard select_mask(mask_dc.get(), mask.get());
        ::SetBkColor(colour_dc.get(), RGB(255, 255, 255));
        ::BitBlt(mask_dc.get(), 0, 0, width, height, colour_dc.get(), 0, 0, SRCCOPY);
    }
    return mask;
}

SystemCheckMetrics FromCheckBoxes(HBITMAP checkboxes) {
    SystemCheckMetrics m;
    BITMAP bm{};
    if (!checkboxes || !::GetObjectW(checkboxes, sizeof(bm), &bm)) return m;
    const int w = bm.bmWidth / 4, h = bm.bmHeight / 3;
    if (w <= 0 || h <= 0) return m;
    std::vector<std::uint32_t> pixels = ReadPixels(checkboxes, bm.bmWidth, bm.bmHeight);
    if (pixels.empty()) return m;
    auto at = [&](int x, int y) { return pixels[static_cast<size_t>(y) * bm.bmWidth + x] & 0xFFFFFF; };
    m.size = {w, h};
    m.mask = MakeMask(w, h, [&](int x, int y) { return at(x, y) != at(x + w, y); });
    return m;
}

SystemCheckMetrics FromMenuCheck() {
    SystemCheckMetrics m;
    m.from_menu_check = true;
    m.size = {::GetSystemMetrics(SM_CXMENUCHECK), ::GetSystemMetrics(SM_CYMENUCHECK)};
    if (m.size.cx <= 0 || m.size.cy <= 0) m.size = {13, 13};
    const int w = m.size.cx, h = m.size.cy;
    // The menu mark is drawn black on white, which is already a mask.
    WindowDc screen(nullptr);
    UniqueMemoryDc dc(::CreateCompatibleDC(screen.get()));
    UniqueBitmap drawn(::CreateCompatibleBitmap(screen.get(), w, h));
    std::vector<bool> black(static_cast<size_t>(w) * h);
    {
        SelectGuard select(dc.get(), drawn.get());
        RECT r{0, 0, w, h};
        ::FillRect(dc.get(), &r, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        ::DrawFrameControl(dc.get(), &r, DFC_MENU, DFCS_MENUCHECK);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) black[static_cast<size_t>(y) * w + x] = (::GetPixel(dc.get(), x, y) & 0xFFFFFF) != 0xFFFFFF;
    }
    m.mask = MakeMask(w, h, [&](int x, int y) { return black[static_cast<size_t>(y) * w + x]; });
    return m;
}

// The system's mark taken to another size pixel by pixel, each pixel from the
// one under its centre: the same shape at every size, its lines thickened in
// whole pixels, never blurred.
SystemCheckMetrics ScaledCheck(const SystemCheckMetrics& system, SIZE size) {
    SystemCheckMetrics m;
    const int w = size.cx, h = size.cy, w0 = system.size.cx, h0 = system.size.cy;
    if (w <= 0 || h <= 0 || w0 <= 0 || h0 <= 0 || !system.mask) return m;
    MemoryBitmap drawn(w0, h0);
    drawn.Fill(clWhite);
    PaintCheckMark(drawn.Dc(), system, 0, 0, {0, 0, w0, h0}, RGB(0, 0, 0));
    std::vector<bool> black(static_cast<size_t>(w0) * h0);
    for (int y = 0; y < h0; ++y)
        for (int x = 0; x < w0; ++x) black[static_cast<size_t>(y) * w0 + x] = (drawn.PixelAt(x, y) & 0xFFFFFF) == 0;
    m.size = size;
    m.mask = MakeMask(w, h, [&](int x, int y) {
        const int sx = (2 * x + 1) * w0 / (2 * w), sy = (2 * y + 1) * h0 / (2 * h);
        return black[static_cast<size_t>(sy) * w0 + sx];
    });
    return m;
}

}  // namespace

SystemCheckMetrics MeasureSystemCheck(HBITMAP checkboxes) {
    SystemCheckMetrics m = FromCheckBoxes(checkboxes);
    if (m.size.cx > 0 && m.size.cy > 0 && m.mask) return m;
    return FromMenuCheck();
}

const SystemCheckMetrics& SystemCheck() {
    static const SystemCheckMetrics metrics = [] {
        UniqueBitmap checkboxes(::LoadBitmapW(nullptr, MAKEINTRESOURCEW(kCheckBoxesBitmap)));
        return MeasureSystemCheck(checkboxes.get());
    }();
    return metrics;
}

const SystemCheckMetrics& SystemCheckOfSize(SIZE size) {
    const SystemCheckMetrics& system = SystemCheck();
    if (size.cx == system.size.cx && size.cy == system.size.cy) return system;
    static std::map<std::pair<int, int>, SystemCheckMetrics> drawn;
    auto [it, added] = drawn.try_emplace({size.cx, size.cy});
    if (added) it->second = ScaledCheck(system, size);
    return it->second;
}

void PaintCheckMark(HDC dc, const SystemCheckMetrics& check, int x, int y, const RECT& clip, COLORREF color) {
    if (!check.mask) return;
    SavedDcState saved(dc);
    ::IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
    UniqueMemoryDc mask_dc(::CreateCompatibleDC(dc));
    SelectGuard select_mask(mask_dc.get(), check.mask.get());
    PaintThroughMask(dc, x, y, check.size.cx, check.size.cy, mask_dc.get(), static_cast<TColor>(color));
}

}  // namespace census
