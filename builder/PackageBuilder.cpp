#include "builder/PackageBuilder.h"

#include "app/Errors.h"
#include "app/ProfileFile.h"
#include "app/SaverSettings.h"
#include "app/SaverUtils.h"
#include "builder/PackageLayout.h"
#include "builder/ZipWriter.h"
#include "platform/File.h"
#include "platform/FileSystem.h"

#include <limits>

namespace qb {

namespace {

const char kSettingsName[] = "Quenbrook.dat";

// Pieces are streamed: the setup file can hold hundreds of megabytes of
// movies, and the window that waits for it must not freeze meanwhile.
uint32_t AppendPiece(File& out, const std::string& path, const std::string& outputPath,
                     const std::function<void()>& processMessages) {
    File in = File::Open(path, File::Mode::Read);
    if (!in) throw Exception("Unable to read " + path);
    std::vector<uint8_t> buffer(64 * 1024);
    uint64_t total = 0;
    for (;;) {
        buffer.resize(64 * 1024);
        buffer.resize(in.Read(buffer));
        if (buffer.empty()) break;
        if (!out.Write(buffer)) throw Exception("Unable to write to " + outputPath);
        total += buffer.size();
        if (processMessages) processMessages();
    }
    if (total > std::numeric_limits<uint32_t>::max()) throw Exception("Piece too large: " + path);
    return static_cast<uint32_t>(total);
}

}  // namespace

PackageBuilder::PackageBuilder(PackageSources sources, std::string saverName, std::string outputPath)
    : src_(std::move(sources)), name_(std::move(saverName)), output_(std::move(outputPath)) {}

std::string PackageBuilder::Piece(const std::string& name) const {
    return fs::FindIgnoringCase(src_.PiecesDir, name);
}

std::vector<std::string> PackageBuilder::ArchiveList() const {
    std::vector<std::string> files = {src_.WorkDir + name_ + ".scr",    src_.WorkDir + kSettingsName,
                                      src_.AppDir + "QbMpegDll.dll",    src_.AppDir + "blank.swf",
                                      src_.WorkDir + "Uninstall.exe",   Piece("Flash.ocx"),
                                      Piece("language.dat")};
    const SaverSettings s = ReadSettings(src_.WorkDir + kSettingsName, SettingsReader::Editor);
    files.insert(files.end(), s.Movies.begin(), s.Movies.end());
    files.insert(files.end(), s.Sounds.begin(), s.Sounds.end());
    return files;
}

void PackageBuilder::Step() const {
    if (OnStep) OnStep();
}

void PackageBuilder::WriteInstallIni(const std::vector<std::string>& movies,
                                     const std::vector<std::string>& sounds) const {
    using namespace package;
    ProfileFile ini(src_.WorkDir + "install.ini");
    ini.WriteString(kIniSettings, kIniSaverName, name_);
    const std::pair<std::string, char> fixed[] = {
        {name_ + ".scr", kKindSaver},     {kSettingsName, kKindSupport}, {"QbMpegDll.dll", kKindSupport},
        {"Uninstall.exe", kKindSupport},  {"Flash.ocx", kKindPlayerControl}, {"Blank.swf", kKindSupport},
        {"Language.dat", kKindSaver}};
    for (const auto& [key, kind] : fixed) ini.WriteString(kIniFiles, key, std::string(1, kind));
    for (const auto& m : movies) ini.WriteString(kIniFiles, ExtractFileName(m), std::string(1, kKindMovie));
    for (const auto& s : sounds) ini.WriteString(kIniFiles, ExtractFileName(s), std::string(1, kKindSound));
    ini.Save();
}

void PackageBuilder::MakeArchive(const std::vector<std::string>& files) const {
    const std::string archive = src_.WorkDir + "Install.dat";
    if (fs::FileExists(archive)) fs::DeleteTree(archive);  // always made anew
    TZipWriter zip;
    zip.ZipName = archive;
    zip.FilesList = files;
    zip.PackLevel = 8;
    zip.ProcessMessages = ProcessMessages;
    zip.OnEndZip = [this](TZipWriter&, const std::string&, uint32_t, uint32_t, uint32_t) { Step(); };
    zip.Zip();
}

void PackageBuilder::WriteSetupFile() const {
    File out = File::Open(output_, File::Mode::Create);
    if (!out) throw Exception("Unable to write to " + output_);
    const std::string pieces[] = {Piece("setup.pak"), Piece("install.pak"), src_.WorkDir + "install.ini",
                                  src_.WorkDir + "Install.dat", Piece("language.dat")};
    package::Trailer trailer;
    uint64_t offset = AppendPiece(out, pieces[0], output_, ProcessMessages);
    for (size_t i = 1; i < 5; ++i) {
        const uint32_t length = AppendPiece(out, pieces[i], output_, ProcessMessages);
        if (offset > std::numeric_limits<uint32_t>::max()) throw Exception("Setup file too large");
        trailer.Pieces[i - 1] = {static_cast<uint32_t>(offset), length};
        offset += length;
    }
    const auto tail = package::EncodeTrailer(trailer);
    if (!out.Write(tail) || !out.Close()) throw Exception("Unable to write to " + output_);
}

void PackageBuilder::Build() {
    const SaverSettings s = ReadSettings(src_.WorkDir + kSettingsName, SettingsReader::Editor);
    WriteInstallIni(s.Movies, s.Sounds);
    const std::vector<std::string> files = ArchiveList();

    // The copies' outcome is not checked: a missing piece just leaves its
    // entry out of the archive.
    fs::CopyFileTo(Piece("Uninstall.pak"), src_.WorkDir + "Uninstall.exe");
    Step();
    fs::CopyFileTo(Piece("Saver.pak"), src_.WorkDir + name_ + ".scr");
    Step();

    MakeArchive(files);
    try {
        WriteSetupFile();
    } catch (...) {
        fs::DeleteTree(output_);
        throw;
    }
}

}  // namespace qb
