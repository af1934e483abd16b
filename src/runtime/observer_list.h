// Observers told of an event while observers may come and go.
//
// Telling one observer may add or remove others (itself included), or destroy
// them. The walk goes over the list as it was when the event began and tells
// each entry only if it is still listed when its turn comes: nobody is
// skipped, told twice, or told after it left.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace census {

template <typename T>
class ObserverList {
public:
    void Add(T observer) { observers_.push_back(std::move(observer)); }
    // Takes out the first entry equal to observer.
    void RemoveFirst(const T& observer) {
        auto it = std::find(observers_.begin(), observers_.end(), observer);
        if (it != observers_.end()) observers_.erase(it);
    }
    // Takes out every entry equal to observer.
    void RemoveAll(const T& observer) {
        observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
    }
    void Clear() { observers_.clear(); }
    bool Contains(const T& observer) const {
        return std::find(observers_.begin(), observers_.end(), observer) != observers_.end();
    }
    std::size_t Size() const { return observers_.size(); }
    bool Empty() const { return observers_.empty(); }

    // Calls tell(observer) for each entry as described above.
    template <typename Tell>
    void ForEach(Tell tell) const {
        ForEach(tell, [](const T&) { return false; });
    }
    // The same, the entries for which first holds told before the others.
    template <typename Tell, typename First>
    void ForEach(Tell tell, First first) const {
        std::vector<T> snapshot = observers_;
        std::stable_partition(snapshot.begin(), snapshot.end(), first);
        for (const T& observer : snapshot)
            if (Contains(observer)) tell(observer);
    }

private:
    std::vector<T> observers_;
};

}  // namespace census
