#include "installer/InstallPlan.h"

#include "app/Errors.h"
#include "builder/PackageLayout.h"
#include "installer/EntryName.h"

#include <set>

namespace qb::setup {

InstallPlan PlanInstall(const std::vector<std::string>& entryNames,
                        const std::function<std::optional<char>(const std::string&)>& kindOf) {
    InstallPlan plan;
    std::optional<size_t> saver;
    std::set<std::string> targets = {Folded(std::string("/") + kInstallLogName)};  // the uninstaller's record is setup's own
    for (size_t i = 0; i < entryNames.size(); ++i) {
        const std::string& name = entryNames[i];
        if (!IsPlainFileName(name))
            throw Exception("The setup file is damaged: the entry name \"" + name + "\" is not a plain file name");
        const auto kind = kindOf(name);
        if (!kind) continue;
        PlannedFile f{i, "", name, *kind};
        switch (*kind) {
            case package::kKindSupport:
                break;
            case package::kKindMovie:
                f.Folder = kMoviesFolder;
                break;
            case package::kKindSound:
                f.Folder = kSoundsFolder;
                break;
            case package::kKindSaver:
                if (Folded(name) == kLanguageEntry) f.FileName = kLanguageName;
                break;
            default:  // the player control: our engine is inside the screensaver
                continue;
        }
        if (!targets.insert(Folded(f.Folder + "/" + f.FileName)).second) continue;
        if (*kind == package::kKindSaver && FoldedExtension(name) == ".scr" && !saver) saver = plan.Files.size();
        if (*kind == package::kKindSupport && Folded(name) == Folded(kSettingsName)) plan.Settings = plan.Files.size();
        plan.Files.push_back(std::move(f));
    }
    if (!saver) throw Exception("The setup file is damaged: it holds no screensaver.");
    plan.Saver = *saver;
    return plan;
}

std::optional<char> EntryKind(const std::string& entryName, const std::string& saverName,
                              std::optional<char> iniKind) {
    const std::string name = Folded(entryName);
    if (name == Folded(saverName + ".scr") || name == kLanguageEntry) return package::kKindSaver;
    for (const char* fixed : {"quenbrook.dat", "qbmpegdll.dll", "blank.swf", "uninstall.exe"})
        if (name == fixed) return package::kKindSupport;
    return iniKind;
}

std::string FolderNameFor(const std::string& saverName) {
    std::string out;
    for (const char ch : saverName) {
        const auto c = static_cast<unsigned char>(ch);
        out += (c < 0x20 || std::string_view("<>:\"/\\|?*").find(ch) != std::string_view::npos) ? '_' : ch;
    }
    while (!out.empty() && (out.back() == '.' || out.back() == ' ')) out.pop_back();
    while (!out.empty() && out.front() == ' ') out.erase(out.begin());
    return out.empty() || !IsPlainFileName(out) ? "Saver" : out;
}

}  // namespace qb::setup
