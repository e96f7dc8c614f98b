#pragma once
#include <string>

// Thin file-system services with one implementation per platform. Paths are
// 8-bit strings in the system code page.
namespace qb::fs {

bool FileExists(const std::string& path);        // a file or a directory
bool IsDirectory(const std::string& path);
bool MakeDirectory(const std::string& path);   // one level, false on failure
bool DeleteTree(const std::string& path);        // file or whole directory, silently
std::string TempDirectory();                     // the platform's temporary directory
bool CopyFileTo(const std::string& from, const std::string& to);  // overwrites
// Directory of the running executable, with a trailing separator.
std::string ExecutableDirectory();

}  // namespace qb::fs
