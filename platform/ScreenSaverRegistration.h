#pragma once
#include <string>

namespace qb::win {

// "system.ini" in the Windows directory, where [boot] names the screensaver.
std::string SystemIniPath();

// The short (8.3) form of a path, or the path itself where there is none.
std::string ShortPath(const std::string& path);

// Makes `executable` the system's screensaver: system.ini [boot] and the
// user's desktop settings name its short path, and the screensaver is
// switched on. Throws qb::Exception "Unable to write to <system.ini>" or
// "Failed to set data for 'SCRNSAVE.EXE'"; later steps are then not done.
void InstallScreenSaver(const std::string& executable);

// What the system currently names as its screensaver ("" when nothing).
struct ScreenSaverSetting {
    std::string SystemIni;
    std::string Registry;
};
ScreenSaverSetting CurrentScreenSaver();

}  // namespace qb::win
