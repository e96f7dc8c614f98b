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
// Leaves the file writable and otherwise plain (archive attribute only on Windows).
bool SetArchiveOnly(const std::string& path);
// An existing file this process may not write: on Windows its read-only
// attribute is set, elsewhere the permissions deny writing.
bool IsReadOnlyFile(const std::string& path);
// Renames `from` to `to`, replacing an existing `to` in one step (same
// volume). The replaced file's permissions carry over where the platform has them.
bool RenameOver(const std::string& from, const std::string& to);
// dir + name, or, where the file system tells letter case apart, dir plus the
// one entry whose name matches without regard to case (dir + name when none does).
std::string FindIgnoringCase(const std::string& dir, const std::string& name);
// Directory of the running executable, with a trailing separator.
std::string ExecutableDirectory();

}  // namespace qb::fs
