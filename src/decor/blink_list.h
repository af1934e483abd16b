// The one list of decorated labels that the shared blink timer serves. The
// first label creates it and the last one to go frees it; the timer runs
// only while some label blinks.
#pragma once

#include "runtime/timer.h"

#include <vector>

namespace census {

class DecoratedLabel;

class BlinkList {
public:
    static void Register(DecoratedLabel& label);
    static void Unregister(DecoratedLabel& label);
    // The list, or null when no label exists.
    static BlinkList* Current();

    // A label started or stopped blinking, or the phase lengths changed.
    void BlinkingChanged();
    // Moves to the other phase and tells every blinking label.
    void Switch();
    bool PhaseOn() const { return on_; }
    bool TimerRunning() const { return timer_.Enabled(); }
    size_t Count() const { return labels_.size(); }

private:
    BlinkList();
    unsigned PhaseLength() const;

    std::vector<DecoratedLabel*> labels_;
    Timer timer_;
    bool on_ = false;
};

}  // namespace census
