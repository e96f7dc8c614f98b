#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qb {

// Who reads a settings file decides the defaults for keys it lacks.
enum class SettingsReader { Editor, FullScreen, Preview };

struct SaverOptions {
    int32_t MovieSize = 2;      // 0 original, 1 fit to screen, 2 full screen
    int32_t Quality = 2;        // index into QualityNames
    bool Sequence = true;       // list order; false: random order
    uint32_t BgColor = 0xFFFFFF;  // 0x00RRGGBB
    bool MouseMove = true;
    bool MouseClick = true;
    bool KeyPress = true;
    bool ShowCursor = false;
    bool AutoPlay = true;
    bool MovieBgSound = true;
    bool RandomSound = false;
    bool operator==(const SaverOptions&) const = default;
};

struct SaverSettings {
    std::vector<std::string> Movies;  // full paths, play order
    std::vector<std::string> Sounds;
    SaverOptions Options;
};

SaverOptions DefaultOptions(SettingsReader reader);

// Reads lists and options with the reader's defaults. A missing file reads as
// an empty one. Lists hold every key name of their section, in file order.
SaverSettings ReadSettings(const std::string& path, SettingsReader reader);

// Removes, from the last entry to the first, every path whose file is gone.
void DropMissingFiles(std::vector<std::string>& paths,
                      const std::function<bool(const std::string&)>& fileExists);

// Rewrites sections Movies, Options and Sounds; every other section, Path
// included, stays as it was. Throws qb::Exception "Unable to write to <path>"
// when the file cannot be written.
void SaveSettings(const std::string& path, const SaverSettings& settings);

// Section Path of the settings file beside the executable.
std::string ReadAppPath(const std::string& path, const std::string& defaultValue);
struct BrowsePaths { std::string FlashPath, SoundPath; };
BrowsePaths ReadBrowsePaths(const std::string& path);
void WriteBrowsePaths(const std::string& path, const BrowsePaths& paths);

}  // namespace qb
