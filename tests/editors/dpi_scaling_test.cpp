// The editors at 144 pixels per inch: sizes (insets, the check box's square,
// the room around it) scale, lines stay one pixel wide, and the mark keeps
// its shape and grows with the square.
#include "editors/check_box.h"
#include "editors/painters.h"
#include "editors/push_button.h"
#include "editors/system_check.h"
#include "support/painting.h"

#include <gtest/gtest.h>

namespace census {
namespace {

constexpr int kDense = 144;

int CountColour(const MemoryBitmap& b, RECT r, COLORREF c) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) n += b.PixelAt(x, y) == c;
    return n;
}

TEST(DpiScaling, AFocusedButtonKeepsOnePixelFramesAndScalesItsFocusInset) {
    // The start button at 144: 105 x 25 become 158 x 38 (by its edges).
    const int w = ScaleDpi(105, kDense), h = ScaleDpi(25, kDense);
    MemoryBitmap bitmap(w, h);
    bitmap.Fill(clFuchsia);
    {
        Canvas canvas(bitmap.Dc());
        PainterCanvas surface(canvas, kDense);
        ButtonDrawing d;
        d.bounds = {0, 0, w, h};
        d.caption = L"П Л И !";
        d.state = edbsDefault;
        d.focus_rect = true;
        d.font.height = ScaleDpi(-13, kDense);
        DrawButton(surface, d);
    }
    // The default button's frame: two one-pixel lines, then the face.
    const COLORREF frame = ColorToRgb(clWindowFrame), face = ColorToRgb(clBtnFace);
    EXPECT_EQ(frame, bitmap.PixelAt(0, h / 2));
    EXPECT_EQ(frame, bitmap.PixelAt(1, h / 2));
    EXPECT_EQ(face, bitmap.PixelAt(2, h / 2));
    // The dotted focus rectangle 3 pixels inside at 96, 5 (4.5 rounded) at 144.
    const int inset = ScaleDpi(3, kDense);
    ASSERT_EQ(5, inset);
    auto dotted_row = [&](int y) {
        int n = 0;
        for (int x = inset; x < w - inset; ++x) n += bitmap.PixelAt(x, y) != face;
        return n;
    };
    EXPECT_GT(dotted_row(inset), 50);
    EXPECT_EQ(0, dotted_row(inset - 1));
    EXPECT_EQ(0, dotted_row(3));
}

class PaintedCheckBox : public CheckBox {
public:
    using CheckBox::Paint;
};

struct TickedSquare {
    IntRect square;
    int caption_left = 0;
    int mark_pixels = 0;
    int interior_pixels = 0, window_pixels = 0;
    COLORREF background = 0, ring = 0, outline = 0;
};

TickedSquare TickedAt(int dpi) {
    PaintedCheckBox box;
    box.SetBounds(0, 0, 161, 24);
    box.Style().SetFont(FontSpec{L"Arial", -13, clWindowText, 204, 0});
    box.Properties().SetCaption(L"C главным каталогом");
    box.SetChecked(true);
    box.ScaleToDpi(dpi);
    auto picture = PaintOf(box, clFuchsia);
    TickedSquare t;
    t.square = box.Layout().square;
    t.caption_left = box.Layout().caption.left;
    const IntRect& s = t.square;
    const RECT interior{s.left + 2, s.top + 2, s.right - 2, s.bottom - 2};
    t.interior_pixels = (interior.right - interior.left) * (interior.bottom - interior.top);
    t.mark_pixels = CountColour(*picture, interior, ColorToRgb(clBtnText));
    t.window_pixels = CountColour(*picture, interior, ColorToRgb(clWindow));
    t.background = ColorToRgb(box.ViewInfo().background);
    t.ring = picture->PixelAt(s.left, s.top + s.Height() / 2);
    t.outline = picture->PixelAt(s.left + 1, s.top + s.Height() / 2);
    return t;
}

TEST(DpiScaling, TheCheckBoxsSquareAndRoomScaleAndItsMarkGrowsWithIt) {
    const TickedSquare at_96 = TickedAt(kDesignDpi), dense = TickedAt(kDense);
    const SIZE system = SystemCheck().size;
    EXPECT_EQ(system.cx, at_96.square.Width());
    EXPECT_EQ(ScaleDpi(system.cx, kDense), dense.square.Width());
    EXPECT_EQ(ScaleDpi(system.cy, kDense), dense.square.Height());
    // The 2-pixel room before the square and the 3 before the caption, scaled.
    EXPECT_EQ(2 + ScaleDpi(2, kDense), dense.square.left);
    EXPECT_EQ(dense.square.right + ScaleDpi(3, kDense), dense.caption_left);
    // One pixel of background, one of outline, then the interior of nothing but mark and window colour.
    for (const TickedSquare* t : {&at_96, &dense}) {
        EXPECT_EQ(t->background, t->ring);
        EXPECT_EQ(ColorToRgb(clBtnShadow), t->outline);
        EXPECT_EQ(t->interior_pixels, t->mark_pixels + t->window_pixels);
    }
    // The mark grows with the square: one of the 96 size would keep its pixel count.
    EXPECT_GT(at_96.mark_pixels, 4);
    EXPECT_GT(dense.mark_pixels * 2, at_96.mark_pixels * 3);
    EXPECT_EQ(&SystemCheck(), &SystemCheckOfSize(system));
}

}  // namespace
}  // namespace census
