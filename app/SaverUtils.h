#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace qb {

class TMPEGPlayer;

// Process-wide directories and constants, set once at start-up and read by
// every window afterwards. Directory strings end in a backslash (or are empty).
namespace SaverUtils {
inline std::string ExeDir;
inline std::string DataDir;
inline std::string TempDir;
inline uint32_t HostWindow = 0;
inline std::string SettingsFilePath;
inline std::string MessageCaption = "Quenbrook";
inline const std::array<const char*, 3> QualityNames = {"Low", "Medium", "High"};
// The MP3 player the editor and the full-screen player share; null when the
// decoder library is not beside the executable. Owned by SharedPlayerScope.
inline TMPEGPlayer* SharedMp3Player = nullptr;
}  // namespace SaverUtils

// Appends "\" unless the path is empty or already ends in one.
std::string AddTrailingBackslash(const std::string& path);
std::string GetTempDir();
// The decimal number after the first ":" (or the whole text); 0 when there is none.
int32_t IntAfterColon(const std::string& text);
bool IsExistingDirectory(const std::string& path);
// Creates the directory and every missing parent. Throws qb::Exception
// "Unable to create directory" for an empty path.
bool MakeDirectoryPath(const std::string& path);
// build -> build1, Saver09.scr -> Saver10.scr, a.b.swf -> a1.b.swf.
std::string NextNumberedName(const std::string& name);
// Deletes a file or a whole directory tree, silently and for good.
bool DeletePath(const std::string& path);

// Directory part of a path including its final separator ("C:\a\b.txt" -> "C:\a\").
std::string ExtractFilePath(const std::string& path);
// The name after the directory part ("C:\a\b.txt" -> "b.txt"). "/" separates
// as well as "\", since Windows accepts both.
std::string ExtractFileName(const std::string& path);
// Directory part without the final separator, except for a root ("C:\").
std::string ExtractFileDir(const std::string& path);

}  // namespace qb
