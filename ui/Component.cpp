#include "ui/Component.h"

#include <algorithm>

#include "ui/Text.h"

namespace qb::ui {

QB_CLASS_INFO(Component, Persistent) {
    Published<Component>(info).String("Name", &Component::Name, &Component::SetName);
}

Component::~Component() {
    destroying_ = true;
    DestroyComponents();
    // Everyone holding a reference to this component lets go of it.
    auto listeners = std::move(notify_);
    for (auto* l : listeners) {
        std::erase(l->notify_, this);
        l->Notification(*this);
    }
    if (owner_)
        for (auto& sibling : owner_->components_)
            if (sibling && sibling.get() != this) sibling->Notification(*this);
}

Component& Component::Insert(std::unique_ptr<Component> c, std::string name) {
    c->name_ = std::move(name);
    c->owner_ = this;
    if (loading_) c->loading_ = true;
    components_.push_back(std::move(c));
    return *components_.back();
}

void Component::Destroy(Component& c) {
    auto it = std::find_if(components_.begin(), components_.end(), [&](auto& p) { return p.get() == &c; });
    if (it == components_.end()) return;
    // Destroy while still listed, so the siblings hear of it; then unlist.
    std::unique_ptr<Component> doomed = std::move(*it);
    doomed.reset();
    auto slot = std::find(components_.begin(), components_.end(), nullptr);
    if (slot != components_.end()) components_.erase(slot);
}

void Component::DestroyComponents() {
    while (!components_.empty()) {
        Component& last = *components_.back();
        Destroy(last);
    }
}

Component* Component::FindComponent(std::string_view name) const {
    if (name.empty()) return nullptr;
    for (auto& c : components_)
        if (c && SameText(c->name_, name)) return c.get();
    return nullptr;
}

void Component::BeginLoading() {
    loading_ = true;
    for (auto& c : components_) c->loading_ = true;
}

void Component::EndLoading() {
    loading_ = false;
    for (auto& c : components_) c->loading_ = false;
    for (size_t i = 0; i < components_.size(); ++i) components_[i]->Loaded();
    Loaded();
}

void Component::FreeNotification(Component& other) {
    if (&other == this) return;
    if (std::find(other.notify_.begin(), other.notify_.end(), this) == other.notify_.end())
        other.notify_.push_back(this);
    if (std::find(notify_.begin(), notify_.end(), &other) == notify_.end()) notify_.push_back(&other);
}

void Component::RemoveFreeNotification(Component& other) {
    std::erase(other.notify_, this);
    std::erase(notify_, &other);
}

}  // namespace qb::ui
