// When the census lets the window catch up: the pane, the count and the
// message queue are brought up to date together, every few tens of
// milliseconds or as soon as the user's input is waiting, instead of after
// every file (each repaint of a growing pane costs far more than a file).
#pragma once

#include <cstdint>

namespace census {

class CensusPacer {
public:
    static constexpr std::uint64_t kInterval = 40;     // ms between catch-ups
    static constexpr std::uint64_t kInputMinimum = 5;  // ms: waiting input is served this soon

    // The first file of a census always catches up.
    void Start() { last_ = 0; }
    bool Due();
    void CaughtUp();

private:
    std::uint64_t last_ = 0;
    std::uint64_t last_input_check_ = 0;
};

}  // namespace census
