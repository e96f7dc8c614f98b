#pragma once
#include "app/SaverSettings.h"

#include <string>
#include <vector>

namespace qb {

// Whether the settings file says something other than the editor shows, so
// that closing the editor must ask before throwing the changes away. Options
// are read with the comparison's own defaults (a file without BgColor reads
// black); the lists are compared as joined lines, exactly, so a list holding
// one path twice always differs from the file, which keeps the path once.
bool SettingsModified(const std::string& path, const SaverSettings& shown);

// TempDir + "build", or the first of build1, build2, ... that does not exist yet.
std::string ChooseBuildDirectory(const std::string& tempDir);

// The pieces a package build needs in the data folder's "build" folder, in
// the order they are checked; answers the first missing one ("" when all are there).
std::string FirstMissingBuildFile(const std::string& dataDir);

}  // namespace qb
