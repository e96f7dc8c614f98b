#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qb::setup {

// Where one archive entry goes, relative to the destination folder.
struct PlannedFile {
    size_t Entry = 0;        // index into the archive's entries
    std::string Folder;      // "" (beside the screensaver), "Movies" or "Sounds"
    std::string FileName;    // name on disk
    char Kind = '0';
};

struct InstallPlan {
    std::vector<PlannedFile> Files;
    size_t Saver = 0;                      // index into Files of the .scr
    std::optional<size_t> Settings;        // index into Files of the settings file
};

inline constexpr char kMoviesFolder[] = "Movies";
inline constexpr char kSoundsFolder[] = "Sounds";
inline constexpr char kInstallLogName[] = "uninstall.ini";
inline constexpr char kSettingsName[] = "Quenbrook.dat";
inline constexpr char kLanguageEntry[] = "language.dat";
inline constexpr char kLanguageName[] = "Language.ini";

// Decides where each entry goes from its kind code: the screensaver file
// (kind 3, ".scr") and support files (0) into the destination, the
// language file (kind 3) beside them as "Language.ini", movies (1) and
// sounds (2) into their subfolders. The player control (4) and names
// install.ini does not list are left out; so is a second entry that would
// land on a file already planned. Names are the archive's, already in the
// system's character set. Throws qb::Exception when the names are unsafe or
// the package holds no screensaver.
InstallPlan PlanInstall(const std::vector<std::string>& entryNames,
                        const std::function<std::optional<char>(const std::string&)>& kindOf);

// The kind of an archive entry. The builder archives its own files (the
// screensaver, settings, decoder, blank movie, uninstaller, language file)
// before any movie or sound, and an archive keeps the first of equal names;
// so an entry with one of those names is that file, even where a movie or
// sound of the same name has since given the name another code in
// install.ini. Otherwise install.ini's code counts.
std::optional<char> EntryKind(const std::string& entryName, const std::string& saverName,
                              std::optional<char> iniKind);

// A folder name made from the screensaver's name: characters that no file
// name may hold become "_".
std::string FolderNameFor(const std::string& saverName);

}  // namespace qb::setup
