// The headless backend: no windows, no message loop. Controls keep their
// state in the portable objects, which is what the native tests look at.
#include "ui/Backend.h"
#include "ui/Control.h"
#include "ui/Dialogs.h"
#include "ui/Form.h"
#include "ui/Menus.h"
#include "ui/Timer.h"

namespace qb::ui {

std::unique_ptr<ControlPeer> CreatePeer(WinControl&) { return nullptr; }
std::unique_ptr<TimerPeer> CreateTimerPeer(Timer&) { return nullptr; }
void RunModal(Form&) {}
void QuitMessageLoop() {}
void DiscardQueuedMouseMessages() {}
std::vector<uint8_t> LoadResourceData(const char*) { return {}; }
MenuItem* TrackPopup(PopupMenu&, int, int) { return nullptr; }
bool ExecuteFileDialog(FileDialog&) { return false; }
bool ExecuteColorDialog(ColorDialog&) { return false; }

}  // namespace qb::ui

#include <cstdio>

#include "ui/Application.h"

namespace qb::ui {
void Application::Run(Form& f) {
    f.SetMainForm(true);
    f.Show();
}
void Application::ProcessMessages() {}
namespace {
int hintPause = 500;
}
void Application::SetHintPause(int ms) { hintPause = ms; }
int Application::HintPause() { return hintPause; }
void Application::ShowException(const std::exception& e) { std::fprintf(stderr, "Quenbrook: %s\n", e.what()); }
int MessageDlg(Form*, const std::string&, const std::string&, int) { return mrCancel; }
}  // namespace qb::ui
