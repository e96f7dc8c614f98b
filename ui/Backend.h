#pragma once
#include <cstdint>
#include <memory>
#include <vector>

// The few entry points each window-system backend provides (Win32 on
// Windows, a headless one for the native tests).
namespace qb::ui {

class ControlPeer;
class WinControl;

// The window for a windowed control whose parent (if any) has one already;
// null when the backend shows nothing.
std::unique_ptr<ControlPeer> CreatePeer(WinControl& control);

}  // namespace qb::ui

namespace qb::ui {
class Form;
// Runs the message loop until the form's modal result is set.
void RunModal(Form& form);
// Ends Application::Run's message loop.
void QuitMessageLoop();
// Drops the mouse messages still queued (after a popup menu has closed).
void DiscardQueuedMouseMessages();
// The bytes of a resource of the executable (RCDATA); empty when missing.
std::vector<uint8_t> LoadResourceData(const char* name);
}  // namespace qb::ui
