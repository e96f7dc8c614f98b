#pragma once
#include <windows.h>

#include <string>

namespace qb::win {

// Asks the shell to open a file or folder as a double click would (a folder
// opens in the file browser), shown normally. True when the shell took it.
bool ShellOpen(HWND parent, const std::string& path);

}  // namespace qb::win
