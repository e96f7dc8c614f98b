#pragma once
#include <cstdint>
#include <string>

#include "ui/Control.h"
#include "ui/Dialogs.h"
#include "ui/Menus.h"

namespace qb {

// A button that shows a colour and drops down a choice: the normal colour,
// or any colour through the system's colour dialog. The colour is held in
// the window system's byte order (0x00BBGGRR). OnChange is raised only when
// the user picks a colour, never when code sets one.
class TColorButton : public ui::GraphicControl {
    QB_CLASS(TColorButton)
public:
    TColorButton();

    uint32_t ActiveColor() const { return color_; }
    void SetActiveColor(uint32_t c);
    uint32_t NormalColor() const { return normal_; }
    void SetNormalColor(uint32_t c) { normal_ = c; }
    const std::string& NormalColorText() const { return normalItem_->Caption(); }
    void SetNormalColorText(const std::string& t) { normalItem_->SetCaption(t); }
    const std::string& CustomColorText() const { return customItem_->Caption(); }
    void SetCustomColorText(const std::string& t) { customItem_->SetCaption(t); }

    ui::NotifyEvent OnChange;

    // The two choices of the drop-down, as a click on them runs them.
    void PickNormal();
    void PickCustom();
    // Drops the choice down below the button.
    void DropDown();

    void Paint(ui::Canvas& canvas) override;
    void MouseEnter() override;
    void MouseLeave() override;

protected:
    void MouseDown(ui::MouseButton b, int x, int y) override;

private:
    void Picked(uint32_t c);
    uint32_t color_ = 0xFFFFFF, normal_ = 0xFFFFFF;
    bool hot_ = false;
    ui::PopupMenu* menu_ = nullptr;
    ui::MenuItem* normalItem_ = nullptr;
    ui::MenuItem* customItem_ = nullptr;
    ui::ColorDialog* dialog_ = nullptr;
};

}  // namespace qb
