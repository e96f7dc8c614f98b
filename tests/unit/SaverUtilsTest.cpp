#include "app/SaverUtils.h"

#include "app/Errors.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

TEST(SaverUtils, AddTrailingBackslash) {
    EXPECT_EQ(AddTrailingBackslash(""), "");
    EXPECT_EQ(AddTrailingBackslash("C:\\a"), "C:\\a\\");
    EXPECT_EQ(AddTrailingBackslash("C:\\a\\"), "C:\\a\\");
}

TEST(SaverUtils, IntAfterColon) {
    const std::pair<const char*, int32_t> cases[] = {
        {"/p:1234", 1234}, {"1234", 1234}, {" \t56\r\n", 56}, {"x: 56 ", 56}, {"/p:abc", 0},
        {"", 0},           {":", 0},       {"/p:12a", 0},     {"a:1:2", 0},   {"-7", -7},
        {"99999999999", 0},  // beyond 32 bits: not a number we can take
    };
    for (auto [text, value] : cases) EXPECT_EQ(IntAfterColon(text), value) << text;
}

TEST(SaverUtils, NextNumberedName) {
    const std::pair<const char*, const char*> cases[] = {
        {"build", "build1"},
        {"build1", "build2"},
        {"Saver09.scr", "Saver10.scr"},
        {"a.b.swf", "a1.b.swf"},
        {"007", "8"},
        {"Saver99", "Saver100"},
        {"C:\\Temp\\my.dir\\build3", "C:\\Temp\\my1.dir\\build3"},  // the first dot of the whole text
        {"n99999999999999999999.x", "n100000000000000000000.x"},
    };
    for (auto [in, out] : cases) EXPECT_EQ(NextNumberedName(in), out) << in;
}

TEST(SaverUtils, ExtractFileDirKeepsRoots) {
    EXPECT_EQ(ExtractFileDir("C:\\a\\b.txt"), "C:\\a");
    EXPECT_EQ(ExtractFileDir("C:\\a"), "C:\\");
    EXPECT_EQ(ExtractFileDir("C:"), "C:");
    EXPECT_EQ(ExtractFilePath("C:\\a\\b.txt"), "C:\\a\\");
    EXPECT_EQ(ExtractFilePath("b.txt"), "");
}

TEST(SaverUtils, MakeDirectoryPathCreatesEveryLevel) {
    test::TempDir tmp;
    std::string deep = tmp.File("one") + tmp.Path().substr(tmp.Path().size() - 1) + "two";
    EXPECT_TRUE(MakeDirectoryPath(deep));
    EXPECT_TRUE(IsExistingDirectory(deep));
    EXPECT_TRUE(MakeDirectoryPath(deep + tmp.Path().substr(tmp.Path().size() - 1)));  // already there
    EXPECT_THROW(MakeDirectoryPath(""), Exception);
    EXPECT_TRUE(MakeDirectoryPath("C:"));
    EXPECT_TRUE(MakeDirectoryPath("C:\\"));
}

TEST(SaverUtils, MakeDirectoryPathFailsBelowAFile) {
    test::TempDir tmp;
    std::string file = tmp.Write("plain", std::string("x"));
    std::string sep = tmp.Path().substr(tmp.Path().size() - 1);
    EXPECT_FALSE(MakeDirectoryPath(file + sep + "sub"));
}

TEST(SaverUtils, DeletePathRemovesTreesAndFailsCleanly) {
    test::TempDir tmp;
    std::string sep = tmp.Path().substr(tmp.Path().size() - 1);
    std::string dir = tmp.File("tree");
    ASSERT_TRUE(MakeDirectoryPath(dir + sep + "inner"));
    tmp.Write("tree" + sep + "inner" + sep + "f.txt", std::string("data"));
    tmp.Write("tree" + sep + "g.txt", std::string("data"));
    EXPECT_TRUE(DeletePath(dir));
    EXPECT_FALSE(fs::FileExists(dir));
    EXPECT_FALSE(DeletePath(tmp.File("never-was")));
    // A path far longer than any fixed buffer must neither overrun nor delete something else.
    std::string longPath = tmp.File(std::string(600, 'x'));
    EXPECT_FALSE(DeletePath(longPath));
    EXPECT_TRUE(fs::FileExists(tmp.File("")));
}

TEST(SaverUtils, TempDirEndsInBackslash) {
    std::string t = GetTempDir();
    ASSERT_FALSE(t.empty());
    EXPECT_EQ(t.back(), '\\');
}

}  // namespace
}  // namespace qb
