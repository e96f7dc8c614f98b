#include "installer/InstalledSettings.h"

#include "app/ProfileFile.h"
#include "installer/EntryName.h"
#include "installer/InstallPlan.h"

#include <vector>

namespace qb::setup {

namespace {

void RewriteList(ProfileFile& f, const char* section,
                 const std::function<std::optional<std::string>(const std::string&)>& installedPath) {
    const std::vector<std::string> paths = f.SectionKeys(section);
    f.EraseSection(section);
    for (const auto& p : paths)
        if (auto installed = installedPath(FileNamePart(p))) f.WriteString(section, *installed, "");
}

}  // namespace

void RewriteInstalledSettings(const std::string& settingsPath, const std::string& directory,
                              const std::function<std::optional<std::string>(const std::string&)>& installedPath) {
    ProfileFile f(settingsPath);
    RewriteList(f, "Movies", installedPath);
    RewriteList(f, "Sounds", installedPath);
    const auto replace = [&](const char* key, const std::string& value) {
        if (f.ReadString("Path", key, "\x01") != "\x01") f.WriteString("Path", key, value);
    };
    replace("AppPath", directory);
    replace("FlashPath", directory + kMoviesFolder);
    replace("SoundPath", directory + kSoundsFolder);
    f.Save();
}

}  // namespace qb::setup
