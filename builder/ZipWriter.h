#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qb {

enum class TZipAction { zaUpdate, zaReplace, zaFreshen };

// Writes zip archives from a flat list of files, each entry named by the
// file's name alone. An existing archive of the same name is updated: its
// other entries are kept byte for byte, and so is its comment.
class TZipWriter {
public:
    std::string ZipName;
    std::vector<std::string> FilesList;
    bool Recurse = false;     // directories are never walked
    bool StorePaths = false;  // names are always the file name alone
    int PackLevel = 6;
    TZipAction ZipAction = TZipAction::zaUpdate;
    std::string TempPath;     // for an update's new archive; empty: the system's

    // After each file: the path as listed, its sizes and the archive so far.
    std::function<void(TZipWriter& sender, const std::string& fileName, uint32_t uncompressedSize,
                       uint32_t compressedSize, uint32_t currentZipSize)>
        OnEndZip;
    // Runs after each piece of compressed output, so a window stays alive.
    std::function<void()> ProcessMessages;
    // Set from ProcessMessages to give up: Zip then raises "User Aborted Operation".
    bool CancelRequested = false;

    // Adds or replaces the listed files; answers how many. Throws
    // qb::Exception ("Not enough room to write archive", ...) after deleting
    // whatever it had half written; an archive being updated stays as it was.
    int Zip();
};

// The name an archive entry gets for a path: the part after the last "\",
// "/" or ":", with "/" separators and OEM characters.
std::string ZipEntryName(const std::string& path);

}  // namespace qb
