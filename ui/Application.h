#pragma once
#include <exception>
#include <string>

namespace qb::ui {

class Form;

// The program's run: the message loop of the one user-interface thread.
namespace Application {
// Shows the main form and runs the message loop until it closes.
void Run(Form& mainForm);
// Handles the messages waiting now and returns.
void ProcessMessages();
// The general error box: the exception's text, caption "Quenbrook"; the
// program goes on afterwards.
void ShowException(const std::exception& e);
// How long the mouse rests on a control before its hint shows.
void SetHintPause(int ms);
int HintPause();
// Runs fn; an exception it throws ends up in the general error box.
template <class F>
void Guarded(F&& fn) {
    try {
        fn();
    } catch (const std::exception& e) {
        ShowException(e);
    }
}
}  // namespace Application

enum MessageFlags { mbOk = 0, mbOkCancel = 1, mbYesNoCancel = 3, mbYesNo = 4, mbIconError = 0x10, mbIconQuestion = 0x20, mbIconWarning = 0x30, mbIconInfo = 0x40 };
// A message box over `owner` (may be null), its text in the code page of the
// owner's font. Answers the ModalResult of the button pressed.
int MessageDlg(Form* owner, const std::string& text, const std::string& caption, int flags);

}  // namespace qb::ui
