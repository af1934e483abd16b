// Components: objects with an owner that destroys them.
//
// An owner keeps its components in creation order and destroys them in the
// reverse order. While a form is being built its components are "loading";
// when the form's construction ends each component's Loaded() runs once.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace census {

class Component {
public:
    Component() = default;
    Component(const Component&) = delete;
    Component& operator=(const Component&) = delete;
    virtual ~Component();

    Component* Owner() const { return owner_; }
    const std::wstring& Name() const { return name_; }
    void SetName(std::wstring name) { name_ = std::move(name); }

    // Creates a component owned by this one.
    template <typename T, typename... Args>
    T& Add(Args&&... args) {
        auto child = std::make_unique<T>(std::forward<Args>(args)...);
        T& ref = *child;
        Adopt(std::move(child));
        return ref;
    }
    void Adopt(std::unique_ptr<Component> child);
    // Destroys an owned component now (before its owner goes).
    void Release(Component& child);
    size_t ComponentCount() const { return components_.size(); }
    Component& ComponentAt(size_t i) const { return *components_[i]; }

    bool Loading() const { return loading_; }
    bool Destroying() const { return destroying_; }
    // Marks this component and every owned one as loading / loaded; EndLoading
    // calls StoredValuesRead() and then Loaded() on each, owned components first
    // for Loaded() but after their owner for StoredValuesRead().
    void BeginLoading();
    void EndLoading();

    // A component without a window of its own whose owner was scaled to
    // another density scales its sizes and fonts here (controls scale
    // through their parent instead).
    virtual void ScaleComponent(int new_dpi, int old_dpi) {}

protected:
    // When every stored value is in place, before any component's Loaded().
    virtual void StoredValuesRead() {}
    virtual void Loaded() {}
    // Called on the owner-side destructor path, before members go.
    void MarkDestroying() { destroying_ = true; }

private:
    Component* owner_ = nullptr;
    std::wstring name_;
    std::vector<std::unique_ptr<Component>> components_;
    bool loading_ = false;
    bool destroying_ = false;
};

}  // namespace census
