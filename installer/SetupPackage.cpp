#include "installer/SetupPackage.h"

#include "app/Errors.h"

#include <string_view>

namespace qb::setup {

namespace {

constexpr uint32_t kLargestIni = 1 << 20;  // install.ini lists file names; more than this is no install.ini

}  // namespace

SetupPackage::SetupPackage(const std::string& path) : file_(File::Open(path, File::Mode::Read)) {
    if (!file_) throw Exception("Unable to open " + path);
    const auto size = file_.Size();
    std::array<uint8_t, package::kTrailerSize> tail{};
    if (!size || *size < tail.size() || !file_.Seek(*size - tail.size()) || !file_.ReadExact(tail))
        throw Exception("The setup file is damaged: it is too short to hold a package.");
    const auto trailer = package::DecodeTrailer(tail, *size);
    if (!trailer) throw Exception("The setup file is damaged: its package index is missing or wrong.");
    trailer_ = *trailer;

    if (trailer_.Of(package::kInstallIni).Length > kLargestIni)
        throw Exception("The setup file is damaged: its file list is implausibly large.");
    const auto ini = ReadPiece(package::kInstallIni);
    ini_ = ProfileFile::FromText(std::string_view(reinterpret_cast<const char*>(ini.data()), ini.size()));
    saverName_ = ini_->ReadString(package::kIniSettings, package::kIniSaverName, "");
    if (saverName_.empty()) throw Exception("The setup file is damaged: it names no screensaver.");

    const auto archive = trailer_.Of(package::kArchive);
    archive_ = std::make_unique<ArchiveReader>(file_, archive.Offset, archive.Length);
}

std::optional<char> SetupPackage::KindOf(const std::string& entryName) const {
    // A value that is not one code character is no kind at all.
    const std::string v = ini_->ReadString(package::kIniFiles, entryName, "");
    if (v.size() != 1) return std::nullopt;
    return v[0];
}

std::vector<uint8_t> SetupPackage::ReadPiece(package::Piece piece) {
    const auto span = trailer_.Of(piece);
    std::vector<uint8_t> bytes(span.Length);
    if (!file_.Seek(span.Offset) || !file_.ReadExact(bytes)) throw Exception("The setup file cannot be read.");
    return bytes;
}

std::vector<uint8_t> SetupPackage::LanguageFile() { return ReadPiece(package::kLanguage); }

}  // namespace qb::setup
