#include "app/census_pacer.h"

#include <windows.h>

#include <algorithm>

namespace census {

std::uint64_t CensusPacer::IntervalFor(std::uint64_t cost_ms) {
    return std::clamp<std::uint64_t>(kWaitPerCost * cost_ms, kInterval, kMaxInterval);
}

std::size_t CensusPacer::BlockLimitFor(std::size_t shown, double show_ms) {
    if (shown < kMeasuredBlock || show_ms <= 0) return static_cast<std::size_t>(-1);
    return std::max(kMeasuredBlock, static_cast<std::size_t>(kBlockBudget * static_cast<double>(shown) / show_ms));
}

void CensusPacer::Start() {
    last_ = 0;
    interval_ = kInterval;
    block_limit_ = static_cast<std::size_t>(-1);
}

bool CensusPacer::Due(std::size_t waiting) {
    std::uint64_t now = ::GetTickCount64();
    const std::uint64_t since = now - last_;
    if (since >= interval_) return true;
    // A full block waits no longer, but catch-ups never come closer than the
    // least interval (a measured block may be small and its cost mostly fixed).
    if (waiting >= block_limit_ && since >= kInterval) return true;
    if (since < kInputMinimum || now == last_input_check_) return false;
    // The queue is asked at most once per tick: the call is not free. Input
    // waiting counts; of posted messages only those that arrived since the
    // last catch-up, so the pane's own posts (left for the next pass) do not
    // bring catch-ups closer.
    last_input_check_ = now;
    const DWORD status = ::GetQueueStatus(QS_INPUT | QS_POSTMESSAGE);
    return (HIWORD(status) & QS_INPUT) != 0 || (LOWORD(status) & QS_POSTMESSAGE) != 0;
}

void CensusPacer::CaughtUp(std::uint64_t began, std::size_t shown, double show_ms) {
    last_ = ::GetTickCount64();
    interval_ = IntervalFor(last_ - began);
    if (shown >= kMeasuredBlock) block_limit_ = BlockLimitFor(shown, show_ms);
    // What is in the queue now is not news for the next Due.
    ::GetQueueStatus(QS_INPUT | QS_POSTMESSAGE);
}

}  // namespace census
