#pragma once
#include <string>
#include <vector>

#include "ui/Control.h"
#include "ui/Peer.h"
#include "ui/Strings.h"

namespace qb::ui {

// Windowed control of a known window kind. The window reads the control's
// state through the accessors below and reports the user's doing through
// FromPeer.
class StdControl : public WinControl {
    QB_CLASS(StdControl)
public:
    virtual WindowKind Kind() const = 0;
    virtual const Strings* ItemList() const { return nullptr; }
    virtual int State() const { return 0; }  // checked, selected index, position
    virtual void FromPeer(PeerEvent e, int value, const std::string& text);
    NotifyEvent OnChange;
    int Checked() const { return checked_; }

protected:
    bool checked_ = false;
};

class Label : public StdControl {
    QB_CLASS(Label)
public:
    Label() { SetBounds(0, 0, 65, 13); }
    WindowKind Kind() const override { return WindowKind::Label; }
};

class Button : public StdControl {
    QB_CLASS(Button)
public:
    Button() { SetBounds(0, 0, 75, 25); }
    WindowKind Kind() const override { return WindowKind::PushButton; }
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int v) { modalResult_ = v; }
    void Click() override;

private:
    int modalResult_ = 0;
};

class CheckBox : public StdControl {
    QB_CLASS(CheckBox)
public:
    CheckBox() { SetBounds(0, 0, 97, 17); }
    WindowKind Kind() const override { return WindowKind::CheckBox; }
    bool GetChecked() const { return checked_; }
    void SetChecked(bool v);
    int State() const override { return checked_; }
    // A click of the user toggles the box (value: its new state), then OnClick.
    void FromPeer(PeerEvent e, int value, const std::string& text) override;
};

class RadioButton : public CheckBox {
    QB_CLASS(RadioButton)
public:
    WindowKind Kind() const override { return WindowKind::RadioButton; }
    void FromPeer(PeerEvent e, int value, const std::string& text) override;
};

class Edit : public StdControl {
    QB_CLASS(Edit)
public:
    Edit() { SetBounds(0, 0, 121, 21); }
    WindowKind Kind() const override { return WindowKind::Edit; }
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int v) { maxLength_ = v; }
    int State() const override { return maxLength_; }

private:
    int maxLength_ = 0;
};

class Memo : public StdControl {
    QB_CLASS(Memo)
public:
    Memo();
    WindowKind Kind() const override { return WindowKind::Memo; }
    Strings& Lines() { return lines_; }
    const Strings* ItemList() const override { return &lines_; }
    void FromPeer(PeerEvent e, int value, const std::string& text) override;

private:
    Strings lines_;
};

// List box and combo box: items with a selected index.
class ListControl : public StdControl {
    QB_CLASS(ListControl)
public:
    ListControl();
    Strings& Items() { return items_; }
    const Strings* ItemList() const override { return &items_; }
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int i);
    int State() const override { return itemIndex_; }
    void FromPeer(PeerEvent e, int value, const std::string& text) override;

private:
    Strings items_;
    int itemIndex_ = -1;
};

// With MultiSelect the user selects several entries (shift and control
// clicks); ItemIndex is then the entry with the focus.
class ListBox : public ListControl {
    QB_CLASS(ListBox)
public:
    ListBox();
    WindowKind Kind() const override { return WindowKind::ListBox; }
    bool MultiSelect() const { return multiSelect_; }
    void SetMultiSelect(bool v) { multiSelect_ = v; }
    bool Selected(int i) const { return i >= 0 && i < (int)selected_.size() && selected_[i]; }
    void SetSelected(int i, bool v);
    int SelCount() const;
    // The window's selection after the user changed it.
    void SelectionFromPeer(const std::vector<int>& selected, int focused);

private:
    bool multiSelect_ = false;
    std::vector<bool> selected_;
};

class ComboBox : public ListControl {
    QB_CLASS(ComboBox)
public:
    WindowKind Kind() const override { return WindowKind::ComboBox; }
};

enum PanelBevel { bvNone, bvLowered, bvRaised };

class Panel : public StdControl {
    QB_CLASS(Panel)
public:
    Panel() { SetBounds(0, 0, 185, 41); }
    WindowKind Kind() const override { return WindowKind::Container; }
    // The edge drawn around the panel: none (the default), sunk or raised.
    PanelBevel BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(PanelBevel b);

private:
    PanelBevel bevelOuter_ = bvNone;
};

class GroupBox : public StdControl {
    QB_CLASS(GroupBox)
public:
    GroupBox() { SetBounds(0, 0, 185, 105); }
    WindowKind Kind() const override { return WindowKind::GroupBox; }
};

// A group box whose Items become radio buttons, one per line.
class RadioGroup : public GroupBox {
    QB_CLASS(RadioGroup)
public:
    RadioGroup();
    Strings& Items() { return items_; }
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int i);
    int ButtonCount() const { return (int)buttons_.size(); }
    RadioButton& ButtonAt(int i) const { return *buttons_.at(i); }

protected:
    void BoundsChanged() override;

private:
    void Rebuild();
    void Arrange();
    Strings items_;
    std::vector<std::unique_ptr<RadioButton>> buttons_;
    int itemIndex_ = -1;
};

// A strip of tabs; choosing one raises OnChange (the window shows a page).
class TabControl : public StdControl {
    QB_CLASS(TabControl)
public:
    TabControl();
    WindowKind Kind() const override { return WindowKind::TabStrip; }
    Strings& Tabs() { return tabs_; }
    const Strings* ItemList() const override { return &tabs_; }
    int TabIndex() const { return tabIndex_; }
    void SetTabIndex(int i);
    int State() const override { return tabIndex_; }
    void FromPeer(PeerEvent e, int value, const std::string& text) override;

private:
    Strings tabs_;
    int tabIndex_ = -1;
};

class TabSheet : public Panel {
    QB_CLASS(TabSheet)
};

// Pages on top of each other; only the active one shows. Pages are the
// TabSheet children, in their order.
class PageControl : public Panel {
    QB_CLASS(PageControl)
public:
    int PageCount() const;
    TabSheet* Page(int i) const;
    int ActivePageIndex() const { return active_; }
    void SetActivePageIndex(int i);

protected:
    void BoundsChanged() override;

private:
    int active_ = -1;
};

class ProgressBar : public StdControl {
    QB_CLASS(ProgressBar)
public:
    ProgressBar() { SetBounds(0, 0, 150, 16); }
    WindowKind Kind() const override { return WindowKind::ProgressBar; }
    int Min() const { return min_; }
    int Max() const { return max_; }
    int Position() const { return pos_; }
    int Step() const { return step_; }
    void SetMin(int v) { min_ = v; Notify(Change::State); }
    void SetMax(int v) { max_ = v; Notify(Change::State); }
    void SetPosition(int v);
    void SetStep(int v) { step_ = v; }
    void StepIt();
    int State() const override { return pos_; }

private:
    int min_ = 0, max_ = 100, pos_ = 0, step_ = 10;
};

}  // namespace qb::ui
