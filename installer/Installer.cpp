#include "installer/Installer.h"

#include "app/Errors.h"
#include "installer/EntryName.h"
#include "installer/InstallPlan.h"
#include "installer/InstalledSettings.h"
#include "installer/LocalFiles.h"
#include "installer/Uninstaller.h"
#include "platform/File.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <map>

namespace qb::setup {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

std::string WithoutTrailingSeparator(std::string dir) {
    while (dir.size() > 1 && IsSeparator(dir.back()) && dir[dir.size() - 2] != ':') dir.pop_back();
    return dir;
}

// Undoes a half-done installation unless told it is complete.
class Placement {
public:
    ~Placement() {
        if (done_) return;
        for (auto f = files_.rbegin(); f != files_.rend(); ++f) DeleteOneFile(*f);
        for (const auto& t : aside_) fs::RenameOver(Aside(t), t);
        for (const auto& d : directories_) RemoveEmptyDirectory(d);
    }
    // Answers the replaced files that could not be deleted (a screensaver
    // still running from the earlier installation, say).
    std::vector<std::string> Complete() {
        done_ = true;
        std::vector<std::string> left;
        for (const auto& t : aside_)
            if (!DeleteOneFile(Aside(t))) left.push_back(Aside(t));
        return left;
    }

    // Moves a file of an earlier installation aside, so that a failure can
    // put it back: reinstalling from a damaged package keeps what was there.
    void Replacing(const std::string& target) {
        if (!fs::FileExists(target)) return;
        DeleteOneFile(Aside(target));
        if (!fs::RenameOver(target, Aside(target))) throw Exception("Unable to replace " + target);
        aside_.push_back(target);
    }

    // Creates the folder and any missing parents, remembering which were new.
    void MakeDirectories(const std::string& path) {
        const std::string dir = WithoutTrailingSeparator(path);
        if (dir.empty() || fs::IsDirectory(dir)) return;
        const size_t cut = dir.find_last_of("\\/");
        if (cut != std::string::npos && cut > 0) MakeDirectories(dir.substr(0, cut + 1));
        if (!fs::MakeDirectory(dir)) throw Exception("Unable to create directory " + dir);
        directories_.insert(directories_.begin(), dir);  // deepest first
    }
    void Placed(const std::string& file) { files_.push_back(file); }

    const std::vector<std::string>& Files() const { return files_; }
    const std::vector<std::string>& Directories() const { return directories_; }

private:
    static std::string Aside(const std::string& path) { return path + ".old"; }

    std::vector<std::string> files_;
    std::vector<std::string> aside_;
    std::vector<std::string> directories_;
    bool done_ = false;
};

// Deletes the temporary file of an unpacking that did not finish.
class PartFile {
public:
    explicit PartFile(std::string path) : path_(std::move(path)) {}
    ~PartFile() {
        if (!path_.empty()) DeleteOneFile(path_);
    }
    void Release() { path_.clear(); }

private:
    std::string path_;
};

void Unpack(ArchiveReader& archive, const ArchiveEntry& entry, const std::string& target, Placement& placement) {
    const std::string part = target + ".part";
    PartFile cleanup(part);
    {
        File out = File::Open(part, File::Mode::Create);
        if (!out) throw Exception("Unable to create " + part);
        archive.Extract(entry, [&](std::span<const uint8_t> bytes) {
            if (!out.Write(bytes)) throw Exception("Unable to write " + target + " (is the disk full?)");
        });
        if (!out.Close()) throw Exception("Unable to write " + target + " (is the disk full?)");
    }
    placement.Replacing(target);
    if (!fs::RenameOver(part, target)) throw Exception("Unable to replace " + target);
    cleanup.Release();
    placement.Placed(target);
}

// What an earlier installation into the same folder placed: the new record
// takes over whatever of it the new package does not replace.
InstallLog EarlierInstallation(const std::string& logPath) {
    try {
        return fs::FileExists(logPath) ? ReadInstallLog(logPath) : InstallLog{};
    } catch (const Exception&) {
        return {};
    }
}

void Merge(std::vector<std::string>& into, const std::vector<std::string>& more) {
    for (const auto& m : more) {
        const bool known = std::any_of(into.begin(), into.end(), [&](const std::string& i) { return Folded(i) == Folded(m); });
        if (!known) into.push_back(m);
    }
}

}  // namespace

std::string WithTrailingSeparator(const std::string& directory) {
    if (directory.empty() || IsSeparator(directory.back())) return directory;
    return directory + PathSeparator();
}

InstallLog InstallPackage(SetupPackage& package, const std::string& destination, const InstallProgress& progress) {
    if (destination.find_first_not_of(" \t") == std::string::npos) throw Exception("Please choose a folder.");
    const std::string dir = WithTrailingSeparator(destination);
    ArchiveReader& archive = package.Archive();

    std::vector<std::string> names;
    for (const auto& e : archive.Entries()) names.push_back(FromOemCharset(e.Name));
    const InstallPlan plan = PlanInstall(
        names, [&](const std::string& n) { return EntryKind(n, package.SaverName(), package.KindOf(n)); });

    Placement placement;
    placement.MakeDirectories(dir);
    std::map<std::string, std::string> installed;  // folded entry name -> path on disk
    InstallLog log;
    for (size_t i = 0; i < plan.Files.size(); ++i) {
        const PlannedFile& f = plan.Files[i];
        std::string folder = dir;
        if (!f.Folder.empty()) {
            folder += f.Folder + PathSeparator();
            placement.MakeDirectories(folder);
        }
        const std::string target = folder + f.FileName;
        Unpack(archive, archive.Entries()[f.Entry], target, placement);
        installed[Folded(names[f.Entry])] = target;
        if (i == plan.Saver) log.SaverPath = target;
        if (progress) progress(i + 1, plan.Files.size());
    }

    if (plan.Settings) {
        RewriteInstalledSettings(dir + plan.Files[*plan.Settings].FileName, dir,
                                 [&](const std::string& fileName) -> std::optional<std::string> {
                                     auto it = installed.find(Folded(fileName));
                                     if (it == installed.end()) return std::nullopt;
                                     return it->second;
                                 });
    }

    log.Name = package.SaverName();
    log.Directory = dir;
    log.UninstallKey = UninstallKeyName(log.Name);
    log.Files = placement.Files();
    log.Directories = placement.Directories();
    const std::string logPath = dir + kInstallLogName;
    const InstallLog earlier = EarlierInstallation(logPath);
    std::vector<std::string> earlierFiles;
    for (const auto& f : earlier.Files)
        if (IsInside(f, dir) && fs::FileExists(f)) earlierFiles.push_back(f);
    Merge(log.Files, earlierFiles);
    Merge(log.Directories, earlier.Directories);
    WriteInstallLog(logPath, log);
    const std::vector<std::string> stuck = placement.Complete();
    if (!stuck.empty()) {
        // The uninstaller takes them along later.
        Merge(log.Files, stuck);
        try {
            WriteInstallLog(logPath, log);
        } catch (const Exception&) {
        }
    }
    return log;
}

}  // namespace qb::setup
