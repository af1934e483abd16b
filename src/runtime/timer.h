// A timer component: raises OnTimer every Interval milliseconds while enabled.
// All timers run on the user interface thread through one hidden window.
#pragma once

#include "runtime/component.h"

#include <functional>

namespace census {

class Timer : public Component {
public:
    Timer() = default;
    ~Timer() override;

    unsigned Interval() const { return interval_; }
    void SetInterval(unsigned ms);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    // Restarts the interval from now.
    void Restart();

    std::function<void(Timer& sender)> OnTimer;

private:
    void Update();

    unsigned interval_ = 1000;
    bool enabled_ = false;
    unsigned long long id_ = 0;
};

}  // namespace census
