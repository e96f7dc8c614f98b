#include "editor/EditorSettings.h"

#include "platform/FileSystem.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

TEST(SettingsModified, OptionsAndListsAgainstTheFile) {
    test::TempDir tmp;
    SaverSettings shown;
    shown.Options = DefaultOptions(SettingsReader::Editor);
    shown.Movies = {"C:\\a.swf", "C:\\b.swf"};
    shown.Sounds = {"C:\\s.mp3"};
    const std::string path = tmp.File("Quenbrook.dat");
    SaveSettings(path, shown);
    EXPECT_FALSE(SettingsModified(path, shown));

    struct Change {
        const char* what;
        void (*apply)(SaverSettings&);
    };
    const Change changes[] = {
        {"size", [](SaverSettings& s) { s.Options.MovieSize = 0; }},
        {"quality", [](SaverSettings& s) { s.Options.Quality = 1; }},
        {"order", [](SaverSettings& s) { s.Options.Sequence = false; }},
        {"colour", [](SaverSettings& s) { s.Options.BgColor = 0xFF0000; }},
        {"auto play", [](SaverSettings& s) { s.Options.AutoPlay = false; }},
        {"movie order", [](SaverSettings& s) { std::swap(s.Movies[0], s.Movies[1]); }},
        {"movie case", [](SaverSettings& s) { s.Movies[0] = "C:\\A.swf"; }},
        {"sound removed", [](SaverSettings& s) { s.Sounds.clear(); }},
        {"a path twice", [](SaverSettings& s) { s.Movies.push_back("C:\\a.swf"); }},
    };
    for (const Change& c : changes) {
        SaverSettings edited = shown;
        c.apply(edited);
        EXPECT_TRUE(SettingsModified(path, edited)) << c.what;
    }
}

TEST(SettingsModified, NoFileReadsBlackWhileTheEditorShowsWhite) {
    test::TempDir tmp;
    SaverSettings shown;
    shown.Options = DefaultOptions(SettingsReader::Editor);
    EXPECT_TRUE(SettingsModified(tmp.File("none.dat"), shown));
    shown.Options.BgColor = 0;
    EXPECT_FALSE(SettingsModified(tmp.File("none.dat"), shown));
}

TEST(EditorBuild, NextFreeBuildFolderAndMissingPieces) {
    test::TempDir tmp;
    EXPECT_EQ(ChooseBuildDirectory(tmp.Path()), tmp.File("build"));
    ASSERT_TRUE(fs::MakeDirectory(tmp.File("build")));
    ASSERT_TRUE(fs::MakeDirectory(tmp.File("build1")));
    EXPECT_EQ(ChooseBuildDirectory(tmp.Path()), tmp.File("build2"));
    // A dot elsewhere in the path does not move the folder out of the temporary directory.
    const std::string sep = tmp.Path().substr(tmp.Path().size() - 1);
    ASSERT_TRUE(fs::MakeDirectory(tmp.File("my.temp")));
    const std::string dotted = tmp.File("my.temp") + sep;
    ASSERT_TRUE(fs::MakeDirectory(dotted + "build"));
    EXPECT_EQ(ChooseBuildDirectory(dotted), dotted + "build1");

    EXPECT_EQ(FirstMissingBuildFile(tmp.Path()), "build" + sep + "install.pak");
    for (const char* p : {"install.pak", "setup.pak", "Saver.pak"}) tmp.Write("build" + sep + p, std::string("x"));
    EXPECT_EQ(FirstMissingBuildFile(tmp.Path()), "build" + sep + "uninstall.pak");
    tmp.Write("build" + sep + "Uninstall.pak", std::string("x"));
    EXPECT_EQ(FirstMissingBuildFile(tmp.Path()), "");
}

}  // namespace
}  // namespace qb
