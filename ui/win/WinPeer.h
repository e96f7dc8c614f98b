#pragma once
#include <windows.h>

#include <vector>

#include "ui/Control.h"
#include "ui/win/WinText.h"

namespace qb::ui {
class Form;
class MenuItem;
}

namespace qb::ui::win {

// The window of one windowed control. Windows of our own class (forms,
// panels, group boxes) run through one window procedure that finds the peer
// stored at creation; standard controls report to their parent, which finds
// the child's peer the same way. The pointer is cleared before the window
// goes, so no late message reaches a half-destroyed object.
class WinPeer : public ControlPeer {
public:
    explicit WinPeer(WinControl& control);
    ~WinPeer() override;

    void Update(Change what) override;
    void Invalidate(const Rect* r, bool now) override;
    void UpdateChild(ui::Control& child, Change what) override;
    void SetFocus() override { ::SetFocus(hwnd_); }
    void ClientToScreen(int& x, int& y) override {
        POINT p{x, y};
        ::ClientToScreen(hwnd_, &p);
        x = p.x;
        y = p.y;
    }

    HWND Handle() const { return hwnd_; }
    void* NativeHandle() const override { return hwnd_; }
    HWND ToolTipHandle() const { return tip_; }
    WinControl& Control() const { return control_; }
    static WinPeer* FromHandle(HWND h);
    static LRESULT CALLBACK WindowProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);

    // Forms, panels and group boxes: our window class, our painting.
    bool IsOwnClass() const;
    // The menu bar of a form, rebuilt when an item changes.
    void RebuildMenu();

private:
    LRESULT OnMessage(UINT msg, WPARAM wp, LPARAM lp);
    void Command(WORD code);
    void Paint();
    void MouseMessage(UINT msg, WPARAM wp, LPARAM lp);
    void SetHot(ui::Control* c);
    void SyncAll();
    void SyncText();
    void SyncItems();
    void SyncState();
    void SyncFont();
    void SyncBounds();
    void SyncHint();
    // Registers (or drops) a control's hint with the form's tool tip.
    void SetTool(ui::Control& c, HWND owner, UINT_PTR id, UINT flags);
    HWND ToolTip();
    WinPeer* Root();
    UINT CodePage() const { return CodePageOf(control_.GetFont()); }

    WinControl& control_;
    HWND hwnd_ = nullptr;
    GdiObject<HFONT> font_;
    HMENU menu_ = nullptr;
    HWND tip_ = nullptr;  // forms only
    std::vector<MenuItem*> menuItems_;
    ui::Control* hot_ = nullptr;
    ui::Control* capture_ = nullptr;
    bool tracking_ = false;
    int updating_ = 0;
};

}  // namespace qb::ui::win
