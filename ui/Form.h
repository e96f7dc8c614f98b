#pragma once
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>

#include "ui/Control.h"
#include "ui/Peer.h"

namespace qb::ui {

class MainMenu;

enum ModalResult { mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7 };
enum class BorderStyle { None, Single, Sizeable, Dialog };
enum class CloseAction { None, Hide, Free };

// A top-level window. A window's design data is its Design() override: it
// creates the components with their design names and values while the form
// is loading; Create<T>() then runs Loaded for each and the OnCreate step.
// Whoever holds the form frees it, never one of its own event handlers: the
// handler's control is still on the call stack.
class Form : public WinControl {
    QB_CLASS(Form)
public:
    Form();
    ~Form() override;

    template <class T, class... Args>
    static std::unique_ptr<T> Create(Args&&... args) {
        auto f = std::make_unique<T>(std::forward<Args>(args)...);
        Form& form = *f;
        form.BeginLoading();
        form.Design();
        form.EndLoading();
        // A failing creation handler is reported; the window is still made.
        try {
            form.DoCreate();
        } catch (const std::exception& e) {
            ReportCreateError(e);
        }
        return f;
    }

    WindowKind Kind() const { return WindowKind::Form; }
    BorderStyle GetBorderStyle() const { return border_; }
    void SetBorderStyle(BorderStyle b) { border_ = b; }
    bool StayOnTop() const { return stayOnTop_; }
    void SetStayOnTop(bool v) { stayOnTop_ = v; }
    bool Centered() const { return centered_; }
    void SetCentered(bool v) { centered_ = v; }
    // Centred on another window when it shows (that window must outlive the call to Show).
    Form* CenterOn() const { return centerOn_; }
    void SetCenterOn(Form* f) { centerOn_ = f; }
    // Client size; the window's frame is added to it.
    void SetClientSize(int w, int h) { SetBounds(Left(), Top(), w, h); }
    MainMenu* Menu() const { return menu_; }
    // A form drawn as a child inside another program's window (an HWND on
    // Windows) instead of as a window of its own; set before the window is made.
    void* HostWindow() const { return host_; }
    void SetHostWindow(void* h) { host_ = h; }
    void SetMenu(MainMenu* m) { menu_ = m; }

    void Show();
    void Hide();
    // Shows the window and runs the message loop until ModalResult is set;
    // other windows of the program are disabled meanwhile.
    int ShowModal();
    bool IsModal() const { return modal_; }
    int GetModalResult() const { return modalResult_; }
    void SetModalResult(int r) { modalResult_ = r; }
    // Asks CloseQuery; when it agrees, a modal window ends with mrCancel, the
    // main window ends the message loop, any other hides (or frees itself,
    // when OnClose says so).
    void Close();
    bool CloseQuery();

    bool IsMainForm() const { return mainForm_; }
    void SetMainForm(bool v) { mainForm_ = v; }

    NotifyEvent OnCreate, OnShow, OnDestroy;
    // Sees every window message of the form first (message, wParam, lParam);
    // true with `result` set when it has handled the message.
    std::function<bool(unsigned msg, uintptr_t wp, intptr_t lp, intptr_t& result)> OnMessage;
    std::function<void(Form&, bool& canClose)> OnCloseQuery;
    // A function key or Ctrl+key (the window system's key code, 'S' for S)
    // pressed anywhere in the window that no menu item claimed; true when
    // the window has acted on it.
    std::function<bool(unsigned key, bool ctrl)> OnShortCutKey;
    std::function<void(Form&, CloseAction&)> OnClose;
    // Called by the window system backend when the window is about to show.
    void DoShow();

protected:
    static void ReportCreateError(const std::exception& e);
    virtual void Design() {}
    virtual void DoCreate() {
        if (OnCreate) OnCreate(*this);
    }

private:
    BorderStyle border_ = BorderStyle::Sizeable;
    bool stayOnTop_ = false, centered_ = false, modal_ = false, mainForm_ = false, closing_ = false;
    int modalResult_ = mrNone;
    MainMenu* menu_ = nullptr;
    Form* centerOn_ = nullptr;
    void* host_ = nullptr;
};

}  // namespace qb::ui
