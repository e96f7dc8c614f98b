#include "app/SaverSettings.h"

#include "app/ProfileFile.h"

namespace qb {

namespace {

constexpr std::string_view kPath = "Path";
constexpr std::string_view kMovies = "Movies";
constexpr std::string_view kOptions = "Options";
constexpr std::string_view kSounds = "Sounds";

void WriteList(ProfileFile& file, std::string_view section, const std::vector<std::string>& paths) {
    file.EraseSection(section);
    // A path is a key, so one that comes again (in any letter case) only
    // rewrites its first entry: the list keeps it once, where it first stood.
    for (const std::string& path : paths) file.WriteString(section, path, "");
}

void WriteNumber(ProfileFile& file, std::string_view key, int64_t value) {
    file.WriteString(kOptions, key, std::to_string(value));
}

void WriteFlag(ProfileFile& file, std::string_view key, bool value) {
    file.WriteString(kOptions, key, value ? "1" : "0");
}

}  // namespace

SaverOptions DefaultOptions(SettingsReader reader) {
    SaverOptions options;  // the editor's defaults
    switch (reader) {
        case SettingsReader::Editor:
            break;
        case SettingsReader::FullScreen:
            options.AutoPlay = false;
            break;
        case SettingsReader::Preview:
            options.AutoPlay = false;
            options.BgColor = 0;
            break;
    }
    return options;
}

SaverSettings ReadSettings(const std::string& path, SettingsReader reader) {
    const ProfileFile file(path);
    const SaverOptions d = DefaultOptions(reader);
    SaverSettings s;
    s.Movies = file.SectionKeys(kMovies);
    s.Sounds = file.SectionKeys(kSounds);
    // MovieSize and Quality come back as stored, even outside 0..2: what an
    // unknown choice means is up to whoever shows or plays it.
    SaverOptions& o = s.Options;
    o.MovieSize = file.ReadInteger(kOptions, "MovieSize", d.MovieSize);
    o.Quality = file.ReadInteger(kOptions, "Quality", d.Quality);
    o.Sequence = file.ReadBool(kOptions, "Sequence", d.Sequence);
    o.BgColor = static_cast<uint32_t>(
        file.ReadInteger(kOptions, "BgColor", static_cast<int32_t>(d.BgColor)));
    o.MouseMove = file.ReadBool(kOptions, "MouseMove", d.MouseMove);
    o.MouseClick = file.ReadBool(kOptions, "MouseClick", d.MouseClick);
    o.KeyPress = file.ReadBool(kOptions, "KeyPress", d.KeyPress);
    o.ShowCursor = file.ReadBool(kOptions, "ShowCursor", d.ShowCursor);
    o.AutoPlay = file.ReadBool(kOptions, "AutoPlay", d.AutoPlay);
    o.MovieBgSound = file.ReadBool(kOptions, "MovieBgSound", d.MovieBgSound);
    o.RandomSound = file.ReadBool(kOptions, "RandomSound", d.RandomSound);
    return s;
}

void DropMissingFiles(std::vector<std::string>& paths,
                      const std::function<bool(const std::string&)>& fileExists) {
    for (size_t i = paths.size(); i > 0; --i)
        if (!fileExists(paths[i - 1])) paths.erase(paths.begin() + static_cast<std::ptrdiff_t>(i - 1));
}

void SaveSettings(const std::string& path, const SaverSettings& settings) {
    ProfileFile file(path);
    WriteList(file, kMovies, settings.Movies);

    const SaverOptions& o = settings.Options;
    WriteNumber(file, "MovieSize", o.MovieSize);
    WriteNumber(file, "Quality", o.Quality);
    WriteFlag(file, "Sequence", o.Sequence);
    WriteNumber(file, "BgColor", o.BgColor);
    WriteFlag(file, "MouseMove", o.MouseMove);
    WriteFlag(file, "MouseClick", o.MouseClick);
    WriteFlag(file, "KeyPress", o.KeyPress);
    WriteFlag(file, "ShowCursor", o.ShowCursor);
    WriteFlag(file, "AutoPlay", o.AutoPlay);
    WriteFlag(file, "MovieBgSound", o.MovieBgSound);
    WriteFlag(file, "RandomSound", o.RandomSound);

    WriteList(file, kSounds, settings.Sounds);
    // One write for the whole file: when the system refuses it, the file on
    // disk stays exactly as it was rather than holding half the new entries.
    file.Save();
}

std::string ReadAppPath(const std::string& path, const std::string& defaultValue) {
    // Present but empty stays empty: data files are then looked up relative
    // to the current directory, which is what such a file has always meant.
    return ProfileFile(path).ReadString(kPath, "AppPath", defaultValue);
}

BrowsePaths ReadBrowsePaths(const std::string& path) {
    const ProfileFile file(path);
    return {file.ReadString(kPath, "FlashPath", ""), file.ReadString(kPath, "SoundPath", "")};
}

void WriteBrowsePaths(const std::string& path, const BrowsePaths& paths) {
    ProfileFile file(path);
    file.WriteString(kPath, "FlashPath", paths.FlashPath);
    file.WriteString(kPath, "SoundPath", paths.SoundPath);
    file.Save();
}

}  // namespace qb
