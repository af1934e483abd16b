// When the census lets the window catch up. The walk lists a file in a few
// microseconds; the window's work is far dearer, so it is done in catch-ups,
// each of up to three parts, in this order:
//
// - lines: the lines listed since the last one go into the pane, unpainted.
//   Appending costs the pane a part per line (it measures each line) and a
//   fixed part that grows with the text it already holds;
// - paint: the pane shows what it holds. That costs about the same for any
//   block and grows with the pane (the edit control finds its visible lines
//   by walking from the first);
// - messages: the count moves and the window's messages run (a click, a
//   close, the pane's own posts).
//
// Each part has its own schedule, so the dear ones never ride on the cheap:
//
// - Each fixed cost waits sixteen times itself: the lines wait until the
//   time since the last append and the line part of the next one come to
//   sixteen times the appends' fixed part, and a paint waits sixteen times
//   what it costs now. Both together then take about a ninth of the census,
//   for a pane of ten lines as for one of ten million, on a quiet or a busy
//   machine, and the census stays linear in its files. Blocks grow as the
//   pane's fixed part grows, and never shrink to a few lines.
// - The lines waiting are kept to what the pane takes in a quarter of a
//   second, unless the fixed part needs more to keep its share. So when the
//   walk ends or is stopped, the last block and the paint reach the user
//   within a second, unless the pane is so large that a catch-up cannot.
//   A block's cost mixes its lines with the fixed part; it goes into the
//   pane in two appends of different sizes, whose difference tells them
//   apart (the middle of the last few such measures is taken).
// - The messages run every 40 ms, or eight times what they took when that
//   is longer, but at least every second (the count moves every second),
//   and within a few milliseconds when input or a new posted message
//   waits. Keys waiting bring the lines in first: what the user types then
//   follows every line listed before, as when each file was shown at once.
//
// Pure: the clock (milliseconds, any origin) and the queue are the caller's.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <limits>

namespace census {

// The parts of one catch-up; messages run whenever any part is due.
struct CatchUp {
    bool lines = false;
    bool paint = false;
    bool messages = false;
    explicit operator bool() const { return messages; }
};

// What the window's queue holds that the census should not keep waiting.
enum class QueueNews { None, Messages, Keys };

class CensusPacer {
public:
    static constexpr double kInterval = 40;             // ms between timed catch-ups, at least
    static constexpr double kMaxInterval = 1000;        // ms: the count moves every second
    static constexpr double kInputMinimum = 5;          // ms: news in the queue is served this soon
    static constexpr double kWaitPerCost = 8;           // ms the messages wait per ms they took
    static constexpr double kWaitPerFixedCost = 16;     // ms the pane's fixed costs wait per ms
    static constexpr double kLineBudget = 250;          // ms the lines waiting may cost the pane
    static constexpr std::size_t kMeasuredBlock = 64;   // a smaller block says little about a line

    // A new census: its first file catches up at once. What was learnt of
    // the pane's cost per line stays (it is the same pane).
    void Start();

    // Asked after every entry, with `waiting` lines listed and not in the
    // pane yet. `queue_news` (returning QueueNews) is called only when the
    // answer matters and at most once a millisecond: asking is not free.
    template <typename QueueProbe>
    CatchUp Due(double now, std::size_t waiting, QueueProbe&& queue_news) {
        CatchUp due = Timed(now, waiting);
        if (due || !MayAskQueue(now)) return due;
        return ForNews(queue_news(), waiting);
    }

    // The lines waiting go into the pane in two appends, the first of this
    // many lines (0: in one). A block's cost mixes its lines' part with the
    // pane's fixed part; two appends of different sizes tell them apart.
    static std::size_t FirstAppend(std::size_t waiting);

    // The parts of a catch-up, as each ends, on the clock: the lines' first
    // append began at `began` and ended at `split`, the second at `ended`.
    void LinesShown(double began, double split, double ended, std::size_t first, std::size_t lines);
    void Painted(double began, double ended);
    void MessagesRun(double began, double ended);

    // What the pacer has learnt of the pane: ms per line (0 until a block
    // was measured), and the fixed costs of an append and of a paint now.
    double LineCost() const { return line_costs_.Middle(); }
    double AppendFixedCost() const { return append_fixed_.Middle(shown_, true); }
    double PaintCost() const { return paint_cost_ * Growth(painted_at_, shown_); }

    // The wait after a part that took `cost_ms`: eight times that, within
    // 40 ms and a second.
    static double IntervalFor(double cost_ms);

private:
    static constexpr double kNever = -std::numeric_limits<double>::infinity();
    // A cost measured on a pane this small is mostly the part that does not
    // grow with it; on larger panes the fixed costs grow with the lines.
    static constexpr double kSmallPane = 4096;
    // What the pane costs is taken as the middle of the last few measures:
    // one block on a busier moment does not count, a busier machine does.
    static constexpr std::size_t kRecentBlocks = 5;

    // Recent measures, each with the lines the pane held when it was taken.
    class RecentMiddle {
    public:
        void Add(double value, double lines = 0);
        // The middle of the measures, each grown with the pane to `lines`
        // (`grows`) or as taken; 0 when nothing was measured.
        double Middle(double lines = 0, bool grows = false) const;
        void Clear() { count_ = 0; }

    private:
        std::array<double, kRecentBlocks> values_{}, lines_{};
        std::size_t count_ = 0, next_ = 0;
    };

    CatchUp Timed(double now, std::size_t waiting) const;
    bool LinesDue(double now, std::size_t waiting) const;
    bool PaintDue(double now, std::size_t waiting, bool lines_coming) const;
    bool MayAskQueue(double now);
    CatchUp ForNews(QueueNews news, std::size_t waiting) const;
    // How much a fixed cost measured on a pane of `then` lines has grown at
    // `now`. Measured on a small pane it may be mostly what does not grow:
    // it is taken to grow with the pane, but to at most three times itself.
    static double Growth(double then, double now) {
        return std::clamp((now + kSmallPane) / (then + kSmallPane), 1.0, 3.0);
    }

    double lines_end_ = kNever;
    double paint_end_ = kNever;
    double messages_end_ = kNever;
    double last_probe_ = kNever;
    double last_lines_cost_ = 0;
    double shown_ = 0;          // lines given to the pane in this census
    RecentMiddle line_costs_;    // ms per line
    RecentMiddle append_fixed_;  // ms, of one append
    double paint_cost_ = 0;     // ms, of the last paint
    double painted_at_ = 0;     // lines in the pane then
    double messages_interval_ = kInterval;
    bool unpainted_ = false;    // lines went into the pane since its last paint
};

}  // namespace census
