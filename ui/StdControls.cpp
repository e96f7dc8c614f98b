#include "ui/StdControls.h"

#include <algorithm>

#include "ui/Form.h"

namespace qb::ui {

QB_CLASS_INFO(StdControl, WinControl) {}
QB_CLASS_INFO(Label, StdControl) {
    Published<Label>(info).String("Caption", &Control::GetText, &Control::SetText);
}
QB_CLASS_INFO(Button, StdControl) {
    Published<Button>(info)
        .String("Caption", &Control::GetText, &Control::SetText)
        .Integer("ModalResult", &Button::ModalResult, &Button::SetModalResult);
}
QB_CLASS_INFO(CheckBox, StdControl) {
    Published<CheckBox>(info)
        .String("Caption", &Control::GetText, &Control::SetText)
        .Boolean("Checked", &CheckBox::GetChecked, &CheckBox::SetChecked);
}
QB_CLASS_INFO(RadioButton, CheckBox) {}
QB_CLASS_INFO(Edit, StdControl) {
    Published<Edit>(info)
        .String("Text", &Control::GetText, &Control::SetText)
        .Integer("MaxLength", &Edit::MaxLength, &Edit::SetMaxLength);
}
QB_CLASS_INFO(Memo, StdControl) {
    Published<Memo>(info).Object("Lines", &Memo::Lines);
}
QB_CLASS_INFO(ListControl, StdControl) {
    Published<ListControl>(info)
        .Object("Items", &ListControl::Items)
        .Integer("ItemIndex", &ListControl::ItemIndex, &ListControl::SetItemIndex);
}
QB_CLASS_INFO(ListBox, ListControl) {
    Published<ListBox>(info).Boolean("MultiSelect", &ListBox::MultiSelect, &ListBox::SetMultiSelect);
}
QB_CLASS_INFO(ComboBox, ListControl) {
    Published<ComboBox>(info).String("Text", &Control::GetText, &Control::SetText);
}
QB_CLASS_INFO(Panel, StdControl) {
    Published<Panel>(info)
        .String("Caption", &Control::GetText, &Control::SetText)
        .Enumeration("BevelOuter", &Panel::BevelOuter, &Panel::SetBevelOuter, {"bvNone", "bvLowered", "bvRaised"});
}
QB_CLASS_INFO(GroupBox, StdControl) {
    Published<GroupBox>(info).String("Caption", &Control::GetText, &Control::SetText);
}
QB_CLASS_INFO(RadioGroup, GroupBox) {
    Published<RadioGroup>(info)
        .Object("Items", &RadioGroup::Items)
        .Integer("ItemIndex", &RadioGroup::ItemIndex, &RadioGroup::SetItemIndex);
}
QB_CLASS_INFO(TabControl, StdControl) {
    Published<TabControl>(info)
        .Object("Tabs", &TabControl::Tabs)
        .Integer("TabIndex", &TabControl::TabIndex, &TabControl::SetTabIndex);
}
QB_CLASS_INFO(TabSheet, Panel) {}
QB_CLASS_INFO(PageControl, Panel) {
    Published<PageControl>(info).Integer("ActivePageIndex", &PageControl::ActivePageIndex, &PageControl::SetActivePageIndex);
}
QB_CLASS_INFO(ProgressBar, StdControl) {
    Published<ProgressBar>(info)
        .Integer("Min", &ProgressBar::Min, &ProgressBar::SetMin)
        .Integer("Max", &ProgressBar::Max, &ProgressBar::SetMax)
        .Integer("Position", &ProgressBar::Position, &ProgressBar::SetPosition)
        .Integer("Step", &ProgressBar::Step, &ProgressBar::SetStep);
}

void StdControl::FromPeer(PeerEvent e, int value, const std::string& text) {
    switch (e) {
        case PeerEvent::Clicked: Click(); break;
        case PeerEvent::TextEdited:
            SetText(text);
            if (OnChange) OnChange(*this);
            break;
        case PeerEvent::SelectionChanged: break;
    }
}

void Button::Click() {
    // A button with a modal result closes its modal window with that result.
    if (modalResult_ != 0)
        for (Control* c = this; c; c = c->Parent())
            if (auto* f = dynamic_cast<Form*>(c)) {
                f->SetModalResult(modalResult_);
                break;
            }
    StdControl::Click();
}

void CheckBox::SetChecked(bool v) {
    if (v == checked_) return;
    checked_ = v;
    Notify(Change::State);
    if (OnChange) OnChange(*this);
}

void CheckBox::FromPeer(PeerEvent e, int value, const std::string& text) {
    if (e == PeerEvent::Clicked) SetChecked(value != 0);
    StdControl::FromPeer(e, value, text);
}

void RadioButton::FromPeer(PeerEvent e, int value, const std::string& text) {
    if (e == PeerEvent::Clicked) {
        // Checking one radio button clears its siblings.
        SetChecked(true);
        if (Parent())
            for (auto* c : Parent()->Children())
                if (auto* r = dynamic_cast<RadioButton*>(c); r && r != this) r->SetChecked(false);
    }
    CheckBox::FromPeer(e, value, text);
}

Memo::Memo() {
    SetBounds(0, 0, 185, 89);
    lines_.OnChange = [this] { Notify(Change::Items); };
}

void Memo::FromPeer(PeerEvent e, int value, const std::string& text) {
    if (e == PeerEvent::TextEdited) {
        auto keep = std::move(lines_.OnChange);
        lines_.SetText(text);
        lines_.OnChange = std::move(keep);
        if (OnChange) OnChange(*this);
        return;
    }
    StdControl::FromPeer(e, value, text);
}

ListControl::ListControl() {
    SetBounds(0, 0, 121, 97);
    items_.OnChange = [this] {
        if (itemIndex_ >= items_.Count()) itemIndex_ = -1;
        Notify(Change::Items);
    };
}

void ListControl::SetItemIndex(int i) {
    if (i < -1 || i >= items_.Count()) i = -1;
    if (i == itemIndex_) return;
    itemIndex_ = i;
    if (Kind() == WindowKind::ComboBox) SetText(i >= 0 ? items_[i] : std::string());
    Notify(Change::State);
}

void ListControl::FromPeer(PeerEvent e, int value, const std::string& text) {
    if (e == PeerEvent::SelectionChanged) {
        itemIndex_ = (value >= 0 && value < items_.Count()) ? value : -1;
        if (Kind() == WindowKind::ComboBox && itemIndex_ >= 0) SetText(items_[itemIndex_]);
        if (OnChange) OnChange(*this);
        return;
    }
    StdControl::FromPeer(e, value, text);
}

ListBox::ListBox() {
    auto base = std::move(Items().OnChange);
    Items().OnChange = [this, base] {
        selected_.resize(Items().Count());
        base();
    };
}

void ListBox::SetSelected(int i, bool v) {
    if (i < 0 || i >= Items().Count()) return;
    selected_.resize(Items().Count());
    if (!multiSelect_ && v) selected_.assign(selected_.size(), false);
    selected_[i] = v;
    if (!multiSelect_) SetItemIndex(v ? i : -1);
    Notify(Change::State);
}

int ListBox::SelCount() const {
    if (!multiSelect_) return ItemIndex() >= 0 ? 1 : 0;
    int n = 0;
    for (bool b : selected_) n += b;
    return n;
}

void ListBox::SelectionFromPeer(const std::vector<int>& selected, int focused) {
    selected_.assign(Items().Count(), false);
    for (int i : selected)
        if (i >= 0 && i < (int)selected_.size()) selected_[i] = true;
    FromPeer(PeerEvent::SelectionChanged, focused, {});
}

RadioGroup::RadioGroup() {
    items_.OnChange = [this] { Rebuild(); };
}

void RadioGroup::Rebuild() {
    // Keep the buttons and change their captions when the count stays.
    while ((int)buttons_.size() > items_.Count()) buttons_.pop_back();
    while ((int)buttons_.size() < items_.Count()) {
        auto b = std::make_unique<RadioButton>();
        auto* raw = b.get();
        b->OnClick = [this, raw](Component&) {
            auto it = std::find_if(buttons_.begin(), buttons_.end(), [&](auto& p) { return p.get() == raw; });
            if (it != buttons_.end()) itemIndex_ = int(it - buttons_.begin());
            if (OnClick) OnClick(*this);
        };
        b->SetParent(this);
        buttons_.push_back(std::move(b));
    }
    for (int i = 0; i < items_.Count(); ++i) {
        buttons_[i]->SetText(items_[i]);
        buttons_[i]->SetChecked(i == itemIndex_);
    }
    if (itemIndex_ >= items_.Count()) itemIndex_ = -1;
    Arrange();
}

void RadioGroup::Arrange() {
    int n = (int)buttons_.size();
    if (n == 0) return;
    int top = 16, avail = std::max(Height() - top - 4, n);
    for (int i = 0; i < n; ++i)
        buttons_[i]->SetBounds(8, top + i * avail / n, std::max(Width() - 16, 0), std::max(avail / n, 17));
}

void RadioGroup::BoundsChanged() {
    StdControl::BoundsChanged();
    Arrange();
}

void RadioGroup::SetItemIndex(int i) {
    if (i < -1 || i >= items_.Count()) i = -1;
    itemIndex_ = i;
    for (int k = 0; k < (int)buttons_.size(); ++k) buttons_[k]->SetChecked(k == i);
}

void ProgressBar::SetPosition(int v) {
    v = std::clamp(v, min_, std::max(min_, max_));
    if (v == pos_) return;
    pos_ = v;
    Notify(Change::State);
}

void ProgressBar::StepIt() {
    int v = pos_ + step_;
    // The bar wraps to its start once it runs past the end.
    if (v > max_) v = min_;
    SetPosition(v);
}

}  // namespace qb::ui

namespace qb::ui {

TabControl::TabControl() {
    SetBounds(0, 0, 289, 193);
    tabs_.OnChange = [this] {
        if (tabIndex_ >= tabs_.Count()) tabIndex_ = tabs_.Count() - 1;
        if (tabIndex_ < 0 && tabs_.Count() > 0) tabIndex_ = 0;
        Notify(Change::Items);
    };
}

void TabControl::SetTabIndex(int i) {
    if (i < -1 || i >= tabs_.Count()) return;
    tabIndex_ = i;
    Notify(Change::State);
}

void TabControl::FromPeer(PeerEvent e, int value, const std::string& text) {
    if (e == PeerEvent::SelectionChanged) {
        if (value >= 0 && value < tabs_.Count()) tabIndex_ = value;
        if (OnChange) OnChange(*this);
        return;
    }
    StdControl::FromPeer(e, value, text);
}

int PageControl::PageCount() const {
    int n = 0;
    for (auto* c : Children()) n += dynamic_cast<TabSheet*>(c) != nullptr;
    return n;
}

TabSheet* PageControl::Page(int i) const {
    for (auto* c : Children())
        if (auto* t = dynamic_cast<TabSheet*>(c); t && i-- == 0) return t;
    return nullptr;
}

void PageControl::SetActivePageIndex(int i) {
    if (!Page(i)) return;
    active_ = i;
    for (int k = 0; k < PageCount(); ++k) {
        TabSheet* p = Page(k);
        p->SetBounds(0, 0, Width(), Height());
        p->SetVisible(k == i);
    }
}

void PageControl::BoundsChanged() {
    Panel::BoundsChanged();
    for (int k = 0; k < PageCount(); ++k) Page(k)->SetBounds(0, 0, Width(), Height());
}

void Panel::SetBevelOuter(PanelBevel b) {
    if (b == bevelOuter_) return;
    bevelOuter_ = b;
    Notify(Change::Color);  // a repaint of the whole panel
}

}  // namespace qb::ui
