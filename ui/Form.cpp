#include "ui/Form.h"

#include "ui/Application.h"
#include "ui/Backend.h"

namespace qb::ui {

QB_CLASS_INFO(Form, WinControl) {
    Published<Form>(info).String("Caption", &Control::GetText, &Control::SetText);
}

Form::Form() {
    SetBounds(0, 0, 320, 240);
    SetVisible(false);
}

Form::~Form() {
    if (OnDestroy) {
        try {
            OnDestroy(*this);
        } catch (...) {
            // A destructor cannot report; the window goes anyway.
        }
    }
    DestroyComponents();
    DestroyHandle();
}

void Form::ReportCreateError(const std::exception& e) { Application::ShowException(e); }

void Form::Show() {
    HandleNeeded();
    if (!Visible()) DoShow();
    SetVisible(true);
}

void Form::Hide() { SetVisible(false); }

void Form::DoShow() {
    if (OnShow) OnShow(*this);
}

int Form::ShowModal() {
    modal_ = true;
    modalResult_ = mrNone;
    HandleNeeded();
    DoShow();
    SetVisible(true);
    RunModal(*this);
    SetVisible(false);
    modal_ = false;
    return modalResult_;
}

bool Form::CloseQuery() {
    bool can = true;
    if (OnCloseQuery) OnCloseQuery(*this, can);
    return can;
}

void Form::Close() {
    if (closing_) return;
    closing_ = true;
    struct Reset {
        bool& f;
        ~Reset() { f = false; }
    } reset{closing_};
    if (!CloseQuery()) return;
    if (modal_) {
        if (modalResult_ == mrNone) modalResult_ = mrCancel;
        return;
    }
    CloseAction action = mainForm_ ? CloseAction::Free : CloseAction::Hide;
    if (OnClose) OnClose(*this, action);
    if (action == CloseAction::None) return;
    Hide();
    if (mainForm_) QuitMessageLoop();
}

}  // namespace qb::ui
