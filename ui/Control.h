#pragma once
#include <memory>
#include <string>
#include <vector>

#include "ui/Canvas.h"
#include "ui/Component.h"
#include "ui/Font.h"

namespace qb::ui {

class WinControl;
class Control;

// What changed in a control, for the window that shows it.
enum class Change { Text, Font, Bounds, Visible, Enabled, Items, State, Color, Hint };

// The window system's side of a windowed control (an HWND on Windows; none
// when the toolkit runs headless in native tests).
class ControlPeer {
public:
    virtual ~ControlPeer() = default;
    virtual void Update(Change what) = 0;
    // Repaint part of the client area (null: all of it), at once or later.
    virtual void Invalidate(const Rect* r, bool now) = 0;
    virtual void SetFocus() = 0;
    // A windowless child of this window changed (its hint, bounds...).
    virtual void UpdateChild(Control& /*child*/, Change /*what*/) {}
    // Client coordinates of this window to screen coordinates.
    virtual void ClientToScreen(int& x, int& y) = 0;
    // The window system's handle (an HWND), for windows of other kinds made
    // inside this one; null in the headless backend.
    virtual void* NativeHandle() const { return nullptr; }
};

enum class MouseButton { Left, Right, Middle };
// The mouse pointer's shape over a control.
enum TCursor { crDefault, crArrow, crHandPoint, crIBeam, crHourGlass, crNone };

// A visible component with a parent, bounds, a caption, a hint and a font
// that follows the parent's font while ParentFont is set.
class Control : public Component {
    QB_CLASS(Control)
public:
    Control();
    ~Control() override;

    WinControl* Parent() const { return parent_; }
    void SetParent(WinControl* p);
    virtual bool IsWindowed() const { return false; }

    // Caption or Text, whichever the class publishes.
    const std::string& GetText() const { return text_; }
    void SetText(const std::string& t);
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& h);

    Font& GetFont() { return font_; }
    const Font& GetFont() const { return font_; }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool v);

    int Left() const { return bounds_.left; }
    int Top() const { return bounds_.top; }
    int Width() const { return bounds_.Width(); }
    int Height() const { return bounds_.Height(); }
    void SetLeft(int v) { SetBounds(v, Top(), Width(), Height()); }
    void SetTop(int v) { SetBounds(Left(), v, Width(), Height()); }
    void SetWidth(int v) { SetBounds(Left(), Top(), v, Height()); }
    void SetHeight(int v) { SetBounds(Left(), Top(), Width(), v); }
    void SetBounds(int left, int top, int width, int height);
    Rect BoundsRect() const { return bounds_; }
    Rect ClientRect() const { return {0, 0, Width(), Height()}; }

    bool Visible() const { return visible_; }
    void SetVisible(bool v);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);
    Color GetColor() const { return color_; }
    void SetColor(Color c);
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor c) { cursor_ = c; }
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool v);
    // The hint shows when this control or one of its parents says ShowHint.
    bool HintShown() const;

    NotifyEvent OnClick;
    virtual void Click() {
        if (OnClick) OnClick(*this);
    }
    // Offered Alt+letter (or a letter the focused control ignores); true when taken.
    virtual bool DialogChar(char ch) { return false; }

    // The window that shows this control: its own, or its parent's for a
    // windowless control. Null while headless or not yet shown.
    ControlPeer* Peer() const;
    void Invalidate(bool now = false);
    // A point of this control in screen coordinates (headless: relative to
    // the topmost parent).
    void ClientToScreen(int& x, int& y) const;

protected:
    virtual void TextChanged() { Notify(Change::Text); }
    virtual void FontChanged() { Notify(Change::Font); }
    virtual void EnabledChanged() { Notify(Change::Enabled); }
    virtual void BoundsChanged() { Notify(Change::Bounds); }
    void Notify(Change c);
    void ParentFontChanged();
    friend class WinControl;

    std::unique_ptr<ControlPeer> peer_;

private:
    WinControl* parent_ = nullptr;
    std::string text_, hint_;
    Font font_;
    bool parentFont_ = true, visible_ = true, enabled_ = true, showHint_ = false;
    Rect bounds_{0, 0, 0, 0};
    Color color_ = clBtnFace;
    TCursor cursor_ = crDefault;
};

// A control with a window of its own that can hold child controls, kept in
// the order they were put on it.
class WinControl : public Control {
    QB_CLASS(WinControl)
public:
    ~WinControl() override;
    bool IsWindowed() const override { return true; }
    int ControlCount() const { return (int)children_.size(); }
    Control& ControlAt(int i) const { return *children_.at(i); }
    const std::vector<Control*>& Children() const { return children_; }

    // Makes the window (and its children's) if it has none yet.
    void HandleNeeded();
    bool HandleAllocated() const { return peer_ != nullptr; }
    void SetFocus() {
        if (peer_) peer_->SetFocus();
    }
    // The windowless child under a client point, topmost first.
    Control* GraphicChildAt(int x, int y) const;
    // Offers a dialog character to this control and every descendant.
    bool BroadcastDialogChar(char ch);

protected:
    void DestroyHandle() { peer_.reset(); }

private:
    friend class Control;
    std::vector<Control*> children_;
};

// A control without a window: it paints on its parent and gets the mouse
// messages of its area from the parent.
class GraphicControl : public Control {
    QB_CLASS(GraphicControl)
public:
    virtual void Paint(Canvas& canvas) {}
    // Mouse entry points, in control coordinates; they do the click detection
    // (left button released inside after being pressed) and call the handlers.
    void DispatchMouseDown(MouseButton b, int x, int y);
    void DispatchMouseMove(int x, int y) { MouseMove(x, y); }
    void DispatchMouseUp(MouseButton b, int x, int y);
    virtual void MouseEnter() {}
    virtual void MouseLeave() {}

protected:
    virtual void MouseDown(MouseButton b, int x, int y) {}
    virtual void MouseMove(int x, int y) {}
    virtual void MouseUp(MouseButton b, int x, int y) {}
    // Forget a pending click (its release was taken by someone else).
    void CancelClick() { clicked_ = false; }
    void FontChanged() override;
    void TextChanged() override { Invalidate(); }
    void EnabledChanged() override { Invalidate(); }

private:
    bool clicked_ = false;
};

}  // namespace qb::ui
