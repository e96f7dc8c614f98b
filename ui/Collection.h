#pragma once
#include <functional>
#include <memory>
#include <vector>

#include "ui/Persistent.h"

namespace qb::ui {

class Collection;

// One item of a collection; subclasses publish the item's properties
// (a status-bar panel's Text, a list column's Caption).
class CollectionItem : public Persistent {
    QB_CLASS(CollectionItem)
public:
    virtual ~CollectionItem() = default;
    Collection* Owner() const { return owner_; }

private:
    friend class Collection;
    Collection* owner_ = nullptr;
};

// An owned, ordered list of items of one class.
class Collection : public Persistent {
    QB_CLASS(Collection)
public:
    using Factory = std::function<std::unique_ptr<CollectionItem>()>;
    explicit Collection(Factory make) : make_(std::move(make)) {}

    int Count() const { return (int)items_.size(); }
    // Throws qb::Exception "List index out of bounds (i)" outside the list.
    CollectionItem& Item(int i) const;
    CollectionItem& Add();
    void Delete(int i);
    void Clear();

    std::function<void()> OnChange;
    void Changed() {
        if (OnChange) OnChange();
    }

private:
    Factory make_;
    std::vector<std::unique_ptr<CollectionItem>> items_;
};

}  // namespace qb::ui
