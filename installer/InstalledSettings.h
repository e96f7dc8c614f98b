#pragma once
#include <functional>
#include <optional>
#include <string>

namespace qb::setup {

// Makes a settings file that came out of a package valid where it was
// installed: each movie and sound path names the installed copy (found by its
// file name through `installedPath`), and entries whose file the package did
// not carry are dropped, so no path of the machine that built the package
// remains. Options stay as they were. Path keys, where present, name the
// installed folders. Throws qb::Exception "Unable to write to <path>".
void RewriteInstalledSettings(const std::string& settingsPath, const std::string& directory,
                              const std::function<std::optional<std::string>(const std::string& fileName)>& installedPath);

}  // namespace qb::setup
