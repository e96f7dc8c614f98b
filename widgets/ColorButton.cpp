#include "widgets/ColorButton.h"

#include "ui/Backend.h"

namespace qb {

using namespace ui;

QB_CLASS_INFO(TColorButton, ui::GraphicControl) {
    Published<TColorButton>(info)
        .Integer("ActiveColor", &TColorButton::ActiveColor, &TColorButton::SetActiveColor)
        .Integer("NormalColor", &TColorButton::NormalColor, &TColorButton::SetNormalColor)
        .String("NormalColorText", &TColorButton::NormalColorText, &TColorButton::SetNormalColorText)
        .String("CustomColorText", &TColorButton::CustomColorText, &TColorButton::SetCustomColorText);
}

TColorButton::TColorButton() {
    SetBounds(0, 0, 60, 22);
    menu_ = &Make<PopupMenu>("Menu");
    normalItem_ = &Make<MenuItem>("NormalItem");
    normalItem_->SetCaption("Normal Color");
    normalItem_->OnClick = [this](Component&) { PickNormal(); };
    customItem_ = &Make<MenuItem>("CustomItem");
    customItem_->SetCaption("Custom Color...");
    customItem_->OnClick = [this](Component&) { PickCustom(); };
    menu_->Root().Add(*normalItem_);
    menu_->Root().Add(*customItem_);
    dialog_ = &Make<ColorDialog>("Dialog");
}

void TColorButton::SetActiveColor(uint32_t c) {
    c &= 0xFFFFFF;
    if (c == color_) return;
    color_ = c;
    Invalidate();
}

void TColorButton::Picked(uint32_t c) {
    SetActiveColor(c);
    if (OnChange) OnChange(*this);
}

void TColorButton::PickNormal() { Picked(normal_); }

void TColorButton::PickCustom() {
    dialog_->SetColor(color_);
    if (dialog_->Execute()) Picked(dialog_->Color());
}

void TColorButton::DropDown() {
    int x = 0, y = Height();
    ClientToScreen(x, y);
    menu_->Popup(x, y);
    // The menu took the release; what is still queued was meant for it.
    DiscardQueuedMouseMessages();
}

void TColorButton::MouseDown(MouseButton b, int, int) {
    if (b == MouseButton::Left && Enabled()) DropDown();
}

void TColorButton::MouseEnter() {
    hot_ = true;
    Invalidate();
}

void TColorButton::MouseLeave() {
    hot_ = false;
    Invalidate();
}

void TColorButton::Paint(Canvas& c) {
    const int W = Width(), H = Height();
    c.FillRect({0, 0, W, H}, clBtnFace);
    c.Bevel({0, 0, W, H}, clBtnHighlight, clBtnShadow, 1);
    if (hot_) c.Bevel({1, 1, W - 1, H - 1}, clBtnHighlight, clBtnShadow, 1);
    // The swatch on the left, the drop-down arrow on the right.
    const int arrow = 12;
    const Color frame = Enabled() ? clBlack : clBtnShadow;
    const Color fill = color_;
    c.Rectangle({4, 4, W - arrow - 4, H - 4}, frame, 1, &fill);
    const int ax = W - arrow - 1, ay = H / 2 - 1;
    for (int i = 0; i < 4; ++i) c.FillRect({ax + i, ay + i, ax + 7 - i, ay + i + 1}, frame);
}

}  // namespace qb
