#include "decor/blink_list.h"

#include "decor/decorated_label.h"

#include <algorithm>
#include <memory>

namespace census {

namespace {

std::unique_ptr<BlinkList>& Instance() {
    static std::unique_ptr<BlinkList> list;
    return list;
}

}  // namespace

BlinkList::BlinkList() {
    timer_.OnTimer = [this](Timer&) { Switch(); };
}

void BlinkList::Register(DecoratedLabel& label) {
    auto& list = Instance();
    if (!list) list.reset(new BlinkList());
    list->labels_.push_back(&label);
}

void BlinkList::Unregister(DecoratedLabel& label) {
    auto& list = Instance();
    if (!list) return;
    auto& labels = list->labels_;
    labels.erase(std::remove(labels.begin(), labels.end(), &label), labels.end());
    if (labels.empty())
        list.reset();
    else
        list->BlinkingChanged();
}

BlinkList* BlinkList::Current() { return Instance().get(); }

unsigned BlinkList::PhaseLength() const {
    return on_ ? DecoratedLabel::BlinkIntervalOn() : DecoratedLabel::BlinkIntervalOff();
}

void BlinkList::BlinkingChanged() {
    bool any = std::any_of(labels_.begin(), labels_.end(), [](DecoratedLabel* l) { return l->Blinking(); });
    timer_.SetInterval(PhaseLength());
    timer_.SetEnabled(any);
}

void BlinkList::Switch() {
    on_ = !on_;
    timer_.SetInterval(PhaseLength());
    // Copy: a label's repaint must not be able to disturb the walk.
    std::vector<DecoratedLabel*> labels = labels_;
    for (DecoratedLabel* label : labels)
        if (label->Blinking()) label->BlinkPhaseChanged(on_);
}

}  // namespace census
