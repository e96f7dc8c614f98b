// qbtool: the screensaver's movie and settings utilities on the command line.
#include "app/Errors.h"
#include "app/SaverSettings.h"
#include "app/SaverUtils.h"
#include "builder/PackageBuilder.h"
#include "builder/ZipWriter.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "player/MovieFiles.h"
#include "tools/qbtool/MovieCommands.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

const char kUsage[] =
    "usage: qbtool COMMAND ARGS\n"
    "\n"
    "  info FILE               signature, version, frame count and frame rectangle\n"
    "                          (pixels) of a movie, or of the movie inside a projector\n"
    "  mute FILE               silence a movie in place (its length stays the same)\n"
    "  extract PROJECTOR OUT   write the movie inside a projector to OUT\n"
    "  settings FILE           the settings as the full-screen player reads them:\n"
    "                          defaults applied, missing files dropped\n"
    "  zip ARCHIVE FILE...     add files to a zip archive by name alone, deflated\n"
    "                          at level 8; an existing archive is updated\n"
    "  package SETTINGS --name NAME --pieces DIR [--app DIR] -o SETUP.exe\n"
    "                          build a setup file from a settings or project file;\n"
    "                          DIR holds setup.pak, install.pak, Uninstall.pak,\n"
    "                          Saver.pak, language.dat (and Flash.ocx if any); --app\n"
    "                          holds blank.swf and QbMpegDll.dll (default: DIR)\n"
    "  render MOVIE --frame N --size WxH -o OUT.png [--quality low|medium|high]\n"
    "                          draw frame N (from 0, scripts run as when playing),\n"
    "                          scaled to fit, centred on the movie's background\n"
    "  bench MOVIE --frames N --size WxH [--quality low|medium|high]\n"
    "                          advance and draw N frames; prints the median and\n"
    "                          95th-percentile milliseconds per frame\n"
    "  --help                  this text\n"
    "\n"
    "info, mute and extract understand uncompressed (FWS) movies only; render\n"
    "and bench also play compressed (CWS) ones. Errors go to standard error\n"
    "and end with exit code 1; wrong usage ends with 2.\n";

int Fail(const std::string& message) {
    std::fprintf(stderr, "qbtool: %s\n", message.c_str());
    return 1;
}

bool PrintMovie(const std::vector<uint8_t>& header) {
    qb::TMovieInfo info;
    if (!qb::ParseMovieInfo(header, info)) return false;
    const auto& r = info.FrameRect;
    std::printf("signature=FWS\nversion=%u\nframes=%d\nrect=%d,%d,%d,%d\nsize=%dx%d\n", header[3],
                info.FrameCount, r.Left, r.Top, r.Right, r.Bottom, r.Right - r.Left, r.Bottom - r.Top);
    return true;
}

int Info(const std::string& path) {
    if (!qb::fs::FileExists(path)) return Fail("cannot open " + path);
    if (PrintMovie(qb::ReadMovieHeader(path))) return 0;
    if (qb::IsFlashProjector(path)) {
        std::printf("projector=yes\n");
        if (PrintMovie(qb::ReadProjectorMovieHeader(path))) return 0;
    }
    return Fail("not a movie: " + path);
}

int Mute(const std::string& path) {
    qb::TMovieInfo info;
    if (!qb::ParseMovieInfo(qb::ReadMovieHeader(path), info)) return Fail("not a movie: " + path);
    // The library mutes what it can and says nothing; here the user wants to know.
    if (!qb::File::Open(path, qb::File::Mode::ReadWrite)) return Fail("cannot write " + path);
    qb::MuteMovie(path);
    return 0;
}

int Extract(const std::string& projector, const std::string& out) {
    if (!qb::IsFlashProjector(projector)) return Fail("not a projector: " + projector);
    qb::ExtractProjectorMovie(projector, out);
    return 0;
}

void PrintList(const char* name, const std::vector<std::string>& paths) {
    std::printf("[%s]\n", name);
    for (const auto& p : paths) std::printf("%s\n", p.c_str());
}

int Settings(const std::string& path) {
    if (!qb::fs::FileExists(path)) return Fail("cannot open " + path);
    qb::SaverSettings s = qb::ReadSettings(path, qb::SettingsReader::FullScreen);
    qb::DropMissingFiles(s.Movies, qb::fs::FileExists);
    qb::DropMissingFiles(s.Sounds, qb::fs::FileExists);
    const qb::SaverOptions& o = s.Options;
    std::printf("MovieSize=%d\nQuality=%d\nSequence=%d\nBgColor=%u\nMouseMove=%d\nMouseClick=%d\n"
                "KeyPress=%d\nShowCursor=%d\nAutoPlay=%d\nMovieBgSound=%d\nRandomSound=%d\n",
                o.MovieSize, o.Quality, o.Sequence, o.BgColor, o.MouseMove, o.MouseClick, o.KeyPress,
                o.ShowCursor, o.AutoPlay, o.MovieBgSound, o.RandomSound);
    PrintList("Movies", s.Movies);
    PrintList("Sounds", s.Sounds);
    return 0;
}

int Zip(const std::string& archive, const std::vector<std::string>& files) {
    qb::TZipWriter zip;
    zip.ZipName = archive;
    zip.FilesList = files;
    zip.PackLevel = 8;
    zip.OnEndZip = [](qb::TZipWriter&, const std::string& name, uint32_t size, uint32_t packed, uint32_t) {
        std::printf("%s: %u -> %u bytes\n", name.c_str(), size, packed);
    };
    const int added = zip.Zip();
    std::printf("%d file(s) added or replaced in %s\n", added, archive.c_str());
    return 0;
}

std::string WithSeparator(std::string dir) {
    if (!dir.empty() && dir.back() != '/' && dir.back() != '\\') dir += '/';
    return dir;
}

int Package(const std::vector<std::string>& args) {
    std::string settings, name, pieces, app, output;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--name" && hasValue) name = args[++i];
        else if (a == "--pieces" && hasValue) pieces = args[++i];
        else if (a == "--app" && hasValue) app = args[++i];
        else if (a == "-o" && hasValue) output = args[++i];
        else if (settings.empty() && a.rfind("-", 0) != 0) settings = a;
        else return Fail("unexpected argument: " + a);
    }
    if (settings.empty() || name.empty() || pieces.empty() || output.empty())
        return Fail("package needs SETTINGS, --name, --pieces and -o");
    if (!qb::fs::FileExists(settings)) return Fail("cannot open " + settings);

    // The builder works in a folder of its own, as the editor's build does.
    std::string work = WithSeparator(qb::fs::TempDirectory()) + "qbpackage";
    while (qb::fs::FileExists(work)) work = qb::NextNumberedName(work);
    if (!qb::fs::MakeDirectory(work)) return Fail("cannot create " + work);
    struct Cleanup {
        std::string dir;
        ~Cleanup() { qb::fs::DeleteTree(dir); }
    } cleanup{work};
    work = WithSeparator(work);
    if (!qb::fs::CopyFileTo(settings, work + "Quenbrook.dat")) return Fail("cannot copy " + settings);

    pieces = WithSeparator(pieces);
    qb::PackageBuilder builder({work, app.empty() ? pieces : WithSeparator(app), pieces}, name, output);
    const int steps = builder.ProgressMax();
    int done = 0;
    builder.OnStep = [&] { std::printf("\r%d/%d", ++done, steps), std::fflush(stdout); };
    builder.Build();
    std::printf("\nwrote %s\n", output.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    try {
        if (args.size() == 2 && args[0] == "info") return Info(args[1]);
        if (args.size() == 2 && args[0] == "mute") return Mute(args[1]);
        if (args.size() == 3 && args[0] == "extract") return Extract(args[1], args[2]);
        if (args.size() == 2 && args[0] == "settings") return Settings(args[1]);
        if (!args.empty() && args[0] == "render") return qbtool::RenderCommand({args.begin() + 1, args.end()});
        if (!args.empty() && args[0] == "bench") return qbtool::BenchCommand({args.begin() + 1, args.end()});
        if (!args.empty() && args[0] == "package") return Package(args);
        if (args.size() >= 3 && args[0] == "zip")
            return Zip(args[1], std::vector<std::string>(args.begin() + 2, args.end()));
    } catch (const std::exception& e) {
        return Fail(e.what());
    }
    std::fputs(kUsage, stderr);
    return 2;
}
