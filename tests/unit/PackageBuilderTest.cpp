#include "builder/PackageBuilder.h"
#include "builder/PackageMail.h"

#include "app/Errors.h"
#include "app/ProfileFile.h"
#include "builder/PackageLayout.h"
#include "builder/ZipDirectory.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "tests/unit/PackageFixture.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

using test::TempDir;
using test::PackageFixture;

std::vector<std::string> ArchiveNames(const std::string& path) {
    File f = File::Open(path, File::Mode::Read);
    std::vector<std::string> names;
    for (const auto& e : zip::ReadDirectory(f).Entries) names.push_back(e.Name);
    return names;
}

TEST(PackageBuilder, BuildsTheFivePiecesWithATrailerThatLocatesThem) {
    PackageFixture fx({"cat.swf"});
    PackageBuilder b(fx.src, "NewSaver", fx.Output());
    EXPECT_EQ(b.ProgressMax(), 10);  // one movie, no sounds: eight files and two copies
    int steps = 0;
    b.OnStep = [&] { ++steps; };
    b.Build();
    EXPECT_EQ(steps, 10);

    const auto setup = test::ReadBytes(fx.Output());
    ASSERT_GT(setup.size(), package::kTrailerSize);
    std::array<uint8_t, package::kTrailerSize> tail;
    std::copy(setup.end() - package::kTrailerSize, setup.end(), tail.begin());
    const auto t = package::DecodeTrailer(tail, setup.size());
    ASSERT_TRUE(t.has_value());
    const auto piece = [&](package::Piece p) {
        auto s = t->Of(p);
        return std::string(setup.begin() + s.Offset, setup.begin() + s.Offset + s.Length);
    };
    EXPECT_EQ(piece(package::kStub), "piece:setup.pak");
    EXPECT_EQ(piece(package::kInstallPak), "piece:install.pak");
    EXPECT_EQ(piece(package::kLanguage), "piece:language.dat");
    EXPECT_EQ(piece(package::kInstallIni), test::ReadText(fx.src.WorkDir + "install.ini"));
    EXPECT_EQ(piece(package::kArchive), test::ReadText(fx.src.WorkDir + "Install.dat"));

    const std::vector<std::string> names = {"NewSaver.scr", "Quenbrook.dat", "QbMpegDll.dll", "blank.swf",
                                            "Uninstall.exe", "Flash.ocx", "language.dat", "cat.swf"};
    EXPECT_EQ(ArchiveNames(fx.src.WorkDir + "Install.dat"), names);
    EXPECT_EQ(test::ReadText(fx.src.WorkDir + "NewSaver.scr"), "piece:Saver.pak");

    const ProfileFile ini(fx.src.WorkDir + "install.ini");
    EXPECT_EQ(ini.ReadString("Settings", "SaverName", ""), "NewSaver");
    const std::vector<std::string> keys = {"NewSaver.scr", "Quenbrook.dat", "QbMpegDll.dll", "Uninstall.exe",
                                           "Flash.ocx",    "Blank.swf",     "Language.dat",  "cat.swf"};
    EXPECT_EQ(ini.SectionKeys("Files"), keys);
    const std::string kinds = "30004031";
    for (size_t i = 0; i < keys.size(); ++i) EXPECT_EQ(ini.ReadString("Files", keys[i], ""), kinds.substr(i, 1));
}

TEST(PackageBuilder, EquallyNamedFilesYieldOneEntryAndTheLastKind) {
    PackageFixture fx({"blank.swf", "b.swf"}, {"b.mp3", "song.mid"});
    fs::DeleteTree(fx.src.PiecesDir + "Flash.ocx");  // a missing file is just left out
    PackageBuilder b(fx.src, "Saver", fx.Output());
    b.Build();
    const auto names = ArchiveNames(fx.src.WorkDir + "Install.dat");
    EXPECT_EQ(std::count(names.begin(), names.end(), "blank.swf"), 1);
    EXPECT_EQ(std::count(names.begin(), names.end(), "Flash.ocx"), 0);
    EXPECT_EQ(test::ReadText(fx.src.WorkDir + "Install.dat").find("movie blank.swf"), std::string::npos);
    const ProfileFile ini(fx.src.WorkDir + "install.ini");
    EXPECT_EQ(ini.ReadString("Files", "Blank.swf", ""), "1");
    EXPECT_EQ(ini.ReadString("Files", "song.mid", ""), "2");
    EXPECT_EQ(ini.ReadString("Files", "Flash.ocx", ""), "4");
}

TEST(PackageBuilder, AFailedBuildLeavesNoSetupFile) {
    PackageFixture fx({"cat.swf"});
    fs::DeleteTree(fx.src.PiecesDir + "install.pak");
    PackageBuilder b(fx.src, "Saver", fx.Output());
    EXPECT_THROW(b.Build(), Exception);
    EXPECT_FALSE(fs::FileExists(fx.Output()));

    PackageBuilder nowhere(fx.src, "Saver", fx.tmp.File("missing-folder") + fx.sep + "setup.exe");
    EXPECT_THROW(nowhere.Build(), Exception);
}

TEST(PackageMail, ZipsTheSetupFileBesideItOnce) {
    TempDir tmp;
    EXPECT_EQ(MailArchivePath("C:\\Out\\NewSaver\\setup.exe"), "C:\\Out\\NewSaver\\setup.zip");
    EXPECT_EQ(MailArchivePath("C:\\v1.2\\setup"), "C:\\v1.2\\setup.zip");
    EXPECT_EQ(ZipForMail(tmp.File("setup.exe")), "");  // nothing built: nothing zipped
    EXPECT_FALSE(fs::FileExists(tmp.File("setup.zip")));

    const std::string setup = tmp.Write("setup.exe", std::string(5000, 'x'));
    EXPECT_EQ(ZipForMail(setup), tmp.File("setup.zip"));
    const auto first = test::ReadBytes(tmp.File("setup.zip"));
    EXPECT_EQ(ArchiveNames(tmp.File("setup.zip")), std::vector<std::string>{"setup.exe"});
    // Sent again: the entry is not older than the file, so the archive stays the same.
    EXPECT_EQ(ZipForMail(setup), tmp.File("setup.zip"));
    EXPECT_EQ(test::ReadBytes(tmp.File("setup.zip")), first);
}

TEST(PackageLayout, TrailerMustDescribeTheWholeFile) {
    package::Trailer t;
    t.Pieces = {{{10, 5}, {15, 3}, {18, 100}, {118, 2}}};
    const auto bytes = package::EncodeTrailer(t);
    EXPECT_TRUE(package::DecodeTrailer(bytes, 160).has_value());
    EXPECT_FALSE(package::DecodeTrailer(bytes, 161).has_value());  // a byte more or less: not ours
    auto gap = t;
    gap.Pieces[2].Offset = 19;
    EXPECT_FALSE(package::DecodeTrailer(package::EncodeTrailer(gap), 161).has_value());
    auto bad = bytes;
    bad[0] = 'X';
    EXPECT_FALSE(package::DecodeTrailer(bad, 160).has_value());
}

}  // namespace
}  // namespace qb
