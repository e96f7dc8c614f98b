#pragma once
#include "app/ProfileFile.h"
#include "builder/PackageLayout.h"
#include "installer/ArchiveReader.h"
#include "platform/File.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qb::setup {

// A setup file opened for installing: its trailer checked, its install.ini
// read, and its archive opened where it lies inside the file.
class SetupPackage {
public:
    // Throws qb::Exception with a message for the user when the file is not
    // a complete setup file.
    explicit SetupPackage(const std::string& path);

    const std::string& SaverName() const { return saverName_; }
    // The kind code install.ini gives the name (compared without letter
    // case), or nothing when it lists no such name.
    std::optional<char> KindOf(const std::string& entryName) const;
    ArchiveReader& Archive() { return *archive_; }
    // The language file the package carries (its last piece).
    std::vector<uint8_t> LanguageFile();

private:
    std::vector<uint8_t> ReadPiece(package::Piece piece);

    File file_;
    package::Trailer trailer_;
    std::optional<ProfileFile> ini_;
    std::string saverName_;
    std::unique_ptr<ArchiveReader> archive_;
};

}  // namespace qb::setup
