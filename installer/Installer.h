#pragma once
#include "installer/InstallLog.h"
#include "installer/SetupPackage.h"

#include <functional>
#include <string>

namespace qb::setup {

// Called after each placed file with how many of how many are done; may
// pump window messages.
using InstallProgress = std::function<void(size_t done, size_t total)>;

// Unpacks the package into `destination` (created with any missing parents),
// rewrites the installed settings and writes the uninstall record. Every
// file is unpacked under a temporary name and takes its own name only once
// its CRC has been checked. On any error everything placed so far, and every
// folder created, is removed again and the error is rethrown: a damaged
// package leaves nothing behind. Answers the record that was written; the
// caller registers the screensaver it names.
InstallLog InstallPackage(SetupPackage& package, const std::string& destination, const InstallProgress& progress);

// `directory` with a trailing separator (either kind counts).
std::string WithTrailingSeparator(const std::string& directory);

}  // namespace qb::setup
