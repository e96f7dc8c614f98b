#pragma once
#include <windows.h>

#include <string>

namespace qb {

// FIXME: stands in for the editor, full-screen and preview windows until the
// window toolkit and the players exist. It shows which mode started and ends
// the message loop when it is closed (or its host window goes away).
class PlaceholderWindow {
public:
    // A top-level window showing its caption.
    static bool ShowTopLevel(const std::string& caption);
    // A child filling the host's client area; false when there is no host.
    static bool ShowChild(HWND host, const std::string& text);
    static int RunMessageLoop();
};

}  // namespace qb
