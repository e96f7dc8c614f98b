// qbtool as a user runs it: real processes, real files, exit codes and output.
#include "player/MovieFiles.h"
#include "tests/support/SwfWriter.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace qb {
namespace {

struct Outcome {
    int exitCode;
    std::string out;
};

Outcome RunTool(const std::string& args) {
    std::string cmd = std::string(QBTOOL_PATH) + " " + args + " 2>&1";
    Outcome o{-1, {}};
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return o;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) o.out.append(buf, n);
    int status = pclose(p);
    o.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return o;
}

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

test::Bytes SoundMovie() {
    test::SwfWriter w({.Version = 7, .FrameRect = {0, 400 * 20, 0, 300 * 20}});
    const uint8_t sample[] = {128, 128};
    w.DefineSound(1, sample).StartSound(1).ShowFrame().ShowFrame().End();
    return w.Movie();
}

TEST(Qbtool, InfoOfMovieProjectorAndOther) {
    test::TempDir tmp;
    auto movie = SoundMovie();
    std::string swf = tmp.Write("a.swf", movie);
    const uint8_t stub[] = {'M', 'Z', 0, 0};
    std::string exe = tmp.Write("p.exe", test::MakeProjector(stub, movie));
    std::string other = tmp.Write("x.txt", std::string("hello"));

    auto a = RunTool("info " + Quoted(swf));
    EXPECT_EQ(a.exitCode, 0);
    EXPECT_EQ(a.out, "signature=FWS\nversion=7\nframes=2\nrect=0,0,400,300\nsize=400x300\n");
    auto p = RunTool("info " + Quoted(exe));
    EXPECT_EQ(p.exitCode, 0);
    EXPECT_EQ(p.out, "projector=yes\n" + a.out);
    auto o = RunTool("info " + Quoted(other));
    EXPECT_EQ(o.exitCode, 1);
    EXPECT_NE(o.out.find("not a movie"), std::string::npos) << o.out;
    auto c = RunTool("info " + Quoted(tmp.Write("c.swf", test::CompressMovie(movie))));
    EXPECT_EQ(c.exitCode, 1);
}

TEST(Qbtool, MuteAndExtract) {
    test::TempDir tmp;
    auto movie = SoundMovie();
    std::string swf = tmp.Write("a.swf", movie);
    EXPECT_EQ(RunTool("mute " + Quoted(swf)).exitCode, 0);
    auto muted = test::ReadBytes(swf);
    EXPECT_EQ(muted.size(), movie.size());
    EXPECT_NE(muted, movie);

    const uint8_t stub[] = {'M', 'Z', 1, 2, 3};
    std::string exe = tmp.Write("p.exe", test::MakeProjector(stub, movie));
    std::string out = tmp.File("out.swf");
    EXPECT_EQ(RunTool("extract " + Quoted(exe) + " " + Quoted(out)).exitCode, 0);
    EXPECT_EQ(test::ReadBytes(out), movie);

    auto bad = RunTool("extract " + Quoted(swf) + " " + Quoted(tmp.File("never.swf")));
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_NE(bad.out.find("not a projector"), std::string::npos);
    EXPECT_EQ(RunTool("mute " + Quoted(tmp.File("missing.swf"))).exitCode, 1);
}

TEST(Qbtool, SettingsAsThePlayerReadsThem) {
    test::TempDir tmp;
    std::string kept = tmp.Write("kept.swf", SoundMovie());
    std::string sound = tmp.Write("s.mp3", std::string("ID3"));
    std::string ini = tmp.Write("Quenbrook.dat", "[Movies]\r\n" + kept + "=\r\n" + tmp.File("gone.swf") +
                                                     "=\r\n[Options]\r\nQuality=1\r\nBgColor=0x00FF00\r\n"
                                                     "[Sounds]\r\n" + sound + "=\r\n");
    auto r = RunTool("settings " + Quoted(ini));
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "MovieSize=2\nQuality=1\nSequence=1\nBgColor=65280\nMouseMove=1\nMouseClick=1\n"
                     "KeyPress=1\nShowCursor=0\nAutoPlay=0\nMovieBgSound=1\nRandomSound=0\n[Movies]\n" +
                         kept + "\n[Sounds]\n" + sound + "\n");
}

TEST(Qbtool, ZipMakesAnArchiveUnzipAccepts) {
    test::TempDir tmp;
    std::string a = tmp.Write("a.swf", SoundMovie());
    std::string b = tmp.Write("b.txt", std::string("hello hello hello hello"));
    std::string archive = tmp.File("out.zip");
    auto r = RunTool("zip " + Quoted(archive) + " " + Quoted(a) + " " + Quoted(b) + " " + Quoted(tmp.File("none")));
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_NE(r.out.find("2 file(s) added"), std::string::npos) << r.out;
    EXPECT_EQ(std::system(("unzip -tqq " + Quoted(archive) + " >/dev/null").c_str()), 0);
    auto bad = RunTool("zip " + Quoted(a) + " " + Quoted(b));  // a movie is no archive to update
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_NE(bad.out.find("Invalid zip archive"), std::string::npos) << bad.out;
}

TEST(Qbtool, PackageBuildsASetupFileFromPieces) {
    test::TempDir tmp;
    for (const char* p : {"setup.pak", "install.pak", "Uninstall.pak", "Saver.pak", "language.dat", "blank.swf"})
        tmp.Write(p, std::string("piece ") + p);
    std::string movie = tmp.Write("m.swf", SoundMovie());
    std::string settings = tmp.Write("s.qbk", "[Movies]\r\n" + movie + "=\r\n");
    std::string out = tmp.File("setup.exe");
    auto r = RunTool("package " + Quoted(settings) + " --name Cats --pieces " + Quoted(tmp.Path()) + " -o " +
                     Quoted(out));
    EXPECT_EQ(r.exitCode, 0) << r.out;
    auto setup = test::ReadBytes(out);
    ASSERT_GT(setup.size(), 40u);
    EXPECT_EQ(std::string(setup.end() - 40, setup.end() - 32), "QBKSETUP");
    EXPECT_EQ(std::string(setup.begin(), setup.begin() + 15), "piece setup.pak");

    auto missing = RunTool("package " + Quoted(settings) + " --name Cats --pieces " + Quoted(tmp.File("nope")) +
                           " -o " + Quoted(tmp.File("x.exe")));
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(RunTool("package " + Quoted(settings)).exitCode, 1);
}

TEST(Qbtool, UsageErrors) {
    EXPECT_EQ(RunTool("").exitCode, 2);
    EXPECT_EQ(RunTool("frobnicate x").exitCode, 2);
    auto help = RunTool("--help");
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("settings FILE"), std::string::npos);
}

}  // namespace
}  // namespace qb
