#include "runtime/component.h"

#include <algorithm>

namespace census {

Component::~Component() {
    destroying_ = true;
    while (!components_.empty()) {
        // Pop first so that a component looking at its siblings while it dies
        // no longer finds itself.
        std::unique_ptr<Component> last = std::move(components_.back());
        components_.pop_back();
        last.reset();
    }
}

void Component::Adopt(std::unique_ptr<Component> child) {
    child->owner_ = this;
    // A component made while its owner loads loads with it (and gets Loaded()).
    if (loading_) child->BeginLoading();
    components_.push_back(std::move(child));
}

void Component::Release(Component& child) {
    auto it = std::find_if(components_.begin(), components_.end(),
                           [&](const std::unique_ptr<Component>& c) { return c.get() == &child; });
    if (it == components_.end()) return;
    std::unique_ptr<Component> doomed = std::move(*it);
    components_.erase(it);
    doomed.reset();
}

void Component::BeginLoading() {
    loading_ = true;
    for (auto& c : components_) c->BeginLoading();
}

void Component::EndLoading() {
    if (loading_) StoredValuesRead();
    for (auto& c : components_) c->EndLoading();
    if (loading_) {
        loading_ = false;
        Loaded();
    }
}

}  // namespace census
