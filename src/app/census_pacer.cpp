#include "app/census_pacer.h"

#include <windows.h>

namespace census {

bool CensusPacer::Due() {
    std::uint64_t now = ::GetTickCount64();
    if (now - last_ >= kInterval) return true;
    if (now - last_ < kInputMinimum || now == last_input_check_) return false;
    // The queue is asked at most once per tick: the call is not free.
    last_input_check_ = now;
    return (HIWORD(::GetQueueStatus(QS_INPUT)) & QS_INPUT) != 0;
}

void CensusPacer::CaughtUp() { last_ = ::GetTickCount64(); }

}  // namespace census
