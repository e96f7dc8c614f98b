// Whole setup files assembled from the pieces as the builder lays them out,
// installed into temporary folders, and removed again.
#include "app/Errors.h"
#include "app/ProfileFile.h"
#include "app/SaverSettings.h"
#include "builder/PackageLayout.h"
#include "builder/ZipWriter.h"
#include "installer/EntryName.h"
#include "installer/InstallLog.h"
#include "installer/InstallPlan.h"
#include "installer/Installer.h"
#include "installer/LocalFiles.h"
#include "installer/Uninstaller.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>

namespace qb::setup {
namespace {

using Bytes = std::vector<uint8_t>;
using test::TempDir;

Bytes B(const std::string& s) { return Bytes(s.begin(), s.end()); }

// The editor's side: a screensaver with two movies and a sound, the support
// files, and one listed movie that is missing when the package is built.
struct Package {
    TempDir work;
    std::string path;
    std::map<std::string, Bytes> content;  // entry name -> bytes
    std::vector<std::string> movies, sounds;
    int assembled = 0;

    Package() {
        const auto add = [&](const std::string& name, const Bytes& bytes) {
            content[name] = bytes;
            return work.Write(name, bytes);
        };
        std::vector<std::string> files = {
            add("Night Sky.scr", B("MZ the screensaver")),
            work.File("Quenbrook.dat"),
            add("QbMpegDll.dll", B("MZ decoder")),
            add("blank.swf", B("FWS blank")),
            add("Uninstall.exe", B("MZ uninstaller")),
            work.File("Flash.ocx"),  // never there: the engine is inside the program
            add("language.dat", B("[options]\r\n")),
        };
        movies = {add("stars.swf", Bytes(70000, 's')), add("moon.swf", B("FWS moon")),
                  work.File("gone.swf")};
        sounds = {add("tide.mp3", B("ID3 tide"))};
        SaverSettings s;
        s.Movies = movies;
        s.Sounds = sounds;
        s.Options.Quality = 1;
        SaveSettings(files[1], s);
        content["Quenbrook.dat"] = test::ReadBytes(files[1]);

        auto ini = ProfileFile::FromText("", work.File("install.ini"));
        ini.WriteString("Settings", "SaverName", "Night Sky");
        const std::pair<const char*, const char*> keys[] = {
            {"Night Sky.scr", "3"}, {"Quenbrook.dat", "0"}, {"QbMpegDll.dll", "0"}, {"Uninstall.exe", "0"},
            {"Flash.ocx", "4"},     {"Blank.swf", "0"},     {"Language.dat", "3"},  {"stars.swf", "1"},
            {"moon.swf", "1"},      {"gone.swf", "1"},      {"tide.mp3", "2"}};
        for (auto [k, v] : keys) ini.WriteString("Files", k, v);
        ini.Save();

        TZipWriter z;
        z.ZipName = work.File("Install.dat");
        z.PackLevel = 8;
        z.FilesList = files;
        z.FilesList.insert(z.FilesList.end(), movies.begin(), movies.end());
        z.FilesList.insert(z.FilesList.end(), sounds.begin(), sounds.end());
        z.Zip();

        path = Assemble(test::ReadBytes(work.File("install.ini")), test::ReadBytes(z.ZipName));
    }

    std::string Assemble(const Bytes& ini, const Bytes& archive) {
        const Bytes pieces[] = {B("MZ setup stub"), {}, ini, archive, content["language.dat"]};
        Bytes whole;
        package::Trailer t;
        for (size_t i = 0; i < 5; ++i) {
            if (i > 0) t.Pieces[i - 1] = {static_cast<uint32_t>(whole.size()), static_cast<uint32_t>(pieces[i].size())};
            whole.insert(whole.end(), pieces[i].begin(), pieces[i].end());
        }
        const auto trailer = package::EncodeTrailer(t);
        whole.insert(whole.end(), trailer.begin(), trailer.end());
        return work.Write("setup" + std::to_string(assembled++) + ".exe", whole);
    }
};

std::string Sep() { return std::string(1, PathSeparator()); }
// A relative path written with "/" in the platform's own separators.
std::string P(std::string path) {
    for (char& c : path)
        if (c == '/') c = PathSeparator();
    return path;
}

TEST(Installer, PlacesEachFileByItsKindAndUninstallsCleanly) {
    Package pkg;
    TempDir target;
    const std::string dest = target.File("Savers") + Sep() + "Night Sky";
    SetupPackage setup(pkg.path);
    EXPECT_EQ(setup.SaverName(), "Night Sky");
    EXPECT_EQ(setup.LanguageFile(), pkg.content["language.dat"]);
    std::vector<size_t> steps;
    const InstallLog log = InstallPackage(setup, dest, [&](size_t done, size_t total) {
        steps.push_back(done);
        EXPECT_EQ(total, 9u);
    });
    EXPECT_EQ(steps.size(), 9u);

    const std::string d = dest + Sep();
    const std::pair<std::string, std::string> placed[] = {
        {"Night Sky.scr", "Night Sky.scr"}, {"QbMpegDll.dll", "QbMpegDll.dll"}, {"blank.swf", "blank.swf"},
        {"Uninstall.exe", "Uninstall.exe"}, {"language.dat", "Language.ini"},   {"stars.swf", "Movies/stars.swf"},
        {"moon.swf", "Movies/moon.swf"},    {"tide.mp3", "Sounds/tide.mp3"}};
    for (const auto& [entry, where] : placed) EXPECT_EQ(test::ReadBytes(d + P(where)), pkg.content[entry]) << where;
    EXPECT_FALSE(fs::FileExists(d + "Flash.ocx"));
    EXPECT_FALSE(fs::FileExists(d + "language.dat"));
    EXPECT_EQ(log.SaverPath, d + "Night Sky.scr");
    EXPECT_EQ(log.UninstallKey, "Quenbrook-Night Sky");

    // The settings name the installed copies only; options are untouched.
    const SaverSettings s = ReadSettings(d + "Quenbrook.dat", SettingsReader::FullScreen);
    EXPECT_EQ(s.Movies, (std::vector<std::string>{d + P("Movies/stars.swf"), d + P("Movies/moon.swf")}));
    EXPECT_EQ(s.Sounds, (std::vector<std::string>{d + P("Sounds/tide.mp3")}));
    EXPECT_EQ(s.Options.Quality, 1);

    // The record read back is the record written.
    InstallLog again = ReadInstallLog(d + kInstallLogName);
    EXPECT_EQ(again.Files, log.Files);
    EXPECT_EQ(again.Directories, log.Directories);
    EXPECT_EQ(again.SaverPath, log.SaverPath);
    EXPECT_EQ(log.Files.size(), 9u);
    EXPECT_EQ(log.Directories.size(), 4u);  // Savers, Night Sky, Movies, Sounds

    // What cannot be removed stays on record for another attempt.
    InstallLog stuck = again;
    ASSERT_TRUE(fs::MakeDirectory(d + "Extras"));
    stuck.Files.push_back(d + "Extras");  // a folder where a file was expected: never deleted
    WriteInstallLog(d + kInstallLogName, stuck);
    EXPECT_EQ(RemoveInstalledFiles(stuck, d + kInstallLogName), std::vector<std::string>{d + "Extras"});
    EXPECT_EQ(ReadInstallLog(d + kInstallLogName).Files, std::vector<std::string>{d + "Extras"});
    EXPECT_FALSE(fs::FileExists(d + "Night Sky.scr"));
    fs::DeleteTree(d + "Extras");
    InstallPackage(setup, dest, {});  // and once more, for the checks below
    again = ReadInstallLog(d + kInstallLogName);

    // A file of the user's in the folder survives and keeps its folder.
    const std::string mine = d + P("Movies/mine.swf");
    ASSERT_TRUE(WriteWholeFile(mine, B("user's")));
    EXPECT_TRUE(RemoveInstalledFiles(again, d + kInstallLogName).empty());
    EXPECT_TRUE(fs::FileExists(mine));
    EXPECT_FALSE(fs::FileExists(d + "Night Sky.scr"));
    EXPECT_FALSE(fs::FileExists(d + "Sounds"));
    EXPECT_FALSE(fs::FileExists(d + kInstallLogName));
    fs::DeleteTree(mine);
    RemoveInstalledFiles(again, d + kInstallLogName);
    EXPECT_FALSE(fs::FileExists(target.File("Savers")));
}

// The sound is the last entry: everything else is placed before its data fails.
std::string LateDamaged(Package& pkg) {
    Bytes archive = test::ReadBytes(pkg.work.File("Install.dat"));
    const Bytes tide = B("ID3 tide");
    auto at = std::search(archive.begin(), archive.end(), tide.begin(), tide.end());
    EXPECT_NE(at, archive.end());
    archive[static_cast<size_t>(at - archive.begin()) + 5] ^= 1;
    return pkg.Assemble(test::ReadBytes(pkg.work.File("install.ini")), archive);
}

TEST(Installer, ADamagedPackageLeavesNothingBehind) {
    Package pkg;
    const Bytes good = test::ReadBytes(pkg.path);
    const Bytes ini = test::ReadBytes(pkg.work.File("install.ini"));
    const Bytes archive = test::ReadBytes(pkg.work.File("Install.dat"));
    std::string noSaverIni(ini.begin(), ini.end());
    // install.ini names a screensaver the archive does not carry.
    noSaverIni.replace(noSaverIni.find("SaverName=Night Sky"), 19, "SaverName=Dark  Sky");
    noSaverIni.replace(noSaverIni.find("Night Sky.scr=3"), 15, "Night Sky.scr=0");

    Bytes badMagic = good;
    badMagic.at(good.size() - 40) = 'X';
    Bytes badOffset = good;
    badOffset.at(good.size() - 40 + 16) += 1;

    const std::pair<const char*, std::string> cases[] = {
        {"trailer magic", pkg.work.Write("a.exe", badMagic)},
        {"trailer offsets", pkg.work.Write("b.exe", badOffset)},
        {"cut short", pkg.work.Write("c.exe", Bytes(good.begin(), good.end() - 100))},
        {"data damaged late", LateDamaged(pkg)},
        {"no screensaver", pkg.Assemble(B(noSaverIni), archive)},
        {"no name", pkg.Assemble(B("[Files]\r\nmoon.swf=1\r\n"), archive)},
    };
    for (const auto& [what, path] : cases) {
        SCOPED_TRACE(what);
        TempDir target;
        const std::string dest = target.File("deep") + Sep() + "Saver";
        try {
            SetupPackage setup(path);
            InstallPackage(setup, dest, {});
            ADD_FAILURE() << "installed";
        } catch (const Exception& e) {
            EXPECT_NE(std::string(e.what()).find("damaged"), std::string::npos) << e.what();
        }
        EXPECT_FALSE(fs::FileExists(target.File("deep")));
    }
}

TEST(Installer, ReinstallingKeepsTheEarlierInstallationUntilTheNewOneIsComplete) {
    Package pkg;
    const std::string good = pkg.path;
    TempDir target;
    const std::string dest = target.File("Saver");
    const std::string d = dest + Sep();
    {
        SetupPackage setup(good);
        InstallLog log = InstallPackage(setup, dest, {});
        // Pretend the earlier package also carried a movie the new one lacks.
        log.Files.push_back(d + P("Movies/old.swf"));
        ASSERT_TRUE(WriteWholeFile(log.Files.back(), B("old")));
        WriteInstallLog(d + kInstallLogName, log);
    }
    const Bytes logBefore = test::ReadBytes(d + kInstallLogName);
    const Bytes settingsBefore = test::ReadBytes(d + "Quenbrook.dat");

    SetupPackage damaged(LateDamaged(pkg));
    EXPECT_THROW(InstallPackage(damaged, dest, {}), Exception);
    EXPECT_EQ(test::ReadBytes(d + kInstallLogName), logBefore);
    EXPECT_EQ(test::ReadBytes(d + "Quenbrook.dat"), settingsBefore);
    EXPECT_EQ(test::ReadBytes(d + P("Movies/stars.swf")), pkg.content["stars.swf"]);
    EXPECT_EQ(test::ReadBytes(d + "Night Sky.scr"), pkg.content["Night Sky.scr"]);
    for (const char* leftover : {"Night Sky.scr.old", "Night Sky.scr.part", "Sounds/tide.mp3.part"})
        EXPECT_FALSE(fs::FileExists(d + P(leftover))) << leftover;

    SetupPackage again(good);
    const InstallLog log = InstallPackage(again, dest, {});
    EXPECT_EQ(log.Files.size(), 10u);  // the new installation's files and the earlier one's extra movie
    EXPECT_TRUE(RemoveInstalledFiles(ReadInstallLog(d + kInstallLogName), d + kInstallLogName).empty());
    EXPECT_FALSE(fs::FileExists(dest));
}

TEST(InstallPlan, KindsDecideTheFolder) {
    const std::map<std::string, char> kinds = {{"a.scr", '3'},       {"b.scr", '3'},     {"language.dat", '3'},
                                               {"quenbrook.dat", '0'}, {"m.swf", '1'},     {"s.mp3", '2'},
                                               {"flash.ocx", '4'},     {"odd.bin", '7'},   {"uninstall.ini", '0'},
                                               {"language.ini", '0'}};
    const auto kindOf = [&](const std::string& n) -> std::optional<char> {
        auto it = kinds.find(Folded(n));
        if (it == kinds.end()) return std::nullopt;
        return it->second;
    };
    const auto plan = PlanInstall({"a.scr", "Quenbrook.dat", "Language.dat", "Language.ini", "m.swf", "s.mp3",
                                   "Flash.ocx", "odd.bin", "unlisted.txt", "uninstall.ini", "b.scr"},
                                  kindOf);
    std::vector<std::string> where;
    for (const auto& f : plan.Files) where.push_back(f.Folder + "|" + f.FileName);
    // The language file takes the name the program reads; a second file of
    // that name, the control, unknown kinds and names and the record's own name stay out.
    EXPECT_EQ(where, (std::vector<std::string>{"|a.scr", "|Quenbrook.dat", "|Language.ini", "Movies|m.swf",
                                               "Sounds|s.mp3", "|b.scr"}));
    EXPECT_EQ(plan.Saver, 0u);
    EXPECT_EQ(plan.Settings, 1u);

    EXPECT_THROW(PlanInstall({"m.swf"}, kindOf), Exception);

    // A movie named like one of the builder's own files: the entry is that
    // file, whatever code the movie left in install.ini.
    const std::tuple<const char*, std::optional<char>, std::optional<char>> entryKinds[] = {
        {"Blank.SWF", '1', '0'},      {"quenbrook.dat", '2', '0'}, {"Uninstall.exe", '1', '0'},
        {"Night Sky.SCR", '1', '3'},  {"language.dat", '1', '3'},  {"QbMpegDll.dll", std::nullopt, '0'},
        {"other.scr", '1', '1'},      {"m.swf", std::nullopt, std::nullopt}};
    for (const auto& [name, ini, kind] : entryKinds) EXPECT_EQ(EntryKind(name, "Night Sky", ini), kind) << name;
    EXPECT_THROW(PlanInstall({"a.scr", "..\\x.swf"}, kindOf), Exception);
}

TEST(Uninstaller, TouchesNothingOutsideTheInstallationFolder) {
    TempDir root;
    const std::string dir = root.File("saver") + Sep();
    ASSERT_TRUE(fs::MakeDirectory(root.File("saver")));
    const std::string inside = root.Write("saver/a.swf", B("a"));
    const std::string outside = root.Write("other.txt", B("keep"));
    const std::string sneaky = dir + "../other.txt";
    InstallLog log;
    log.Directory = dir;
    log.Files = {inside, outside, sneaky, root.File("saverx/b.swf")};
    log.Directories = {root.File("elsewhere"), root.File("saver")};
    ASSERT_TRUE(fs::MakeDirectory(root.File("elsewhere")));
    const std::string logPath = dir + kInstallLogName;
    WriteInstallLog(logPath, log);
    EXPECT_TRUE(RemoveInstalledFiles(ReadInstallLog(logPath), logPath).empty());
    EXPECT_FALSE(fs::FileExists(inside));
    EXPECT_TRUE(fs::FileExists(outside));
    EXPECT_TRUE(fs::FileExists(root.File("elsewhere")));
    EXPECT_FALSE(fs::FileExists(root.File("saver")));

    const std::pair<const char*, bool> cases[] = {
        {"C:\\S\\a.swf", true},       {"c:\\s\\Movies\\a.swf", true}, {"C:\\S\\..\\a", false},
        {"C:\\S\\", false},           {"C:\\Sx\\a", false},          {"C:\\S\\.\\a", false},
        {"C:/S/Movies/a.swf", true},  {"D:\\S\\a", false},
    };
    for (const auto& [path, ok] : cases) EXPECT_EQ(IsInside(path, "C:\\S"), ok) << path;
}

}  // namespace
}  // namespace qb::setup
