#pragma once
#include <vector>

#include "ui/Component.h"

namespace qb::ui {

// One entry of a menu; "-" as caption makes a separator.
class MenuItem : public Component {
    QB_CLASS(MenuItem)
public:
    ~MenuItem() override;
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& c);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);
    const std::string& ShortCut() const { return shortCut_; }  // shown right of the caption ("F1")
    void SetShortCut(const std::string& s) { shortCut_ = s; }
    void Add(MenuItem& child);
    const std::vector<MenuItem*>& Items() const { return items_; }
    MenuItem* ParentItem() const { return parent_; }
    NotifyEvent OnClick;
    void Click() {
        if (OnClick) OnClick(*this);
    }
    // Told when a caption or state changes, so a shown menu is rebuilt.
    std::function<void()> OnChange;

private:
    void Changed();
    std::string caption_, shortCut_;
    bool enabled_ = true;
    std::vector<MenuItem*> items_;
    MenuItem* parent_ = nullptr;
};

// The menu bar of a form, or a menu that pops up at a point.
class Menu : public Component {
    QB_CLASS(Menu)
public:
    MenuItem& Root() { return root_; }
    const MenuItem& Root() const { return root_; }

private:
    MenuItem root_;
};

class MainMenu : public Menu {
    QB_CLASS(MainMenu)
};

class PopupMenu : public Menu {
    QB_CLASS(PopupMenu)
public:
    // Shows the menu with its top-left corner at the screen point and returns
    // once it has closed (after running the chosen item's OnClick).
    void Popup(int screenX, int screenY);
    int PopupCount() const { return popups_; }

private:
    int popups_ = 0;
};

// Window-system side of Popup: returns the chosen item or null.
MenuItem* TrackPopup(PopupMenu& menu, int screenX, int screenY);

}  // namespace qb::ui
