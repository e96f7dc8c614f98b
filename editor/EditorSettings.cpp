#include "editor/EditorSettings.h"

#include "app/ProfileFile.h"
#include "app/SaverUtils.h"
#include "platform/FileSystem.h"

namespace qb {

namespace {

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& l : lines) text += l + "\r\n";
    return text;
}

}  // namespace

bool SettingsModified(const std::string& path, const SaverSettings& shown) {
    const ProfileFile file(path);
    const SaverOptions& o = shown.Options;
    const char* section = "Options";
    const bool optionsDiffer =
        file.ReadInteger(section, "MovieSize", 2) != o.MovieSize || file.ReadInteger(section, "Quality", 2) != o.Quality ||
        file.ReadBool(section, "Sequence", true) != o.Sequence ||
        static_cast<uint32_t>(file.ReadInteger(section, "BgColor", 0)) != o.BgColor ||
        file.ReadBool(section, "MovieBgSound", true) != o.MovieBgSound ||
        file.ReadBool(section, "RandomSound", false) != o.RandomSound ||
        file.ReadBool(section, "MouseMove", true) != o.MouseMove ||
        file.ReadBool(section, "MouseClick", true) != o.MouseClick ||
        file.ReadBool(section, "KeyPress", true) != o.KeyPress ||
        file.ReadBool(section, "ShowCursor", false) != o.ShowCursor ||
        file.ReadBool(section, "AutoPlay", true) != o.AutoPlay;
    const bool listsDiffer = Joined(file.SectionKeys("Movies")) != Joined(shown.Movies) ||
                             Joined(file.SectionKeys("Sounds")) != Joined(shown.Sounds);
    return optionsDiffer || listsDiffer;
}

std::string ChooseBuildDirectory(const std::string& tempDir) {
    // Numbering the folder name alone: numbering the whole path would count
    // up at the first dot anywhere in it ("C:\Users\jo.doe\...") and name a
    // folder outside the temporary directory.
    std::string name = "build";
    while (IsExistingDirectory(tempDir + name)) name = NextNumberedName(name);
    return tempDir + name;
}

std::string FirstMissingBuildFile(const std::string& dataDir) {
    const bool unixStyle = dataDir.find('/') != std::string::npos && dataDir.find('\\') == std::string::npos;
    const std::string sep = unixStyle ? "/" : "\\";
    for (const char* name : {"install.pak", "setup.pak", "saver.pak", "uninstall.pak"}) {
        const std::string piece = fs::FindIgnoringCase(dataDir + "build" + sep, name);
        if (!fs::FileExists(piece)) return "build" + sep + name;
    }
    return {};
}

}  // namespace qb
