#include "app/census_pacer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <string>

namespace census {
namespace {

TEST(CensusPacer, WaitGrowsWithTheCostWithinBounds) {
    EXPECT_EQ(CensusPacer::kInterval, CensusPacer::IntervalFor(0));
    EXPECT_EQ(CensusPacer::kInterval, CensusPacer::IntervalFor(2));
    EXPECT_EQ(480, CensusPacer::IntervalFor(60));
    EXPECT_EQ(CensusPacer::kMaxInterval, CensusPacer::IntervalFor(5000));
}

// A census run against a simulated window, on a simulated clock. The pane
// costs what the platform's edit control costs: appending a block costs a
// part per line plus a fixed part, and painting costs about the same for
// any block; both fixed costs grow with the lines the pane holds (about a
// fifth in the append, the rest in the paint, as measured).
struct Pane {
    double walk_ms;               // the walk's own time per file
    double line_ms;               // the pane's time per line appended
    double fixed_at_million_ms;   // append's fixed part + paint, with 1,000,000 lines in the pane
    double busy_factor = 1;       // every cost in the middle third of the census, on a busy machine
    static constexpr double kMessagesMs = 0.2;
};

struct CensusRun {
    double census_ms = 0;          // until the walk ended
    double overhead_ms = 0;        // the pane's fixed costs and the messages
    double longest_wait_ms = 0;    // the line part of the most lines ever waiting
    double last_block_ms = 0;      // the end's catch-up: the lines left, their append, the paint
    double last_lines_ms = 0;      // of which the lines
    double longest_count_gap_ms = 0;  // without the count moving, beyond the pane's own work
    std::size_t smallest_block = 0;   // lines, of blocks after the first and before the end
    std::size_t catch_ups = 0;
};

class SimulatedCensus {
public:
    SimulatedCensus(const Pane& pane, long files) : pane_(pane), files_(files) {}

    CensusRun Walk() {
        CensusPacer pacer;
        pacer.Start();
        std::size_t waiting = 0, shown = 0, blocks = 0;
        double last_count = 0;
        run_.smallest_block = static_cast<std::size_t>(-1);
        for (long file = 0; file < files_; ++file) {
            load_ = file > files_ / 3 && file < 2 * files_ / 3 ? pane_.busy_factor : 1;
            now_ += pane_.walk_ms * load_;
            ++waiting;
            run_.longest_wait_ms = std::max(run_.longest_wait_ms, LinePart(waiting));
            const CatchUp due = pacer.Due(now_, waiting, [] { return QueueNews::None; });
            if (!due) continue;
            ++run_.catch_ups;
            const double began = now_;
            if (due.lines) {
                const double at = now_;
                const std::size_t first = CensusPacer::FirstAppend(waiting);
                if (first > 0) {
                    Spend(AppendFixed(shown), true);
                    Spend(LinePart(first), false);
                }
                const double split = now_;
                Spend(AppendFixed(shown + first), true);
                Spend(LinePart(waiting - first), false);
                pacer.LinesShown(at, split, now_, first, waiting);
                if (blocks++ > 0) run_.smallest_block = std::min(run_.smallest_block, waiting);
                shown += waiting;
                waiting = 0;
            }
            if (due.paint) {
                const double at = now_;
                Spend(Paint(shown), true);
                pacer.Painted(at, now_);
            }
            const double pane_work = now_ - began;
            run_.longest_count_gap_ms = std::max(run_.longest_count_gap_ms, now_ - last_count - pane_work);
            const double at = now_;
            Spend(Pane::kMessagesMs * load_, true);
            pacer.MessagesRun(at, now_);
            last_count = now_;
        }
        run_.census_ms = now_;
        load_ = 1;
        run_.last_lines_ms = LinePart(waiting);
        run_.last_block_ms = AppendFixed(shown) + run_.last_lines_ms + Paint(shown + waiting);
        return run_;
    }

private:
    double PerPaneLine() const { return pane_.fixed_at_million_ms / 1e6 * load_; }
    double AppendFixed(std::size_t in_pane) const { return PerPaneLine() / 5 * static_cast<double>(in_pane); }
    double Paint(std::size_t in_pane) const { return PerPaneLine() * 4 / 5 * static_cast<double>(in_pane); }
    double LinePart(std::size_t lines) const { return pane_.line_ms * load_ * static_cast<double>(lines); }
    void Spend(double ms, bool overhead) {
        now_ += ms;
        if (overhead) run_.overhead_ms += ms;
    }

    Pane pane_;
    long files_;
    double now_ = 0;
    double load_ = 1;
    CensusRun run_;
};

struct Case {
    Pane pane;
    long files;
};

std::string Describe(const Case& c) {
    return std::to_string(c.files) + " files, walk " + std::to_string(c.pane.walk_ms) + " ms/file, line " +
           std::to_string(c.pane.line_ms) + " ms, fixed " + std::to_string(c.pane.fixed_at_million_ms) +
           " ms at a million lines, busy x" + std::to_string(c.pane.busy_factor);
}

std::vector<Case> Cases() {
    std::vector<Case> cases;
    // As measured under the platform layer this is tested on (lines far dearer
    // than the walk), as on a platform whose pane takes lines cheaply, and the
    // first on a machine three times as busy for a third of the census.
    const Pane kinds[] = {{0.015, 0.040, 0}, {0.015, 0.001, 0}, {0.015, 0.040, 0, 3}};
    for (const Pane& kind : kinds) {
        for (double fixed : {0.0, 20.0, 200.0, 600.0, 2000.0}) {
            for (long files : {10000L, 100000L, 1000000L, 2000000L}) {
                Pane pane = kind;
                pane.fixed_at_million_ms = fixed;
                cases.push_back({pane, files});
            }
        }
    }
    return cases;
}

// The pane's fixed costs and the messages take about a ninth of the census
// whatever the pane costs, the load or the census's size (the lines' own
// cost is the list's and is paid whatever the pacing); blocks never shrink
// to a few lines, each of them paying the pane's whole fixed cost.
TEST(CensusPacer, FixedCostsKeepTheirShareAndBlocksDoNotCollapse) {
    for (const Case& c : Cases()) {
        const CensusRun run = SimulatedCensus(c.pane, c.files).Walk();
        // (A census of a fraction of a second has its first catch-ups before the pane was measured.)
        EXPECT_LE(run.overhead_ms, run.census_ms / 8 + 5) << Describe(c) << "; " << run.catch_ups << " catch-ups";
        EXPECT_GT(run.smallest_block, 4 * CensusPacer::kMeasuredBlock) << Describe(c);
    }
}

// When the walk ends or is stopped, the lines still waiting reach the pane
// and are painted within a second, unless the pane is so large that its
// fixed part alone fills that second, or that its lines must come in larger
// blocks for the fixed part of their two appends to keep its share. The
// same holds at every moment of the census (a stop may come at any), and
// the count moves every second.
TEST(CensusPacer, WaitingLinesReachThePaneWithinASecond) {
    for (const Case& c : Cases()) {
        const CensusRun run = SimulatedCensus(c.pane, c.files).Walk();
        const double at_end = c.pane.fixed_at_million_ms / 1e6 * static_cast<double>(c.files);
        const double append_fixed = at_end / 5;
        const double allowed =
            std::max(1000 - at_end, 2 * (CensusPacer::kWaitPerFixedCost + 1) * append_fixed) * c.pane.busy_factor;
        EXPECT_LE(run.last_lines_ms, allowed) << Describe(c);
        EXPECT_LE(run.longest_wait_ms, allowed) << Describe(c);
        if (at_end == 0 && c.pane.busy_factor == 1) {
            EXPECT_LE(run.last_block_ms, 1000) << Describe(c);
        }
        EXPECT_LE(run.longest_count_gap_ms, CensusPacer::kMaxInterval + 1) << Describe(c);
    }
}

// Keys wait for no timed catch-up and bring the lines listed before them
// into the pane first; other news only runs the messages.
TEST(CensusPacer, NewsInTheQueueIsServedAtOnce) {
    CensusPacer pacer;
    pacer.Start();
    pacer.LinesShown(0, 1, 1, 0, 1);
    pacer.Painted(1, 2);
    pacer.MessagesRun(2, 3);
    int asked = 0;
    auto none = [&] { ++asked; return QueueNews::None; };
    EXPECT_FALSE(pacer.Due(4, 10, none)) << "asked too soon";
    EXPECT_EQ(0, asked);
    EXPECT_FALSE(pacer.Due(9, 10, none));
    EXPECT_FALSE(pacer.Due(9.5, 10, none)) << "asked twice within a millisecond";
    EXPECT_EQ(1, asked);
    const CatchUp posted = pacer.Due(11, 10, [] { return QueueNews::Messages; });
    EXPECT_TRUE(posted.messages);
    EXPECT_FALSE(posted.lines);
    const CatchUp keys = pacer.Due(12, 10, [] { return QueueNews::Keys; });
    EXPECT_TRUE(keys.messages);
    EXPECT_TRUE(keys.lines);
}

}  // namespace
}  // namespace census
