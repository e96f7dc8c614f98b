#include "ui/Control.h"

#include <algorithm>

#include "ui/Backend.h"

namespace qb::ui {

QB_CLASS_INFO(Control, Component) {
    Published<Control>(info)
        .String("Hint", &Control::Hint, &Control::SetHint)
        .Object("Font", static_cast<Font& (Control::*)()>(&Control::GetFont))
        .Boolean("ParentFont", &Control::ParentFont, &Control::SetParentFont)
        .Integer("Left", &Control::Left, &Control::SetLeft)
        .Integer("Top", &Control::Top, &Control::SetTop)
        .Integer("Width", &Control::Width, &Control::SetWidth)
        .Integer("Height", &Control::Height, &Control::SetHeight)
        .Boolean("Visible", &Control::Visible, &Control::SetVisible)
        .Boolean("Enabled", &Control::Enabled, &Control::SetEnabled)
        .Integer("Color", &Control::GetColor, &Control::SetColor)
        .Boolean("ShowHint", &Control::ShowHint, &Control::SetShowHint)
        .Enumeration("Cursor", &Control::Cursor, &Control::SetCursor,
                     {"crDefault", "crArrow", "crHandPoint", "crIBeam", "crHourGlass", "crNone"});
}
QB_CLASS_INFO(WinControl, Control) {}
QB_CLASS_INFO(GraphicControl, Control) {}

Control::Control() {
    font_.OnChange = [this] {
        FontChanged();
        if (auto* w = dynamic_cast<WinControl*>(this))
            for (auto* child : w->children_)
                if (child->parentFont_) child->font_.Assign(font_);
    };
}

Control::~Control() {
    font_.OnChange = nullptr;
    SetParent(nullptr);
}

void Control::SetParent(WinControl* p) {
    if (p == parent_) return;
    WinControl* old = parent_;
    if (old) {
        Invalidate();
        std::erase(old->children_, this);
    }
    parent_ = p;
    // The old window forgets a windowless child's hint.
    if (old && old->peer_ && !IsWindowed()) old->peer_->UpdateChild(*this, Change::Hint);
    if (!p) {
        peer_.reset();
        return;
    }
    p->children_.push_back(this);
    if (parentFont_) font_.Assign(p->font_);
    if (auto* w = dynamic_cast<WinControl*>(this); w && p->HandleAllocated()) w->HandleNeeded();
    Invalidate();
}

void Control::SetText(const std::string& t) {
    if (t == text_) return;
    text_ = t;
    TextChanged();
}

void Control::SetHint(const std::string& h) {
    if (h == hint_) return;
    hint_ = h;
    Notify(Change::Hint);
}

void Control::SetShowHint(bool v) {
    if (v == showHint_) return;
    showHint_ = v;
    Notify(Change::Hint);
    if (auto* w = dynamic_cast<WinControl*>(this))
        for (auto* c : w->children_) c->Notify(Change::Hint);
}

bool Control::HintShown() const {
    for (const Control* c = this; c; c = c->parent_)
        if (c->showHint_) return true;
    return false;
}

void Control::SetParentFont(bool v) {
    parentFont_ = v;
    if (v && parent_) font_.Assign(parent_->font_);
}

void Control::SetBounds(int left, int top, int width, int height) {
    Rect r{left, top, left + width, top + height};
    if (r == bounds_) return;
    if (!IsWindowed()) Invalidate();
    bounds_ = r;
    BoundsChanged();
    if (!IsWindowed() && parent_ && parent_->peer_) parent_->peer_->UpdateChild(*this, Change::Bounds);
}

void Control::SetVisible(bool v) {
    if (v == visible_) return;
    visible_ = v;
    if (IsWindowed()) Notify(Change::Visible);
    else if (auto* p = Peer()) p->Invalidate(&bounds_, false);
}

void Control::SetEnabled(bool v) {
    if (v == enabled_) return;
    enabled_ = v;
    EnabledChanged();
}

void Control::SetColor(Color c) {
    if (c == color_) return;
    color_ = c;
    Notify(Change::Color);
}

ControlPeer* Control::Peer() const {
    if (IsWindowed()) return peer_.get();
    return parent_ ? parent_->peer_.get() : nullptr;
}

void Control::Notify(Change c) {
    if (IsWindowed()) {
        if (peer_) peer_->Update(c);
    } else {
        if (c != Change::Hint) Invalidate();
        if (parent_ && parent_->peer_) parent_->peer_->UpdateChild(*this, c);
    }
}

void Control::Invalidate(bool now) {
    if (IsWindowed()) {
        if (peer_) peer_->Invalidate(nullptr, now);
    } else if (parent_ && parent_->peer_) {
        parent_->peer_->Invalidate(&bounds_, now);
    }
}

void Control::ClientToScreen(int& x, int& y) const {
    const Control* c = this;
    while (c && !(c->IsWindowed() && c->peer_)) {
        if (!c->Parent()) return;
        x += c->Left();
        y += c->Top();
        c = c->Parent();
    }
    if (c) c->peer_->ClientToScreen(x, y);
}

WinControl::~WinControl() {
    for (auto* c : children_) c->parent_ = nullptr;
    children_.clear();
}

void WinControl::HandleNeeded() {
    if (peer_) return;
    if (Parent() && !Parent()->HandleAllocated()) {
        Parent()->HandleNeeded();
        if (peer_) return;  // made while the parent made its children
    }
    peer_ = CreatePeer(*this);
    if (!peer_) return;
    for (auto* c : std::vector<Control*>(children_))
        if (auto* w = dynamic_cast<WinControl*>(c)) w->HandleNeeded();
}

Control* WinControl::GraphicChildAt(int x, int y) const {
    for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
        Control* c = *it;
        if (!c->IsWindowed() && c->Visible() && c->BoundsRect().Contains(x, y)) return c;
    }
    return nullptr;
}

bool WinControl::BroadcastDialogChar(char ch) {
    if (DialogChar(ch)) return true;
    for (auto* c : std::vector<Control*>(children_)) {
        if (!c->Visible()) continue;
        if (auto* w = dynamic_cast<WinControl*>(c)) {
            if (w->BroadcastDialogChar(ch)) return true;
        } else if (c->DialogChar(ch)) {
            return true;
        }
    }
    return false;
}

void GraphicControl::FontChanged() { Invalidate(); }

void GraphicControl::DispatchMouseDown(MouseButton b, int x, int y) {
    if (b == MouseButton::Left) clicked_ = true;
    MouseDown(b, x, y);
}

void GraphicControl::DispatchMouseUp(MouseButton b, int x, int y) {
    if (b == MouseButton::Left && clicked_) {
        clicked_ = false;
        if (ClientRect().Contains(x, y)) Click();
    }
    MouseUp(b, x, y);
}

}  // namespace qb::ui
