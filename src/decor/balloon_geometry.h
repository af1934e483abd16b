// Where a balloon hint goes and what shape it has: its size from the hint's
// rectangle, the corner it opens from and the flips at the screen's edges,
// the body, tail and text rectangles it paints, and the rows of pixels its
// window keeps. Plain numbers only, so every case can be checked by tables.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace census {

// Where the balloon lies relative to the mouse point: hcUpperRight is above
// and to the right of it, with the tail at the balloon's lower left.
enum HintCorner : int { hcLowerRight, hcLowerLeft, hcUpperLeft, hcUpperRight };

struct BalloonPoint {
    int x = 0, y = 0;
    bool operator==(const BalloonPoint&) const = default;
};

// Right and bottom are exclusive.
struct BalloonRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const BalloonRect&) const = default;
};

constexpr int kMinBalloonWidth = 55;
// The tail's height below (or above) the body, and the room the window keeps for it.
constexpr int kTailHeight = 20;
constexpr int kTailRoom = 28;

// The balloon's sizes at a density; the defaults are those at 96 pixels per
// inch. The outlines and the shadow's steps stay one pixel wide at any.
struct BalloonMetrics {
    int min_width = kMinBalloonWidth;
    int tail_height = kTailHeight;
    int tail_room = kTailRoom;
    int tail_near = 10;     // from the body's side to the tail's straight side
    int tail_far = 30;      // from the body's side to the tail's slanted side's foot
    int margin = 2;         // around the hint's text rectangle
    int text_inset = 4;     // from the body's edge to the text
    int corner = 10;        // the rounded corners' diameter
    bool operator==(const BalloonMetrics&) const = default;
};

// The sizes at `dpi`, each scaled from its 96-pixels-per-inch value.
BalloonMetrics BalloonMetricsAt(int dpi);

constexpr bool IsUpperCorner(HintCorner c) { return c == hcUpperLeft || c == hcUpperRight; }

// The hint's rectangle as the framework measured it, grown for the tail (on
// the side the previous showing used), the shadow and a 2-pixel margin; with
// the balloon shape its top left moves to `anchor`, the mouse point.
BalloonRect BalloonFrame(BalloonRect hint, HintCorner previous, bool balloon, bool shadow,
                         std::optional<BalloonPoint> anchor, const BalloonMetrics& m = {});

// The window's width: never narrower than the tail needs.
constexpr int BalloonWidth(int width, const BalloonMetrics& m = {}) { return width < m.min_width ? m.min_width : width; }

struct BalloonPlacement {
    int x = 0, y = 0;
    HintCorner corner = hcUpperRight;
    bool operator==(const BalloonPlacement&) const = default;
};

// The window's top left for the preferred corner beside `frame`'s top left,
// then the flips at the top, bottom, right and left screen edges, in that
// order, each seeing the result of the one before.
BalloonPlacement PlaceBalloon(const BalloonRect& frame, int width, int height, HintCorner preferred,
                              int screen_width, int screen_height);

struct BalloonShape {
    BalloonRect body;
    bool has_tail = false;
    std::array<BalloonPoint, 3> tail{};  // the tip is tail[1]
    BalloonRect join;                    // opens the body's outline where the tail meets it
    // Two shadow triangles (the farther one first), where the corner has them.
    bool has_tail_shadow = false;
    std::array<std::array<BalloonPoint, 3>, 2> tail_shadow{};
    BalloonRect text;
};

// The body in a window of `width` x `height` opened from `used`: the window
// less the tail's band (and the shadow's two pixels); the whole window for
// the plain rectangle.
BalloonRect BalloonBody(int width, int height, HintCorner used, bool balloon, bool shadow,
                        const BalloonMetrics& m = {});

// The parts painted around `body` in a window `client_height` high.
// `plain_text_dx` is the text's sideways shift in the plain rectangle (it
// follows the alignment).
BalloonShape ShapeBalloon(const BalloonRect& body, int client_height, HintCorner used, bool balloon, bool shadow,
                          int plain_text_dx, const BalloonMetrics& m = {});

// A run of pixels [left, right) in row y.
struct PixelRun {
    int y = 0, left = 0, right = 0;
    bool operator==(const PixelRun&) const = default;
};

// The pixels a paint covers, found by painting twice over two different
// backgrounds: a pixel that came out the same both times was painted. Both
// pictures are `width` x `height`, row by row.
std::vector<PixelRun> PaintedRuns(int width, int height, const std::vector<std::uint32_t>& over_black,
                                  const std::vector<std::uint32_t>& over_white);

// Which of the four corner pictures to stretch over a balloon opened from
// `used`, and whether to mirror it: its own corner's picture when there is
// one, else the first of upper right, upper left, lower right, lower left.
struct CornerPicture {
    HintCorner source = hcUpperRight;
    bool mirror_x = false, mirror_y = false;
    bool operator==(const CornerPicture&) const = default;
};
std::optional<CornerPicture> ChooseCornerPicture(HintCorner used, const std::array<bool, 4>& present);

}  // namespace census
