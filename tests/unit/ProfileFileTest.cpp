#include "app/ProfileFile.h"

#include "app/Errors.h"
#include "platform/FileSystem.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace qb {
namespace {

using test::ReadText;
using test::TempDir;

// Hand-edited text: odd spacing, mixed line ends, comments, lines that are no
// entries, a section that comes twice.
const char* const kHandEdited =
    "; settings\n"
    "orphan=before any section\n"
    "[Options]\r\n"
    "  MovieSize =  1  \r\n"
    "\tquality\t=\t0x2\n"
    "Title=\"  quoted  \"\n"
    "Single='x'\n"
    "Half=\"x\n"
    "Formula=a=b=c\n"
    "Empty=\n"
    "; Commented=7\n"
    "no equals sign here\n"
    "= no key\n"
    "Twice=first\n"
    "TWICE=second\r"
    "[ Movies ]  \n"
    "C:\\b.swf=ignored value\n"
    "[movies]\n"
    "C:\\a.swf=\n"
    "c:\\B.SWF=\n";

TEST(ProfileFileTest, ReadsEntriesLikeTheSystemProfileReader) {
    const ProfileFile file = ProfileFile::FromText(kHandEdited);
    struct Case {
        const char* section;
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"Options", "MovieSize", "1"},
        {"OPTIONS", "Quality", "0x2"},
        {" options ", " quality ", "0x2"},
        {"Options", "Title", "  quoted  "},
        {"Options", "Single", "x"},
        {"Options", "Half", "\"x"},
        {"Options", "Formula", "a=b=c"},
        {"Options", "Empty", ""},  // present but empty: not the default
        {"Options", "Twice", "first"},
        {"Options", "; Commented", "<default>"},
        {"Options", "no equals sign here", "<default>"},
        {"Options", "", "<default>"},
        {"Options", "orphan", "<default>"},
        {"", "orphan", "<default>"},
        {"Movies", "c:\\B.swf", "ignored value"},
        {"Nowhere", "MovieSize", "<default>"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(file.ReadString(c.section, c.key, "<default>"), c.expected)
            << "[" << c.section << "] " << c.key;
}

TEST(ProfileFileTest, ListsSectionKeysInFileOrderOncePerName) {
    const ProfileFile file = ProfileFile::FromText(kHandEdited);
    EXPECT_EQ(file.SectionKeys("MOVIES"), (std::vector<std::string>{"C:\\b.swf", "C:\\a.swf"}));
    EXPECT_EQ(file.SectionKeys("Options"),
              (std::vector<std::string>{"MovieSize", "quality", "Title", "Single", "Half", "Formula",
                                        "Empty", "Twice"}));
    EXPECT_TRUE(file.SectionKeys("Sounds").empty());
    EXPECT_EQ(file.SectionNames(), (std::vector<std::string>{"Options", "Movies"}));
}

TEST(ProfileFileTest, ConvertsNumbersOrFallsBackToTheDefault) {
    struct Case {
        const char* text;
        int32_t expected;
    };
    const int32_t d = -77;
    const Case cases[] = {
        {"12", 12},
        {"-5", -5},
        {"007", 7},
        {"0x1F", 31},
        {"0XfF", 255},
        {"-0x10", -16},
        {"0xFFFFFFFF", -1},
        {"2147483647", 2147483647},
        {"-2147483648", INT32_MIN},
        {" 9 ", 9},
        {"'3'", 3},
        {"2147483648", d},
        {"0x100000000", d},
        {"word", d},
        {"", d},
        {"12abc", d},
        {"1 2", d},
        {"0x", d},
        {"-", d},
        {"+4", d},
        {"--4", d},
        {"0xG", d},
        {"1.5", d},
    };
    for (const Case& c : cases) {
        const ProfileFile file = ProfileFile::FromText(std::string("[S]\nk=") + c.text + "\n");
        EXPECT_EQ(file.ReadInteger("S", "k", d), c.expected) << "k=" << c.text;
    }
    EXPECT_EQ(ProfileFile::FromText("").ReadInteger("S", "k", d), d);
}

TEST(ProfileFileTest, BooleansAreAnyNonZeroNumber) {
    struct Case {
        const char* text;
        bool whenDefaultFalse, whenDefaultTrue;
    };
    const Case cases[] = {
        {"1", true, true},   {"0", false, false}, {"2", true, true},
        {"-1", true, true},  {"0x0", false, false}, {"yes", false, true},
        {"", false, true},
    };
    for (const Case& c : cases) {
        const ProfileFile file = ProfileFile::FromText(std::string("[S]\nb=") + c.text + "\n");
        EXPECT_EQ(file.ReadBool("S", "b", false), c.whenDefaultFalse) << "b=" << c.text;
        EXPECT_EQ(file.ReadBool("S", "b", true), c.whenDefaultTrue) << "b=" << c.text;
    }
}

TEST(ProfileFileTest, WritesInPlaceAppendsToTheSectionAndKeepsEverythingElse) {
    ProfileFile file = ProfileFile::FromText(
        "; top comment\n"
        "[Path]\n"
        "  AppPath = C:\\Data  \n"
        "odd line\n"
        "\n"
        "[Options]\n"
        "quality=1\n"
        "; keep me\n"
        "\n"
        "\n"
        "[Other]\n"
        "x=1");
    EXPECT_TRUE(file.WriteString("OPTIONS", "Quality", "2"));   // replaced, file's spelling kept
    EXPECT_TRUE(file.WriteString("Options", " BgColor ", "0"));  // after the comment, before blanks
    EXPECT_TRUE(file.WriteString("Path", "FlashPath", "D:\\"));
    EXPECT_TRUE(file.WriteString("Sounds", "C:\\a.mp3", ""));   // new section at the end
    EXPECT_TRUE(file.WriteString("sounds", "c:\\A.MP3", ""));   // same key, nothing new
    EXPECT_EQ(file.Text(),
              "; top comment\r\n"
              "[Path]\r\n"
              "  AppPath = C:\\Data  \r\n"
              "odd line\r\n"
              "FlashPath=D:\\\r\n"
              "\r\n"
              "[Options]\r\n"
              "quality=2\r\n"
              "; keep me\r\n"
              "BgColor=0\r\n"
              "\r\n"
              "\r\n"
              "[Other]\r\n"
              "x=1\r\n"
              "[Sounds]\r\n"
              "C:\\a.mp3=\r\n");
}

TEST(ProfileFileTest, WritesOnlyWhatReadsBackAsTheSameEntry) {
    ProfileFile file = ProfileFile::FromText("[S]\nkeep=1\n");
    const std::string before = file.Text();
    EXPECT_FALSE(file.WriteString("S", "", "v"));
    EXPECT_FALSE(file.WriteString("S", "   ", "v"));
    EXPECT_FALSE(file.WriteString("S", "; c", "v"));
    EXPECT_FALSE(file.WriteString("S", "[T]", "v"));
    EXPECT_FALSE(file.WriteString("S", "=k", "v"));
    EXPECT_FALSE(file.WriteString("S", "k", "line\r\nbreak"));
    EXPECT_FALSE(file.WriteString("S", "a\nb", ""));
    EXPECT_FALSE(file.WriteString("S\n[T]", "k", ""));
    EXPECT_EQ(file.Text(), before);

    // The key ends at its first '=', on writing as on reading.
    EXPECT_TRUE(file.WriteString("S", "C:\\a=b.swf", ""));
    EXPECT_EQ(file.SectionKeys("S"), (std::vector<std::string>{"keep", "C:\\a"}));
    EXPECT_EQ(file.ReadString("S", "C:\\a", "?"), "b.swf=");
}

TEST(ProfileFileTest, EraseSectionRemovesEveryPartOfIt) {
    ProfileFile file = ProfileFile::FromText(
        "[Movies]\nC:\\a.swf=\n; about Options\n[Options]\nk=1\n[MOVIES]\nC:\\b.swf=\n");
    file.EraseSection(" movies ");
    EXPECT_EQ(file.Text(), "[Options]\r\nk=1\r\n");
    EXPECT_TRUE(file.SectionKeys("Movies").empty());
    file.EraseSection("Absent");
    EXPECT_EQ(file.Text(), "[Options]\r\nk=1\r\n");
}

TEST(ProfileFileTest, MissingFileReadsEmptyAndSavesWithCrLf) {
    TempDir dir;
    ProfileFile file(dir.File("new.dat"));
    EXPECT_EQ(file.Text(), "");
    EXPECT_EQ(file.ReadString("Path", "AppPath", "dflt"), "dflt");
    file.WriteString("Options", "Quality", "2");
    file.Save();
    EXPECT_EQ(ReadText(dir.File("new.dat")), "[Options]\r\nQuality=2\r\n");

    // An untouched LF file comes back with CR LF and nothing else changed;
    // a UTF-8 mark stays in front.
    const std::string lf = dir.Write("lf.dat", "\xEF\xBB\xBF[A]\n k = v \n;c\n\nx\n");
    ProfileFile(lf).Save();
    EXPECT_EQ(ReadText(lf), "\xEF\xBB\xBF[A]\r\n k = v \r\n;c\r\n\r\nx\r\n");
    EXPECT_EQ(ProfileFile(lf).ReadString("a", "K", ""), "v");

    // Only the settings file is left behind, no temporary files.
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"lf.dat", "new.dat"}));
}

TEST(ProfileFileTest, SaveIntoMissingFolderReportsThePath) {
    TempDir dir;
    const std::string path = dir.File("no such folder") + "/x.dat";
    ProfileFile file(path);
    file.WriteString("Options", "Quality", "2");
    try {
        file.Save();
        FAIL() << "saved into a missing folder";
    } catch (const Exception& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + path);
    }
}

TEST(ProfileFileTest, ReadOnlyFileRefusesTheSaveAndStaysIntact) {
    namespace sfs = std::filesystem;
    TempDir dir;
    const std::string original = "[Options]\nQuality=1\n";
    const std::string path = dir.Write("ro.dat", original);
    const auto readOnly = sfs::perms::owner_read | sfs::perms::group_read | sfs::perms::others_read;
    sfs::permissions(path, readOnly);
    struct Restore {
        std::string path;
        ~Restore() {
            std::error_code ignored;  // so that the folder can be removed
            sfs::permissions(path, sfs::perms::owner_all, sfs::perm_options::add, ignored);
        }
    } restore{path};
    if (!fs::IsReadOnlyFile(path))
        GTEST_SKIP() << "this account may write any file (root), so nothing refuses the save";

    ProfileFile file(path);
    file.WriteString("Options", "Quality", "2");
    try {
        file.Save();
        FAIL() << "a read-only file was replaced";
    } catch (const Exception& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + path);
    }
    EXPECT_EQ(ReadText(path), original);
}

}  // namespace
}  // namespace qb
