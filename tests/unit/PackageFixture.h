#pragma once
#include <string>
#include <vector>

#include "builder/PackageBuilder.h"
#include "platform/FileSystem.h"
#include "tests/support/TempDir.h"

namespace qb::test {

// A data folder with every piece, an application folder, a working folder
// with settings listing the given movies and sounds.
struct PackageFixture {
    TempDir tmp;
    std::string sep = tmp.Path().substr(tmp.Path().size() - 1);
    PackageSources src;
    std::vector<std::string> movies, sounds;

    explicit PackageFixture(std::vector<std::string> movieNames, std::vector<std::string> soundNames = {}) {
        for (const char* d : {"app", "build", "work", "media"}) fs::MakeDirectory(tmp.File(d));
        src = {tmp.File("work") + sep, tmp.File("app") + sep, tmp.File("build") + sep};
        for (const char* p : {"setup.pak", "install.pak", "Uninstall.pak", "Saver.pak", "language.dat", "Flash.ocx"})
            tmp.Write(std::string("build") + sep + p, std::string("piece:") + p);
        tmp.Write("app" + sep + "blank.swf", std::string("FWS-blank"));
        tmp.Write("app" + sep + "QbMpegDll.dll", std::string("MZ-decoder"));
        std::string ini = "[Movies]\r\n";
        for (const auto& m : movieNames) {
            movies.push_back(tmp.Write("media" + sep + m, "movie " + m));
            ini += movies.back() + "=\r\n";
        }
        ini += "[Sounds]\r\n";
        for (const auto& s : soundNames) {
            sounds.push_back(tmp.Write("media" + sep + s, "sound " + s));
            ini += sounds.back() + "=\r\n";
        }
        tmp.Write("work" + sep + "Quenbrook.dat", ini);
    }
    std::string Output() const { return tmp.File("setup.exe"); }
};

}  // namespace qb::test
