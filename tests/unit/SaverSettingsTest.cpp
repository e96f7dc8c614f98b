#include "app/SaverSettings.h"

#include "app/Errors.h"
#include "app/ProfileFile.h"
#include "platform/FileSystem.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace qb {
namespace {

using test::ReadText;
using test::TempDir;

constexpr SettingsReader kReaders[] = {SettingsReader::Editor, SettingsReader::FullScreen,
                                       SettingsReader::Preview};

// Every option differs from every reader's default.
SaverSettings Sample() {
    SaverSettings s;
    s.Movies = {"C:\\Movies\\one.swf", "D:\\two.exe"};
    s.Sounds = {"C:\\Music\\a.mp3", "C:\\Music\\b.mid"};
    s.Options = {.MovieSize = 1, .Quality = 0, .Sequence = false, .BgColor = 0x123456,
                 .MouseMove = false, .MouseClick = false, .KeyPress = false, .ShowCursor = true,
                 .AutoPlay = false, .MovieBgSound = false, .RandomSound = true};
    return s;
}

void ExpectSame(const SaverSettings& got, const SaverSettings& want) {
    EXPECT_EQ(got.Movies, want.Movies);
    EXPECT_EQ(got.Sounds, want.Sounds);
    EXPECT_EQ(got.Options, want.Options);
}

TEST(SaverSettingsTest, EachReaderHasItsOwnDefaults) {
    struct Case {
        SettingsReader reader;
        bool autoPlay;
        uint32_t bgColor;
    };
    const Case cases[] = {{SettingsReader::Editor, true, 0xFFFFFF},
                          {SettingsReader::FullScreen, false, 0xFFFFFF},
                          {SettingsReader::Preview, false, 0x000000}};
    TempDir dir;
    const std::string noOptions = dir.Write("partial.dat", "[Path]\nAppPath=C:\\\n[Options]\n");
    for (const Case& c : cases) {
        SaverOptions want;
        want.AutoPlay = c.autoPlay;
        want.BgColor = c.bgColor;
        EXPECT_EQ(DefaultOptions(c.reader), want) << static_cast<int>(c.reader);
        for (const std::string& path : {dir.File("missing.dat"), noOptions}) {
            const SaverSettings s = ReadSettings(path, c.reader);
            EXPECT_EQ(s.Options, want) << path;
            EXPECT_TRUE(s.Movies.empty());
            EXPECT_TRUE(s.Sounds.empty());
        }
    }
}

TEST(SaverSettingsTest, WritesTheFileLayoutAndEveryReaderReadsItBack) {
    TempDir dir;
    const std::string path = dir.File("Quenbrook.dat");
    SaveSettings(path, Sample());
    EXPECT_EQ(ReadText(path),
              "[Movies]\r\n"
              "C:\\Movies\\one.swf=\r\n"
              "D:\\two.exe=\r\n"
              "[Options]\r\n"
              "MovieSize=1\r\n"
              "Quality=0\r\n"
              "Sequence=0\r\n"
              "BgColor=1193046\r\n"
              "MouseMove=0\r\n"
              "MouseClick=0\r\n"
              "KeyPress=0\r\n"
              "ShowCursor=1\r\n"
              "AutoPlay=0\r\n"
              "MovieBgSound=0\r\n"
              "RandomSound=1\r\n"
              "[Sounds]\r\n"
              "C:\\Music\\a.mp3=\r\n"
              "C:\\Music\\b.mid=\r\n");
    // A project file copied over the settings file reads the same everywhere.
    for (SettingsReader reader : kReaders) ExpectSame(ReadSettings(path, reader), Sample());

    // Saving again over its own output changes nothing.
    SaveSettings(path, ReadSettings(path, SettingsReader::Editor));
    for (SettingsReader reader : kReaders) ExpectSame(ReadSettings(path, reader), Sample());
}

TEST(SaverSettingsTest, EmptyListsLeaveNoSectionButAllElevenOptions) {
    TempDir dir;
    const std::string path = dir.Write("s.dat", "[Movies]\nC:\\old.swf=\n[Sounds]\nC:\\old.mp3=\n");
    SaverSettings empty;
    empty.Options = DefaultOptions(SettingsReader::Preview);
    SaveSettings(path, empty);

    const ProfileFile file(path);
    EXPECT_EQ(file.SectionNames(), std::vector<std::string>{"Options"});
    EXPECT_EQ(file.SectionKeys("Options"),
              (std::vector<std::string>{"MovieSize", "Quality", "Sequence", "BgColor", "MouseMove",
                                        "MouseClick", "KeyPress", "ShowCursor", "AutoPlay",
                                        "MovieBgSound", "RandomSound"}));
    // With every key present the readers' defaults no longer matter.
    for (SettingsReader reader : kReaders) ExpectSame(ReadSettings(path, reader), empty);
}

TEST(SaverSettingsTest, APathListedTwiceIsStoredOnceAtItsFirstPlace) {
    TempDir dir;
    const std::string path = dir.File("s.dat");
    SaverSettings s;
    s.Movies = {"C:\\A.swf", "D:\\b.swf", "c:\\a.SWF", "C:\\A.swf"};
    s.Sounds = {"E:\\x.mp3", "e:\\X.MP3"};
    SaveSettings(path, s);
    const SaverSettings back = ReadSettings(path, SettingsReader::Editor);
    EXPECT_EQ(back.Movies, (std::vector<std::string>{"C:\\A.swf", "D:\\b.swf"}));
    EXPECT_EQ(back.Sounds, std::vector<std::string>{"E:\\x.mp3"});
}

TEST(SaverSettingsTest, BackgroundColourIsStoredAsDecimalRgb) {
    TempDir dir;
    const std::string path = dir.File("s.dat");
    SaverSettings s;
    s.Options.BgColor = 0xFF0000;  // pure red, red in bits 16..23
    SaveSettings(path, s);
    EXPECT_NE(ReadText(path).find("\r\nBgColor=16711680\r\n"), std::string::npos);
    EXPECT_EQ(ReadSettings(path, SettingsReader::Preview).Options.BgColor, 0xFF0000u);
}

TEST(SaverSettingsTest, ReadsHandWrittenNumbers) {
    TempDir dir;
    const std::string path = dir.Write("s.dat",
                                       "[options]\n"
                                       "Sequence=2\n"
                                       "MovieSize=big\n"
                                       "Quality=-1\n"
                                       "BgColor=0xFF00\n"
                                       "ShowCursor=0x1\n"
                                       "MouseMove=no\n"
                                       "RandomSound=\n");
    const SaverOptions o = ReadSettings(path, SettingsReader::FullScreen).Options;
    EXPECT_TRUE(o.Sequence);
    EXPECT_EQ(o.MovieSize, 2);  // a word reads as the default
    EXPECT_EQ(o.Quality, -1);   // out of range comes back as stored
    EXPECT_EQ(o.BgColor, 0xFF00u);
    EXPECT_TRUE(o.ShowCursor);
    EXPECT_TRUE(o.MouseMove);
    EXPECT_FALSE(o.RandomSound);
}

TEST(SaverSettingsTest, SavingLeavesPathCommentsAndOtherSectionsAlone) {
    TempDir dir;
    const std::string path = dir.Write("s.dat",
                                       "; written by hand\r\n"
                                       "[Path]\r\n"
                                       "AppPath=C:\\Program Files\\Quenbrook\\\r\n"
                                       "FlashPath = D:\\Flash \r\n"
                                       "[Movies]\r\n"
                                       "C:\\old.swf=\r\n"
                                       "; gone with its section\r\n"
                                       "[Options]\r\n"
                                       "Quality=1\r\n"
                                       "Future=keep\r\n"
                                       "[Extra]\r\n"
                                       "anything=at all\r\n"
                                       "; trailing comment\r\n");
    SaverSettings s;
    s.Movies = {"C:\\new.swf"};
    SaveSettings(path, s);
    EXPECT_EQ(ReadText(path),
              "; written by hand\r\n"
              "[Path]\r\n"
              "AppPath=C:\\Program Files\\Quenbrook\\\r\n"
              "FlashPath = D:\\Flash \r\n"
              "[Options]\r\n"
              "Quality=2\r\n"
              "Future=keep\r\n"
              "MovieSize=2\r\n"
              "Sequence=1\r\n"
              "BgColor=16777215\r\n"
              "MouseMove=1\r\n"
              "MouseClick=1\r\n"
              "KeyPress=1\r\n"
              "ShowCursor=0\r\n"
              "AutoPlay=1\r\n"
              "MovieBgSound=1\r\n"
              "RandomSound=0\r\n"
              "[Extra]\r\n"
              "anything=at all\r\n"
              "; trailing comment\r\n"
              "[Movies]\r\n"
              "C:\\new.swf=\r\n");
    EXPECT_EQ(ReadAppPath(path, "dflt"), "C:\\Program Files\\Quenbrook\\");
}

TEST(SaverSettingsTest, ReadsEveryPathOfALongList) {
    // Far beyond the 16 384 bytes of key names that a fixed buffer would hold;
    // a cut there would drop entries or shorten the last path into another name.
    std::string text = "[Movies]\r\n";
    std::vector<std::string> want;
    for (int i = 0; want.size() < 600; ++i) {
        want.push_back("C:\\Some rather long folder name\\Movies\\movie number " + std::to_string(i) +
                       ".swf");
        text += want.back() + "=\r\n";
    }
    TempDir dir;
    const std::string path = dir.Write("long.dat", text);
    EXPECT_EQ(ReadSettings(path, SettingsReader::FullScreen).Movies, want);

    SaverSettings s;
    s.Sounds = want;
    SaveSettings(path, s);
    EXPECT_EQ(ReadSettings(path, SettingsReader::Editor).Sounds, want);
}

TEST(SaverSettingsTest, AReadOnlyFileRefusesTheSaveAndStaysAsItWas) {
    TempDir dir;
    namespace sfs = std::filesystem;
    const std::string original = "[Path]\r\nFlashPath=C:\\\r\n[Movies]\r\nC:\\kept.swf=\r\n";
    const std::string path = dir.Write("ro.dat", original);
    sfs::permissions(path, sfs::perms::owner_read | sfs::perms::group_read | sfs::perms::others_read);
    struct Restore {
        std::string path;
        ~Restore() {
            std::error_code ignored;
            sfs::permissions(path, sfs::perms::owner_all, sfs::perm_options::add, ignored);
        }
    } restore{path};
    if (!fs::IsReadOnlyFile(path))
        GTEST_SKIP() << "this account may write any file (root), so nothing refuses the save";

    EXPECT_THROW(SaveSettings(path, Sample()), Exception);
    EXPECT_THROW(WriteBrowsePaths(path, {"D:\\", "E:\\"}), Exception);
    EXPECT_EQ(ReadText(path), original);
}

TEST(SaverSettingsTest, BrowsePathsTouchOnlyTheirTwoKeys) {
    TempDir dir;
    const std::string path = dir.Write("s.dat",
                                       "[Path]\r\nAppPath=C:\\Data\\\r\nSoundPath=old\r\n"
                                       "[Movies]\r\nC:\\a.swf=\r\n");
    EXPECT_EQ(ReadBrowsePaths(path).SoundPath, "old");
    WriteBrowsePaths(path, {"D:\\Flash\\", "E:\\Sound\\"});
    EXPECT_EQ(ReadText(path),
              "[Path]\r\nAppPath=C:\\Data\\\r\nSoundPath=E:\\Sound\\\r\nFlashPath=D:\\Flash\\\r\n"
              "[Movies]\r\nC:\\a.swf=\r\n");
    const BrowsePaths back = ReadBrowsePaths(path);
    EXPECT_EQ(back.FlashPath, "D:\\Flash\\");
    EXPECT_EQ(back.SoundPath, "E:\\Sound\\");

    // A missing file or key gives the caller's default; an empty key stays empty.
    EXPECT_EQ(ReadAppPath(dir.File("none.dat"), "X:\\"), "X:\\");
    EXPECT_EQ(ReadAppPath(dir.Write("e.dat", "[Path]\nAppPath=\n"), "X:\\"), "");
    EXPECT_EQ(ReadAppPath(path, "X:\\"), "C:\\Data\\");

    WriteBrowsePaths(dir.File("fresh.dat"), {"", ""});
    EXPECT_EQ(ReadText(dir.File("fresh.dat")), "[Path]\r\nFlashPath=\r\nSoundPath=\r\n");
}

TEST(SaverSettingsTest, DropMissingFilesKeepsTheStoredOrder) {
    std::vector<std::string> paths = {"a", "gone1", "b", "gone2", "gone3", "c"};
    std::vector<std::string> asked;
    DropMissingFiles(paths, [&](const std::string& p) {
        asked.push_back(p);
        return p.rfind("gone", 0) != 0;
    });
    EXPECT_EQ(paths, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(asked, (std::vector<std::string>{"c", "gone3", "gone2", "b", "gone1", "a"}));

    std::vector<std::string> none;
    DropMissingFiles(none, [](const std::string&) { return false; });
    EXPECT_TRUE(none.empty());
}

}  // namespace
}  // namespace qb
