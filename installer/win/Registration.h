#pragma once
#include "installer/InstallLog.h"

#include <string>

// The system's side of an installation: the screensaver setting and the
// entry in the list of installed programs.
namespace qb::setup::win {

// The short (8.3) form of an existing path; the path itself when the file
// system has none.
std::string ShortPath(const std::string& path);

// Makes the screensaver the system's, as the editor's own save does:
// system.ini [boot] and the user's desktop key name its short path, and the
// screensaver is switched on. Throws qb::Exception "Unable to write to
// <system.ini>" or "Failed to set data for 'SCRNSAVE.EXE'".
void RegisterScreenSaver(const std::string& scrPath);

// Clears both settings, and switches the screensaver off, only where they
// still name this screensaver: another one chosen since then stays.
void UnregisterScreenSaver(const std::string& scrPath);

// The entry under the user's Uninstall key that runs `uninstaller`.
void AddUninstallEntry(const InstallLog& log, const std::string& uninstaller);
void RemoveUninstallEntry(const std::string& keyName);

inline constexpr char kUninstallRoot[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

}  // namespace qb::setup::win
