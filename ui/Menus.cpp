#include "ui/Menus.h"

#include <algorithm>

namespace qb::ui {

QB_CLASS_INFO(MenuItem, Component) {
    Published<MenuItem>(info)
        .String("Caption", &MenuItem::Caption, &MenuItem::SetCaption)
        .Boolean("Enabled", &MenuItem::Enabled, &MenuItem::SetEnabled);
}
QB_CLASS_INFO(Menu, Component) {}
QB_CLASS_INFO(MainMenu, Menu) {}
QB_CLASS_INFO(PopupMenu, Menu) {}

MenuItem::~MenuItem() {
    if (parent_) std::erase(parent_->items_, this);
    for (auto* c : items_) c->parent_ = nullptr;
}

void MenuItem::Changed() {
    for (MenuItem* m = this; m; m = m->parent_)
        if (m->OnChange) {
            m->OnChange();
            return;
        }
}

void MenuItem::SetCaption(const std::string& c) {
    if (c == caption_) return;
    caption_ = c;
    Changed();
}

void MenuItem::SetEnabled(bool v) {
    if (v == enabled_) return;
    enabled_ = v;
    Changed();
}

void MenuItem::Add(MenuItem& child) {
    if (child.parent_) std::erase(child.parent_->items_, &child);
    child.parent_ = this;
    items_.push_back(&child);
    Changed();
}

void PopupMenu::Popup(int x, int y) {
    ++popups_;
    if (MenuItem* chosen = TrackPopup(*this, x, y)) chosen->Click();
}

}  // namespace qb::ui
