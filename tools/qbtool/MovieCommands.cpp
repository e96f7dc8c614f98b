#include "tools/qbtool/MovieCommands.h"

#include "flash/movie/Movie.h"
#include "flash/movie/StageRenderer.h"
#include "flash/render/Png.h"
#include "platform/File.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

namespace qbtool {
namespace {

int Fail(const std::string& message) {
    std::fprintf(stderr, "qbtool: %s\n", message.c_str());
    return 1;
}

struct Options {
    std::string Movie, Output;
    int Frame = 0, Frames = 100, Width = 0, Height = 0;
    qb::render::Quality Quality = qb::render::Quality::High;
};

bool ParseSize(const std::string& s, int& w, int& h) {
    const size_t x = s.find('x');
    if (x == std::string::npos) return false;
    w = std::atoi(s.substr(0, x).c_str());
    h = std::atoi(s.substr(x + 1).c_str());
    return w > 0 && h > 0 && w <= 16384 && h <= 16384;
}

std::optional<Options> Parse(const std::vector<std::string>& args) {
    Options o;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool more = i + 1 < args.size();
        if (a == "--frame" && more) o.Frame = std::atoi(args[++i].c_str());
        else if (a == "--frames" && more) o.Frames = std::atoi(args[++i].c_str());
        else if (a == "--size" && more) {
            if (!ParseSize(args[++i], o.Width, o.Height)) return std::nullopt;
        } else if (a == "-o" && more) o.Output = args[++i];
        else if (a == "--quality" && more) {
            const std::string q = args[++i];
            if (q == "low") o.Quality = qb::render::Quality::Low;
            else if (q == "medium") o.Quality = qb::render::Quality::Medium;
            else if (q == "high") o.Quality = qb::render::Quality::High;
            else return std::nullopt;
        } else if (o.Movie.empty() && !a.empty() && a[0] != '-') o.Movie = a;
        else return std::nullopt;
    }
    if (o.Movie.empty() || o.Frame < 0 || o.Frames <= 0) return std::nullopt;
    return o;
}

std::unique_ptr<qb::movie::Movie> Open(const Options& o, std::string& error) {
    auto bytes = qb::ReadWholeFile(o.Movie);
    if (!bytes) {
        error = "cannot open " + o.Movie;
        return nullptr;
    }
    qb::swf::LoadError e;
    auto def = qb::movie::MovieDef::Load(std::move(*bytes), e);
    if (!def) {
        error = e == qb::swf::LoadError::Unsupported ? "unsupported movie compression: " + o.Movie
                                                     : "not a movie: " + o.Movie;
        return nullptr;
    }
    return std::make_unique<qb::movie::Movie>(def);
}

// The movie's own size in pixels when no --size is given.
void DefaultSize(const qb::movie::Movie& m, Options& o) {
    if (o.Width && o.Height) return;
    const auto& r = m.Definition().File().FrameRect;
    o.Width = std::clamp(r.Width() / 20, 1, 4096);
    o.Height = std::clamp(r.Height() / 20, 1, 4096);
}

}  // namespace

int RenderCommand(const std::vector<std::string>& args) {
    auto o = Parse(args);
    if (!o || o->Output.empty()) return Fail("usage: qbtool render MOVIE --frame N --size WxH -o OUT.png");
    std::string error;
    auto movie = Open(*o, error);
    if (!movie) return Fail(error);
    DefaultSize(*movie, *o);
    const auto image = qb::movie::RenderFrame(movie->DefinitionPtr(), o->Frame, o->Width, o->Height, o->Quality);
    if (!qb::render::WritePng(image, o->Output)) return Fail("cannot write " + o->Output);
    return 0;
}

int BenchCommand(const std::vector<std::string>& args) {
    auto o = Parse(args);
    if (!o) return Fail("usage: qbtool bench MOVIE --frames N --size WxH");
    std::string error;
    auto movie = Open(*o, error);
    if (!movie) return Fail(error);
    DefaultSize(*movie, *o);
    qb::render::Image image;
    image.Resize(o->Width, o->Height);
    qb::movie::StageRenderer renderer(o->Quality);
    std::vector<double> ms;
    for (int i = 0; i < o->Frames; ++i) {
        const auto start = std::chrono::steady_clock::now();
        movie->Tick();
        renderer.Render(*movie, image);
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    const double median = ms[ms.size() / 2];
    const double p95 = ms[std::min(ms.size() - 1, ms.size() * 95 / 100)];
    std::printf("frames=%d size=%dx%d median_ms=%.3f p95_ms=%.3f\n", o->Frames, o->Width, o->Height, median, p95);
    return 0;
}

}  // namespace qbtool
