#pragma once
#include <string>

namespace qb {

// The archive a setup file travels in: same folder and name, extension ".zip".
std::string MailArchivePath(const std::string& setupPath);

// Zips the setup file into its mail archive (updating an archive left from an
// earlier send) and answers the archive's path; answers "" and does nothing
// when there is no setup file. Zip errors pass to the caller.
std::string ZipForMail(const std::string& setupPath);

}  // namespace qb
