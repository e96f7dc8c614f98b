#pragma once
#include "installer/InstallLog.h"

#include <string>
#include <vector>

namespace qb::setup {

// Removes what the record says setup placed, then the record itself, then
// the folders setup created as far as they are empty. When some files cannot
// be removed, the record stays and lists just those. A path that lies
// outside the installation folder is never touched, whatever the record
// says, and no folder is removed that still holds anything. Answers the files
// that could not be removed (in use, for instance).
std::vector<std::string> RemoveInstalledFiles(const InstallLog& log, const std::string& logPath);

// Whether `path` names something inside `directory` (which ends in a
// separator) by plain names only: no "." or ".." on the way.
bool IsInside(const std::string& path, const std::string& directory);

}  // namespace qb::setup
