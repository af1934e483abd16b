#include "app/census_pacer.h"

#include <windows.h>

#include <algorithm>

namespace census {

std::uint64_t CensusPacer::IntervalFor(std::uint64_t cost_ms) {
    return std::clamp<std::uint64_t>(kWaitPerCost * cost_ms, kInterval, kMaxInterval);
}

void CensusPacer::Start() {
    last_ = 0;
    interval_ = kInterval;
}

bool CensusPacer::Due() {
    std::uint64_t now = ::GetTickCount64();
    if (now - last_ >= interval_) return true;
    if (now - last_ < kInputMinimum || now == last_input_check_) return false;
    // The queue is asked at most once per tick: the call is not free.
    last_input_check_ = now;
    return (HIWORD(::GetQueueStatus(QS_INPUT)) & QS_INPUT) != 0;
}

void CensusPacer::CaughtUp(std::uint64_t began) {
    last_ = ::GetTickCount64();
    interval_ = IntervalFor(last_ - began);
}

}  // namespace census
