#include "installer/InstallLog.h"

#include "app/Errors.h"
#include "app/ProfileFile.h"
#include "installer/InstallPlan.h"
#include "platform/FileSystem.h"

namespace qb::setup {

namespace {

constexpr char kInstall[] = "Install";
constexpr char kFiles[] = "Files";
constexpr char kDirectories[] = "Directories";

// Paths are values under numbered keys: a path may hold "=" and so could not be a key.
void WriteList(ProfileFile& f, const char* section, const std::vector<std::string>& items) {
    for (size_t i = 0; i < items.size(); ++i)
        if (!f.WriteString(section, std::to_string(i + 1), items[i]))
            throw Exception("Unable to write to " + f.Path());
}

std::vector<std::string> ReadList(const ProfileFile& f, const char* section) {
    std::vector<std::string> items;
    for (size_t i = 1;; ++i) {
        std::string v = f.ReadString(section, std::to_string(i), "");
        if (v.empty()) return items;
        items.push_back(std::move(v));
    }
}

}  // namespace

void WriteInstallLog(const std::string& path, const InstallLog& log) {
    auto f = ProfileFile::FromText("", path);
    f.WriteString(kInstall, "Name", log.Name);
    f.WriteString(kInstall, "Directory", log.Directory);
    f.WriteString(kInstall, "Saver", log.SaverPath);
    f.WriteString(kInstall, "UninstallKey", log.UninstallKey);
    WriteList(f, kFiles, log.Files);
    WriteList(f, kDirectories, log.Directories);
    f.Save();
}

InstallLog ReadInstallLog(const std::string& path) {
    if (!fs::FileExists(path)) throw Exception("Nothing to uninstall: " + path + " is missing.");
    const ProfileFile f(path);
    InstallLog log;
    log.Name = f.ReadString(kInstall, "Name", "");
    log.Directory = f.ReadString(kInstall, "Directory", "");
    log.SaverPath = f.ReadString(kInstall, "Saver", "");
    log.UninstallKey = f.ReadString(kInstall, "UninstallKey", "");
    log.Files = ReadList(f, kFiles);
    log.Directories = ReadList(f, kDirectories);
    if (log.Directory.empty()) throw Exception("The uninstall record " + path + " is damaged.");
    return log;
}

std::string UninstallKeyName(const std::string& saverName) { return "Quenbrook-" + FolderNameFor(saverName); }

}  // namespace qb::setup
