#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/Persistent.h"

namespace qb::ui {

class Component;
using NotifyEvent = std::function<void(Component& sender)>;

// A named object with an owner. The owner owns its components and frees them,
// last created first, when it is freed itself. While a window's design data
// is applied its components are in the loading state; Loaded() follows.
class Component : public Persistent {
    QB_CLASS(Component)
public:
    Component() = default;
    ~Component() override;
    Component(const Component&) = delete;
    Component& operator=(const Component&) = delete;

    const std::string& Name() const { return name_; }
    void SetName(const std::string& name) { name_ = name; }
    Component* Owner() const { return owner_; }

    // Creates a component owned by this one, with its design name.
    template <class T, class... Args>
    T& Make(std::string name, Args&&... args) {
        auto c = std::make_unique<T>(std::forward<Args>(args)...);
        T& ref = *c;
        Insert(std::move(c), std::move(name));
        return ref;
    }
    // Takes over a component made elsewhere.
    Component& Insert(std::unique_ptr<Component> c, std::string name);
    // Frees one of the owned components now.
    void Destroy(Component& c);

    int ComponentCount() const { return (int)components_.size(); }
    Component& ComponentAt(int i) const { return *components_.at(i); }
    // Case-insensitive; null when no owned component has that name.
    Component* FindComponent(std::string_view name) const;

    bool Loading() const { return loading_; }
    bool Designing() const { return designing_; }
    void SetDesigning(bool d) { designing_ = d; }
    bool Destroying() const { return destroying_; }

    // Marks this component and all it owns as loading; EndLoading clears the
    // mark and runs Loaded() for each owned component, then for this one.
    void BeginLoading();
    void EndLoading();

    // Asks to be told (Notification) when `other` is freed.
    void FreeNotification(Component& other);
    void RemoveFreeNotification(Component& other);

protected:
    virtual void Loaded() {}
    // `c` is about to be freed: drop every reference to it.
    virtual void Notification(Component& /*c*/) {}
    // Frees the owned components, last first. Windows call it early in their
    // destructor so that child controls go while the window still exists.
    void DestroyComponents();

private:
    std::string name_;
    Component* owner_ = nullptr;
    std::vector<std::unique_ptr<Component>> components_;
    std::vector<Component*> notify_;
    bool loading_ = false, designing_ = false, destroying_ = false;
};

}  // namespace qb::ui
