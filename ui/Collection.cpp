#include "ui/Collection.h"

#include "app/Errors.h"

namespace qb::ui {

QB_CLASS_INFO(CollectionItem, Persistent) {}
QB_CLASS_INFO(Collection, Persistent) {}

CollectionItem& Collection::Item(int i) const {
    if (i < 0 || i >= Count()) throw Exception("List index out of bounds (" + std::to_string(i) + ")");
    return *items_[i];
}

CollectionItem& Collection::Add() {
    items_.push_back(make_());
    items_.back()->owner_ = this;
    Changed();
    return *items_.back();
}

void Collection::Delete(int i) {
    Item(i);
    items_.erase(items_.begin() + i);
    Changed();
}

void Collection::Clear() {
    items_.clear();
    Changed();
}

}  // namespace qb::ui
