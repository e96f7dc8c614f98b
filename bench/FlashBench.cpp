// The movie engine's speed on generated animations at 1920 x 1080:
// median and 95th-percentile milliseconds per frame (advance and draw), set
// against a plain fill of the same buffer, the floor memory bandwidth sets.
// Then memory over thousands of frames of a looping movie.
#include "flash/movie/Movie.h"
#include "flash/movie/StageRenderer.h"
#include "flash/render/Blend.h"
#include "flash/render/Png.h"
#include "tests/support/MovieBuilder.h"
#include "tests/support/TextBuilder.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

using namespace qb;
using namespace qb::test;

namespace {

// Small deterministic random numbers: the same movies on every run.
struct Random {
    uint32_t state = 12345;
    uint32_t Next() { return state = state * 1664525u + 1013904223u; }
    int Int(int lo, int hi) { return lo + static_cast<int>(Next() >> 8) % (hi - lo + 1); }
    double Real(double lo, double hi) { return lo + (hi - lo) * ((Next() >> 8) / 16777216.0); }
    uint32_t Color(uint8_t alpha) { return (Next() & 0xFFFFFF00u) | alpha; }
};

// A closed blob of quadratic arcs around the origin.
void Blob(ShapeBuilder& s, Random& rnd, int radius, uint32_t fill, uint32_t line) {
    const int n = rnd.Int(6, 10);
    std::vector<std::pair<int, int>> pts;
    for (int i = 0; i < n; ++i) {
        const double a = 2 * std::numbers::pi * i / n, r = radius * rnd.Real(0.6, 1.1);
        pts.push_back({static_cast<int>(r * std::cos(a)), static_cast<int>(r * std::sin(a))});
    }
    auto mid = [&](int i) {
        const auto& a = pts[i % n];
        const auto& b = pts[(i + 1) % n];
        return std::make_pair((a.first + b.first) / 2, (a.second + b.second) / 2);
    };
    s.Styles(0, fill, line);
    s.MoveTo(mid(0).first, mid(0).second);
    for (int i = 1; i <= n; ++i) s.CurveTo(pts[i % n].first, pts[i % n].second, mid(i).first, mid(i).second);
}

MatrixSpec Spin(double scale, double angle, int tx, int ty) {
    return {scale * std::cos(angle), scale * std::sin(angle), -scale * std::sin(angle), scale * std::cos(angle), tx, ty};
}

const GradientSpec kSky{.Stops = {{0, 0x3060C0FF}, {160, 0x90C0F0FF}, {255, 0xF0E0B0FF}}};

// Cartoon-like: a gradient sky, ten moving sprites of thirty outlined blobs
// each (some with gradients), two of them tinted, three behind a mask.
Bytes Cartoon(Random& rnd) {
    SwfWriter w(MovieHeader{.Version = 8, .FrameRate = 24});
    w.SetBackgroundColor(0xFFFFFF);
    ShapeBuilder sky(true);
    sky.Rect(0, 0, 11000, 8000, sky.Linear({.A = 0, .B = 0.25, .C = -0.25, .D = 0, .Tx = 5500, .Ty = 4000}, kSky));
    Shape(w, 1, sky);
    for (uint16_t id = 10; id < 40; ++id) {
        ShapeBuilder s(true);
        const uint32_t fill = id % 4 == 0 ? s.Radial({.A = 0.05, .D = 0.05}, {.Stops = {{0, 0xFFFFFFFF}, {255, rnd.Color(255)}}})
                                          : s.Solid(rnd.Color(id % 3 ? 255 : 180));
        Blob(s, rnd, rnd.Int(200, 700), fill, s.Line(30, 0x202020FF));
        Shape(w, id, s);
    }
    for (uint16_t sprite = 100; sprite < 110; ++sprite) {
        TagList t;
        std::vector<MatrixSpec> at;
        for (uint16_t d = 1; d <= 30; ++d) {
            at.push_back(Spin(rnd.Real(0.5, 1.2), rnd.Real(0, 6), rnd.Int(-1800, 1800), rnd.Int(-1300, 1300)));
            Place(t, {.Depth = d, .Character = static_cast<uint16_t>(rnd.Int(10, 39)), .Matrix = at.back()});
        }
        t.ShowFrame();
        for (int f = 1; f < 12; ++f) {
            for (uint16_t d = 1; d <= 30; d += 3) {
                MatrixSpec m = at[d - 1];
                m.Tx += f * 40, m.Ty -= f * 25;
                Place(t, {.Depth = d, .Move = true, .Matrix = m});
            }
            t.ShowFrame();
        }
        t.End();
        w.DefineSprite(sprite, t);
    }
    ShapeBuilder mask;
    mask.Circle(0, 0, 2600, mask.Solid(0x000000FF));
    Shape(w, 200, mask);

    Place(w, {.Depth = 1, .Character = 1});
    for (int f = 0; f < 48; ++f) {
        const double t = f / 48.0 * 2 * std::numbers::pi;
        for (uint16_t i = 0; i < 10; ++i) {
            const uint16_t depth = static_cast<uint16_t>(10 + i);
            PlaceSpec p{.Depth = depth, .Move = f > 0,
                        .Matrix = Spin(0.9 + 0.2 * std::sin(t + i), 0.2 * std::sin(t + i * 0.7),
                                       1500 + (i % 5) * 2000 + static_cast<int>(600 * std::cos(t + i)),
                                       2200 + (i / 5) * 3600)};
            if (f == 0) {
                p.Character = static_cast<uint16_t>(100 + i);
                if (i == 3) p.Cx = CxformSpec{.RMul = 200, .AMul = 180, .BAdd = 40};
                if (i == 6) p.Cx = CxformSpec{.GMul = 128, .AMul = 210, .RAdd = 60};
            }
            Place(w, p);
        }
        Place(w, {.Depth = 5, .Move = f > 0, .Character = f ? std::nullopt : std::optional<uint16_t>(200),
                  .Matrix = MatrixSpec{.Tx = 5500 + static_cast<int>(2500 * std::sin(t)), .Ty = 4000},
                  .ClipDepth = f ? std::nullopt : std::optional<uint16_t>(12)});
        w.ShowFrame();
    }
    w.End();
    return w.Movie();
}

// Large overlapping translucent gradients: fill rate.
Bytes Gradients(Random& rnd) {
    SwfWriter w(MovieHeader{.Version = 8, .FrameRate = 24});
    for (uint16_t id = 1; id <= 40; ++id) {
        ShapeBuilder s(true);
        GradientSpec g{.Spread = static_cast<uint8_t>(id % 3), .Stops = {{0, rnd.Color(220)}, {255, rnd.Color(90)}}};
        const MatrixSpec m{.A = 0.08, .D = 0.08};
        const uint32_t fill = id % 3 == 0 ? s.Linear(m, g) : id % 3 == 1 ? s.Radial(m, g) : s.Focal(m, {g.Spread, 0, g.Stops, 0.6});
        s.Circle(0, 0, rnd.Int(1500, 3500), fill);
        Shape(w, id, s);
    }
    for (int f = 0; f < 48; ++f) {
        for (uint16_t id = 1; id <= 40; ++id) {
            const double t = (f + id * 7) / 48.0 * 2 * std::numbers::pi;
            PlaceSpec p{.Depth = id, .Move = f > 0,
                        .Matrix = Spin(1, t, 5500 + static_cast<int>(4000 * std::cos(t * 0.5 + id)),
                                       4000 + static_cast<int>(2800 * std::sin(t + id)))};
            if (f == 0) p.Character = id;
            Place(w, p);
        }
        w.ShowFrame();
    }
    w.End();
    return w.Movie();
}

// Strokes: two hundred curved lines of several widths, redrawn rotating.
Bytes Lines(Random& rnd) {
    SwfWriter w(MovieHeader{.Version = 8, .FrameRate = 24});
    ShapeBuilder s;
    for (int i = 0; i < 200; ++i) {
        s.Styles(0, 0, s.Line(static_cast<uint16_t>(rnd.Int(10, 120)), rnd.Color(255)));
        s.MoveTo(rnd.Int(-5000, 5000), rnd.Int(-3500, 3500));
        for (int k = 0; k < 4; ++k)
            s.CurveTo(rnd.Int(-5000, 5000), rnd.Int(-3500, 3500), rnd.Int(-5000, 5000), rnd.Int(-3500, 3500));
    }
    Shape(w, 1, s);
    for (int f = 0; f < 48; ++f) {
        Place(w, {.Depth = 1, .Move = f > 0, .Character = f ? std::nullopt : std::optional<uint16_t>(1),
                  .Matrix = Spin(1, f / 48.0 * std::numbers::pi / 8, 5500, 4000)});
        w.ShowFrame();
    }
    w.End();
    return w.Movie();
}

// Text: forty static texts of three lines and ten wrapped text fields in
// an embedded font, some four thousand glyphs, drifting, the fields
// breathing in size and a few texts turning.
Bytes Text(Random& rnd) {
    SwfWriter w(MovieHeader{.Version = 8, .FrameRate = 24});
    w.SetBackgroundColor(0xFFFFFF);
    DefineFont2(w, 1, BlockFont());
    const char* kWords[] = {"QUICK", "BROWN", "FOX", "JUMPS", "OVER", "THE", "LAZY", "DOG", "0123", "456789", "TEXT"};
    auto words = [&](size_t chars) {
        std::string s;
        while (s.size() < chars) s += std::string(kWords[rnd.Int(0, 10)]) + " ";
        return s.substr(0, chars);
    };
    for (uint16_t id = 10; id < 50; ++id) {
        const uint16_t height = static_cast<uint16_t>(rnd.Int(70, 140));
        std::vector<TextRunSpec> runs;
        for (int line = 0; line < 3; ++line)
            runs.push_back(BlockRun(1, words(25), height, 0, static_cast<int16_t>(line * height * 5 / 4), rnd.Color(255)));
        DefineText2(w, id, {0, 3000, -200, 400}, {}, runs);
    }
    for (uint16_t id = 50; id < 60; ++id)
        DefineEditText(w, id, {.Bounds = {0, 2400, 0, 1400}, .WordWrap = true, .Multiline = true, .Border = id % 2 == 0,
                               .UseOutlines = true, .Font = 1, .Height = 100, .Rgba = rnd.Color(255),
                               .Text = words(110)});
    std::vector<std::pair<int, int>> at;
    for (int i = 0; i < 50; ++i) at.push_back({rnd.Int(0, 9000), rnd.Int(0, 7600)});
    for (int f = 0; f < 48; ++f) {
        const double t = f / 48.0 * 2 * std::numbers::pi;
        for (uint16_t i = 0; i < 50; ++i) {
            const auto [x, y] = at[i];
            const bool field = i >= 40;
            const double scale = field ? 1 + 0.15 * std::sin(t + i) : 1;
            const double angle = i % 8 == 0 ? 0.3 * std::sin(t + i) : 0;
            PlaceSpec p{.Depth = static_cast<uint16_t>(i + 1), .Move = f > 0,
                        .Matrix = Spin(scale, angle, x + static_cast<int>(300 * std::cos(t + i)),
                                       y + static_cast<int>(200 * std::sin(t * 2 + i)))};
            if (f == 0) p.Character = static_cast<uint16_t>(10 + i);
            Place(w, p);
        }
        w.ShowFrame();
    }
    w.End();
    return w.Movie();
}

// A picture of w x h pixels: soft bands of two colours with a few rings,
// the edge fading out when it has alpha.
std::vector<uint32_t> Picture(Random& rnd, int w, int h, bool alpha) {
    const uint32_t a = rnd.Color(255), b = rnd.Color(255);
    const double fx = rnd.Real(0.02, 0.2), fy = rnd.Real(0.02, 0.2);
    std::vector<uint32_t> px;
    px.reserve(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double t = 0.5 + 0.25 * std::sin(x * fx) + 0.25 * std::cos(y * fy + std::hypot(x - w / 2, y - h / 2) * 0.1);
            auto mix = [t](uint32_t p, uint32_t q, int shift) {
                return static_cast<uint32_t>(((p >> shift) & 0xFF) * (1 - t) + ((q >> shift) & 0xFF) * t) << shift;
            };
            uint32_t opacity = 255;
            if (alpha) {
                const double edge = std::min({x, y, w - 1 - x, h - 1 - y}) / (0.25 * std::min(w, h));
                opacity = static_cast<uint32_t>(255 * std::clamp(edge, 0.0, 1.0));
            }
            px.push_back(mix(a, b, 24) | mix(a, b, 16) | mix(a, b, 8) | opacity);
        }
    return px;
}

// Photo-like: three large pictures and twenty small ones (a third with
// alpha), each filling its own rectangle without repeating, smoothed,
// scaled, turned and moving every frame.
Bytes Bitmaps(Random& rnd) {
    SwfWriter w(MovieHeader{.Version = 8, .FrameRate = 24});
    w.SetBackgroundColor(0x000000);
    struct Item {
        int W, H;
        double Scale;
    };
    std::vector<Item> items = {{640, 480, 0.5}, {512, 512, 0.45}, {800, 450, 0.4}};
    for (int i = 0; i < 20; ++i) items.push_back({rnd.Int(24, 160), rnd.Int(24, 160), rnd.Real(0.5, 1.5)});
    for (size_t i = 0; i < items.size(); ++i) {
        const uint16_t bitmap = static_cast<uint16_t>(100 + i), shape = static_cast<uint16_t>(1 + i);
        const bool alpha = i % 3 == 2;
        const auto px = Picture(rnd, items[i].W, items[i].H, alpha);
        if (alpha) BitmapLossless2(w, bitmap, items[i].W, items[i].H, px);
        else BitmapLossless(w, bitmap, items[i].W, items[i].H, px);
        // Centred on the origin, a bitmap pixel a movie pixel.
        const int hw = items[i].W * 10, hh = items[i].H * 10;
        ShapeBuilder s;
        s.Rect(-hw, -hh, hw, hh, s.Bitmap(bitmap, {.A = 20, .D = 20, .Tx = -hw, .Ty = -hh}, false, true));
        Shape(w, shape, s);
    }
    for (int f = 0; f < 48; ++f) {
        const double t = f / 48.0 * 2 * std::numbers::pi;
        for (size_t i = 0; i < items.size(); ++i) {
            const uint16_t depth = static_cast<uint16_t>(1 + i);
            const double phase = static_cast<double>(i) * 1.7;
            PlaceSpec p{.Depth = depth, .Move = f > 0,
                        .Matrix = Spin(items[i].Scale * (1 + 0.1 * std::sin(t + phase)), 0.3 * std::sin(t * (i % 2 ? 1 : -1) + phase),
                                       static_cast<int>(5500 + 4200 * std::sin(phase * 2.3 + t)),
                                       static_cast<int>(4000 + 3000 * std::cos(phase * 1.3 + t)))};
            if (f == 0) p.Character = static_cast<uint16_t>(1 + i);
            Place(w, p);
        }
        w.ShowFrame();
    }
    w.End();
    return w.Movie();
}

struct Stats {
    double Median, P95;
};

Stats Summarize(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms[std::min(ms.size() - 1, ms.size() * 95 / 100)]};
}

// Milliseconds of this thread's processor time where the system tells it
// (a busy machine then slows the figures less), wall time elsewhere.
double NowMs() {
#ifdef __linux__
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
#else
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
#endif
}

// Each frame's milliseconds, appended to `ms`.
void Measure(int frames, const std::function<void()>& frame, std::vector<double>& ms) {
    for (int i = 0; i < frames; ++i) {
        const double start = NowMs();
        frame();
        ms.push_back(NowMs() - start);
    }
}

long ResidentKb() {
#ifdef __linux__
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * 4;
#else
    return -1;
#endif
}

}  // namespace

int main(int argc, char** argv) {
    // One movie by name, and a number of frames, for profiling.
    const std::string only = argc > 1 ? argv[1] : "";
    const int frames = argc > 2 ? std::max(1, std::atoi(argv[2])) : 150;
    const std::string picture = argc > 3 ? argv[3] : "";  // the last frame drawn, to look at
    const int width = 1920, height = 1080;
    render::Image image;
    image.Resize(width, height);
    uint32_t fillColor = 0xFF102030;
    std::vector<double> fills;
    Measure(100, [&] {
        render::blend::Fill(image.Pixels.data(), fillColor, static_cast<int>(image.Pixels.size()));
        fillColor ^= 0x00010101;
    }, fills);
    const Stats floor = Summarize(fills);
    std::printf("plain fill %dx%d: median %.3f ms\n", width, height, floor.Median);

    Random rnd;
    const std::pair<const char*, Bytes> movies[] = {
        {"cartoon", Cartoon(rnd)}, {"gradients", Gradients(rnd)}, {"lines", Lines(rnd)},
        {"bitmaps", Bitmaps(rnd)},  {"text", Text(rnd)}};
    std::vector<double> everyFrame;  // of the whole set, the figure the speed goal is about
    for (const auto& [name, bytes] : movies) {
        if (!only.empty() && only != name) continue;
        swf::LoadError error;
        auto def = movie::MovieDef::Load(bytes, error);
        if (!def) {
            std::printf("%s: did not load\n", name);
            return 1;
        }
        movie::Movie m(def);
        movie::StageRenderer renderer(render::Quality::High);
        // The two stages of a frame timed apart as well: the timeline's
        // advance (tags, scripts) and the drawing.
        std::vector<double> advance, draw;
        std::vector<double> ms;
        Measure(frames, [&] {
            const double t0 = NowMs();
            m.Tick();
            const double t1 = NowMs();
            renderer.Render(m, image);
            advance.push_back(t1 - t0), draw.push_back(NowMs() - t1);
        }, ms);
        everyFrame.insert(everyFrame.end(), ms.begin(), ms.end());
        const Stats s = Summarize(ms);
        std::printf("%-10s median %7.3f ms  p95 %7.3f ms  (%.1fx the plain fill; advance %.3f ms, draw %.3f ms)\n",
                    name, s.Median, s.P95, s.Median / floor.Median, Summarize(advance).Median, Summarize(draw).Median);
        if (!picture.empty() && !render::WritePng(image, picture)) std::printf("could not write %s\n", picture.c_str());
    }

    if (!only.empty()) return 0;
    const Stats set = Summarize(everyFrame);
    std::printf("the set     median %7.3f ms  p95 %7.3f ms  (%.1fx the plain fill; all %zu frames of the five)\n",
                set.Median, set.P95, set.Median / floor.Median, everyFrame.size());
    // Memory over a long loop: the cartoon, drawn small to keep it quick.
    swf::LoadError error;
    auto def = movie::MovieDef::Load(movies[0].second, error);
    movie::Movie m(def);
    movie::StageRenderer renderer;
    render::Image small;
    small.Resize(480, 270);
    for (int i = 0; i < 100; ++i) m.Tick(), renderer.Render(m, small);
    const long before = ResidentKb();
    for (int i = 0; i < 3000; ++i) m.Tick(), renderer.Render(m, small);
    const long after = ResidentKb();
    std::printf("memory over 3000 looping frames: %ld kB -> %ld kB resident\n", before, after);
    return 0;
}
