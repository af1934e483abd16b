// When the census lets the window catch up: the pane, the count and the
// message queue are brought up to date together, every few tens of
// milliseconds or as soon as the user's input is waiting, instead of after
// every file (each repaint of a growing pane costs far more than a file).
//
// A catch-up costs more as the pane grows (the edit control repaints by
// walking its lines), so the wait between catch-ups grows with their cost:
// catching up then never takes more than about a ninth of the census's time,
// the same share for a small census as for a large one, and the census stays
// linear in the number of files. Waiting input does not wait for that.
#pragma once

#include <cstdint>

namespace census {

class CensusPacer {
public:
    static constexpr std::uint64_t kInterval = 40;       // ms between catch-ups, at least
    static constexpr std::uint64_t kWaitPerCost = 8;     // ms waited per ms a catch-up took
    static constexpr std::uint64_t kMaxInterval = 1000;  // ms: the count still moves every second
    static constexpr std::uint64_t kInputMinimum = 5;   // ms: waiting input is served this soon

    // The first file of a census always catches up.
    void Start();
    bool Due();
    // A catch-up that began at `began` (GetTickCount64) has just ended.
    void CaughtUp(std::uint64_t began);

    // The wait for a catch-up of the given cost (pure, for tests).
    static std::uint64_t IntervalFor(std::uint64_t cost_ms);

private:
    std::uint64_t last_ = 0;
    std::uint64_t interval_ = kInterval;
    std::uint64_t last_input_check_ = 0;
};

}  // namespace census
