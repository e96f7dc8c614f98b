#pragma once
#include <string>
#include <vector>

namespace qb::setup {

// What setup placed, kept in the destination folder for the uninstaller.
struct InstallLog {
    std::string Name;           // the screensaver's name from the package
    std::string Directory;      // destination folder, with a trailing separator
    std::string SaverPath;      // the installed .scr
    std::string UninstallKey;   // name of the key under ...\Uninstall
    std::vector<std::string> Files;        // full paths, in the order they were placed
    std::vector<std::string> Directories;  // folders setup created, deepest first
};

// Throws qb::Exception "Unable to write to <path>".
void WriteInstallLog(const std::string& path, const InstallLog& log);
// Throws qb::Exception when the file is missing or names no folder.
InstallLog ReadInstallLog(const std::string& path);

// The uninstall key's name for a screensaver name.
std::string UninstallKeyName(const std::string& saverName);

}  // namespace qb::setup
