#pragma once
#include <functional>
#include <string>
#include <vector>

namespace qb {

// Where a build finds its inputs. Each directory ends in its separator.
struct PackageSources {
    std::string WorkDir;    // holds the settings file "Quenbrook.dat"; receives the intermediate files
    std::string AppDir;     // the program's own folder: "QbMpegDll.dll", "blank.swf"
    std::string PiecesDir;  // the "build" folder: setup.pak, install.pak, Uninstall.pak, Saver.pak, ...
};

// Assembles a setup file: install.ini, the archive Install.dat, and the five
// pieces with their trailer. The builder window and `qbtool package` share it.
class PackageBuilder {
public:
    PackageBuilder(PackageSources sources, std::string saverName, std::string outputPath);

    // The files the archive is made of, in order (some may not exist).
    std::vector<std::string> ArchiveList() const;
    // Steps a progress bar takes: one per listed file plus the two copies.
    int ProgressMax() const { return static_cast<int>(ArchiveList().size()) + 2; }

    std::function<void()> OnStep;           // one step of progress done
    std::function<void()> ProcessMessages;  // lets a window repaint during the long parts

    // Writes everything; throws qb::Exception on any failure, after removing
    // a setup file it had begun, so that no half-written file looks finished.
    void Build();

private:
    std::string Piece(const std::string& name) const;
    void WriteInstallIni(const std::vector<std::string>& movies, const std::vector<std::string>& sounds) const;
    void MakeArchive(const std::vector<std::string>& files) const;
    void WriteSetupFile() const;
    void Step() const;

    PackageSources src_;
    std::string name_;
    std::string output_;
};

}  // namespace qb
