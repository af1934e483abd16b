// When the census lets the window catch up: the message queue, the pane and
// the count are brought up to date together, every few tens of milliseconds
// or as soon as the user's input or a posted message (a close, a click sent
// by another program) is waiting, instead of after every file (each repaint
// of a growing pane costs far more than a file).
//
// A catch-up costs more as the pane grows (the edit control repaints by
// walking its lines), so the wait between catch-ups grows with their cost:
// catching up then never takes more than about a ninth of the census's time,
// the same share for a small census as for a large one, and the census stays
// linear in the number of files. Waiting input does not wait for that.
//
// Each line costs the pane about the same to take in (it measures and wraps
// it), so the lines waiting to be shown are also kept to what the pane takes
// in a quarter of a second: the lines listed last, when the walk ends or is
// stopped, then reach the pane promptly however large the census is.
#pragma once

#include <cstddef>
#include <cstdint>

namespace census {

class CensusPacer {
public:
    static constexpr std::uint64_t kInterval = 40;       // ms between catch-ups, at least
    static constexpr std::uint64_t kWaitPerCost = 8;     // ms waited per ms a catch-up took
    static constexpr std::uint64_t kMaxInterval = 1000;  // ms: the count still moves every second
    static constexpr std::uint64_t kInputMinimum = 5;    // ms: waiting input is served this soon
    static constexpr double kBlockBudget = 250;          // ms the pane may take for the lines waiting
    // Blocks this small say little about the cost of a line.
    static constexpr std::size_t kMeasuredBlock = 64;

    // The first file of a census always catches up.
    void Start();
    // With `waiting` lines listed and not shown yet.
    bool Due(std::size_t waiting);
    // A catch-up that began at `began` (GetTickCount64) has just ended; the
    // pane took `shown` lines in `show_ms` milliseconds.
    void CaughtUp(std::uint64_t began, std::size_t shown, double show_ms);

    // The wait for a catch-up of the given cost (pure, for tests).
    static std::uint64_t IntervalFor(std::uint64_t cost_ms);
    // The most lines that may wait, when the pane took `shown` lines in
    // `show_ms` (pure, for tests); unbounded until a block was measured.
    static std::size_t BlockLimitFor(std::size_t shown, double show_ms);

private:
    std::uint64_t last_ = 0;
    std::uint64_t interval_ = kInterval;
    std::uint64_t last_input_check_ = 0;
    std::size_t block_limit_ = static_cast<std::size_t>(-1);
};

}  // namespace census
