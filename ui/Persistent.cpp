#include "ui/Persistent.h"

#include "ui/Text.h"

namespace qb::ui {

bool ClassInfo::InheritsFrom(const ClassInfo& other) const {
    for (auto* c = this; c; c = c->parent_)
        if (c == &other) return true;
    return false;
}

const PropInfo* ClassInfo::Find(std::string_view name) const {
    for (auto* c = this; c; c = c->parent_)
        for (auto& p : c->props_)
            if (SameText(p.name, name)) return &p;
    return nullptr;
}

const ClassInfo& Persistent::StaticClass() {
    static const ClassInfo info("TPersistent", nullptr);
    return info;
}

}  // namespace qb::ui
