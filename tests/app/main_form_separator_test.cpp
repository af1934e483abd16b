// The main window's separator as the screen shows it, column by column,
// against the gradient's arithmetic worked out here on its own.
#include "app/main_form.h"
#include "runtime/application.h"
#include "support/real_input.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <memory>
#include <vector>

namespace census {
namespace {

// One component of a centre gradient `width` columns wide: `second` exactly at
// column width / 2 and stepping toward `first` at both ends. Each pass over n
// columns adds its step k times from its start column; the step is the
// difference in 16.16 fixed point divided by n, rounded toward zero (or
// toward minus infinity, to show what that would change).
int CentreGradientComponent(int column, int width, int first, int second, bool toward_zero) {
    const int centre = width / 2;
    const bool left_pass = column <= centre;
    const int n = left_pass ? centre + 1 : width - centre - 1;
    const int start = left_pass ? second : first, end = left_pass ? first : second;
    const int k = left_pass ? centre - column : width - 1 - column;
    const double exact = (static_cast<double>(end) - start) * 65536.0 / n;
    const long long step = static_cast<long long>(toward_zero ? std::trunc(exact) : std::floor(exact));
    return static_cast<int>(((static_cast<long long>(start) << 16) + k * step) >> 16);
}

TColor CentreGradientColumn(int column, int width, TColor first, TColor second, bool toward_zero) {
    return MakeRgb(CentreGradientComponent(column, width, RedOf(first), RedOf(second), toward_zero),
                   CentreGradientComponent(column, width, GreenOf(first), GreenOf(second), toward_zero),
                   CentreGradientComponent(column, width, BlueOf(first), BlueOf(second), toward_zero));
}

TEST(MainFormSeparator, EveryShownColumnMatchesTheGradientAtItsRunTimeWidth) {
    auto form = std::make_unique<TForm1>();
    form->Show();
    Separator& line = *form->FxSeparator1;
    // The activation stretches it to the window's outer width.
    testing::PumpUntil([&] { return line.Width() == form->Width(); });
    const int width = line.Width();
    ASSERT_EQ(form->Width(), width);
    ASSERT_GT(width, form->ClientRect().right);

    // Differences that do not divide evenly, falling toward the ends as
    // 255 to 240 does, so that the rounding of the step shows.
    const TColor face = MakeRgb(240, 200, 3), highlight = MakeRgb(255, 17, 130);
    line.SetColor(face);
    line.SetHighlightColor(highlight);
    line.Repaint();

    // What the user sees: every column of the line inside the window's client area.
    const int shown = form->ClientRect().right;
    std::vector<TColor> expected, floored;
    for (int x = 0; x < shown; ++x) {
        expected.push_back(CentreGradientColumn(x, width, face, highlight, true));
        floored.push_back(CentreGradientColumn(x, width, face, highlight, false));
    }
    ASSERT_NE(expected, floored) << "these colours must tell the two roundings apart";
    EXPECT_EQ(highlight, expected[width / 2]);

    const POINT origin = line.ClientToScreen({0, 0});
    // The repaint has reached the screen once the centre shows the highlight.
    testing::PumpUntil([&] { return testing::ScreenPixel({origin.x + width / 2, origin.y}) == highlight; });
    for (int y = 0; y < line.Height(); ++y) {
        const std::vector<COLORREF> row = testing::ScreenRow({origin.x, origin.y + y}, shown);
        for (int x = 0; x < shown; ++x) ASSERT_EQ(expected[x], row[x]) << "column " << x << " row " << y;
    }
}

}  // namespace
}  // namespace census
