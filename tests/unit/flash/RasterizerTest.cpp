// The rasterizer's covers against exact areas: each pixel's cover must be
// the share of the pixel the polygon covers (to the rounding of 1/256), for
// shapes with edges at any slope, with neighbouring styles whose covers add
// up along a shared edge, and with parts beyond the clip.
#include "flash/render/Rasterizer.h"

#include "flash/render/Blend.h"
#include "flash/render/Image.h"
#include "tests/support/PixelPaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

using namespace qb::render;

namespace {

struct Pt {
    double X, Y;
};

// Covers per style per pixel, as the sink receives them.
class Grid : public SpanSink {
public:
    std::map<uint32_t, std::map<std::pair<int, int>, uint32_t>> Cover;
    void Span(int y, int x0, int x1, const StyleCoverage* styles, int count) override {
        for (int k = 0; k < count; ++k)
            for (int x = x0; x < x1; ++x) Add(styles[k].Style, x, y, styles[k].Cover);
    }
    void Run(int y, int x0, uint32_t style, const uint16_t* covers, int n) override {
        for (int i = 0; i < n; ++i) Add(style, x0 + i, y, covers[i]);
    }
    uint32_t At(uint32_t style, int x, int y) const {
        auto s = Cover.find(style);
        if (s == Cover.end()) return 0;
        auto p = s->second.find({x, y});
        return p == s->second.end() ? 0 : p->second;
    }

private:
    void Add(uint32_t style, int x, int y, uint32_t cover) {
        uint32_t& c = Cover[style][{x, y}];
        EXPECT_EQ(c, 0u) << "pixel " << x << "," << y << " given twice";
        c = cover;
    }
};

// Area of a polygon cut to one pixel square (Sutherland-Hodgman, then the
// shoelace formula).
double PixelArea(const std::vector<Pt>& poly, int px, int py) {
    std::vector<Pt> p = poly;
    auto cut = [&](auto inside, auto meet) {
        std::vector<Pt> out;
        for (size_t i = 0; i < p.size(); ++i) {
            const Pt a = p[i], b = p[(i + 1) % p.size()];
            if (inside(b)) {
                if (!inside(a)) out.push_back(meet(a, b));
                out.push_back(b);
            } else if (inside(a)) {
                out.push_back(meet(a, b));
            }
        }
        p = out;
    };
    auto atX = [](double x) {
        return [x](Pt a, Pt b) { return Pt{x, a.Y + (b.Y - a.Y) * (x - a.X) / (b.X - a.X)}; };
    };
    auto atY = [](double y) {
        return [y](Pt a, Pt b) { return Pt{a.X + (b.X - a.X) * (y - a.Y) / (b.Y - a.Y), y}; };
    };
    cut([&](Pt q) { return q.X >= px; }, atX(px));
    cut([&](Pt q) { return q.X <= px + 1; }, atX(px + 1));
    cut([&](Pt q) { return q.Y >= py; }, atY(py));
    cut([&](Pt q) { return q.Y <= py + 1; }, atY(py + 1));
    double a = 0;
    for (size_t i = 0; i < p.size(); ++i) {
        const Pt& u = p[i];
        const Pt& v = p[(i + 1) % p.size()];
        a += u.X * v.Y - v.X * u.Y;
    }
    return std::fabs(a) * 0.5;
}

void AddPolygon(Rasterizer& r, const std::vector<Pt>& poly, uint32_t left, uint32_t right) {
    for (size_t i = 0; i < poly.size(); ++i) {
        const Pt& a = poly[i];
        const Pt& b = poly[(i + 1) % poly.size()];
        r.Line(a.X, a.Y, b.X, b.Y, left, right);
    }
}

// Every pixel of the clip against the exact area, within a step of 1/256
// for rounding and a little for float sums.
void ExpectExact(const Grid& g, uint32_t style, const std::vector<Pt>& poly, const PixelRect& clip) {
    for (int y = clip.Y0; y < clip.Y1; ++y)
        for (int x = clip.X0; x < clip.X1; ++x)
            EXPECT_NEAR(g.At(style, x, y), PixelArea(poly, x, y) * 256.0, 1.6) << "pixel " << x << "," << y;
}

}  // namespace

TEST(Rasterizer, CoversAreThePixelAreasAtEverySlope) {
    const std::vector<std::vector<Pt>> shapes = {
        {{2.3, 1.7}, {17.8, 4.1}, {9.2, 15.6}},                  // shallow, steep and slanted edges
        {{1.0, 1.0}, {18.0, 1.0}, {18.0, 3.5}, {1.0, 3.5}},      // whole pixels and half a row
        {{0.5, 8.25}, {19.5, 8.75}, {19.25, 9.1}, {0.2, 8.6}},   // nearly flat sliver
        {{10.1, 0.3}, {10.4, 19.7}, {10.9, 19.6}, {10.6, 0.2}},  // nearly upright sliver
        {{3.3, 3.3}, {3.6, 3.4}, {3.4, 3.7}},                    // inside one pixel
    };
    const PixelRect looked{0, 0, 20, 20};
    // A small pass and one too large to keep all its pixels at hand take
    // different roads to the same covers.
    for (const PixelRect& clip : {looked, PixelRect{0, 0, 900, 900}}) {
        for (const blend::Path path : qb::test::PixelPaths()) {
            SCOPED_TRACE(testing::Message() << "path " << int(path));
            Rasterizer r(path);
            for (const auto& poly : shapes) {
                for (const bool reversed : {false, true}) {
                    auto p = poly;
                    if (reversed) std::reverse(p.begin(), p.end());
                    r.Begin(clip, 2);
                    // Either winding: the style is on the inside's side.
                    AddPolygon(r, p, reversed ? 0 : 1, reversed ? 1 : 0);
                    Grid g;
                    r.Sweep(FillRule::NonZero, true, g);
                    ExpectExact(g, 1, p, looked);
                }
            }
        }
    }
}

TEST(Rasterizer, APassNeverSweptLeavesNothingToTheNext) {
    const std::vector<Pt> dropped{{1.5, 1.5}, {18.5, 2.5}, {10.0, 18.5}};
    const std::vector<Pt> kept{{4.2, 3.1}, {15.3, 6.8}, {6.6, 14.9}};
    for (const PixelRect& clip : {PixelRect{0, 0, 20, 20}, PixelRect{0, 0, 900, 900}}) {
        for (const uint32_t styles : {2u, 3u}) {
            Rasterizer r;
            r.Begin(clip, styles);
            AddPolygon(r, dropped, 1, 0);
            r.Begin(clip, styles);
            AddPolygon(r, kept, 1, 0);
            Grid g;
            r.Sweep(FillRule::NonZero, true, g);
            ExpectExact(g, 1, kept, {0, 0, 20, 20});
        }
    }
}

TEST(Rasterizer, ALongLineComesOutWholeAcrossTheRowsOfAWideCanvas) {
    // Tall and long slivers on a canvas too large to sweep at once: their
    // lines are drawn a stretch of rows at a time, and no row may be lost,
    // drawn twice or shifted where one stretch meets the next.
    const std::vector<std::vector<Pt>> shapes = {
        {{100.3, 5.2}, {131.7, 470.6}, {140.2, 468.9}, {104.9, 3.7}},    // steep
        {{20.5, 200.2}, {580.4, 260.7}, {575.1, 268.3}, {18.2, 205.9}},  // shallow
        {{300.6, 40.1}, {302.2, 560.9}, {309.9, 40.8}},                  // a long thin wedge
    };
    const PixelRect clip{0, 0, 1500, 600};
    for (const blend::Path path : qb::test::PixelPaths()) {
        SCOPED_TRACE(testing::Message() << "path " << int(path));
        Rasterizer r(path);
        for (const auto& poly : shapes) {
            r.Begin(clip, 2);
            AddPolygon(r, poly, 1, 0);
            Grid g;
            r.Sweep(FillRule::NonZero, true, g);
            double x0 = poly[0].X, x1 = x0, y0 = poly[0].Y, y1 = y0;
            for (const Pt& p : poly) {
                x0 = std::min(x0, p.X), x1 = std::max(x1, p.X);
                y0 = std::min(y0, p.Y), y1 = std::max(y1, p.Y);
            }
            ExpectExact(g, 1, poly,
                        {static_cast<int>(x0) - 2, static_cast<int>(y0) - 2, static_cast<int>(x1) + 3,
                         static_cast<int>(y1) + 3});
        }
    }
}

TEST(Rasterizer, NeighbouringStylesShareTheirEdgeWithoutGapOrOverlap) {
    // A square split by a slanted line: style 1 left of it, 2 right; a third
    // style makes the pass a compound one.
    const std::vector<Pt> whole{{2.2, 2.4}, {17.6, 2.4}, {17.6, 17.3}, {2.2, 17.3}};
    const std::vector<Pt> left{{2.2, 2.4}, {11.3, 2.4}, {6.7, 17.3}, {2.2, 17.3}};
    const std::vector<Pt> right{{11.3, 2.4}, {17.6, 2.4}, {17.6, 17.3}, {6.7, 17.3}};
    const PixelRect clip{0, 0, 20, 20};
    Rasterizer r;
    r.Begin(clip, 4);
    // Screen y points down, so a clockwise outline on screen has its inside
    // on the left of travel: the outer edges, then the shared one.
    r.Line(2.2, 2.4, 11.3, 2.4, 0, 1);
    r.Line(11.3, 2.4, 17.6, 2.4, 0, 2);
    r.Line(17.6, 2.4, 17.6, 17.3, 0, 2);
    r.Line(17.6, 17.3, 6.7, 17.3, 0, 2);
    r.Line(6.7, 17.3, 2.2, 17.3, 0, 1);
    r.Line(2.2, 17.3, 2.2, 2.4, 0, 1);
    r.Line(11.3, 2.4, 6.7, 17.3, 2, 1);
    Grid g;
    r.Sweep(FillRule::NonZero, true, g);
    ExpectExact(g, 1, left, clip);
    ExpectExact(g, 2, right, clip);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            EXPECT_NEAR(g.At(1, x, y) + g.At(2, x, y), PixelArea(whole, x, y) * 256.0, 2.0) << x << "," << y;
}

TEST(Rasterizer, PartsBeyondTheClipLeaveTheInsideAsItWas) {
    // A triangle reaching past every side of the clip.
    const std::vector<Pt> poly{{-30.5, 4.2}, {45.3, -12.7}, {12.6, 60.1}};
    const PixelRect clip{3, 2, 17, 15};
    Rasterizer r;
    r.Begin(clip, 2);
    AddPolygon(r, poly, 1, 0);
    Grid g;
    r.Sweep(FillRule::NonZero, true, g);
    ExpectExact(g, 1, poly, clip);
    for (const auto& [pixel, cover] : g.Cover[1]) {
        EXPECT_GE(pixel.first, clip.X0);
        EXPECT_LT(pixel.first, clip.X1);
        EXPECT_GE(pixel.second, clip.Y0);
        EXPECT_LT(pixel.second, clip.Y1);
    }
}

TEST(Rasterizer, OverlapsUnderNonZeroCoverTheirUnionOnce) {
    // Two squares wound the same way, overlapping in a band, and a triangle
    // inside both: where windings add up, a pixel is still covered once.
    const std::vector<Pt> a{{2.3, 2.6}, {12.7, 2.6}, {12.7, 12.2}, {2.3, 12.2}};
    const std::vector<Pt> b{{7.4, 5.1}, {17.9, 5.9}, {17.2, 16.8}, {6.8, 16.3}};
    const std::vector<Pt> c{{8.1, 6.2}, {11.5, 6.9}, {9.3, 11.4}};
    const PixelRect clip{0, 0, 20, 20};
    Rasterizer r;
    r.Begin(clip, 2);
    AddPolygon(r, a, 1, 0);
    AddPolygon(r, b, 1, 0);
    AddPolygon(r, c, 1, 0);
    Grid g;
    r.Sweep(FillRule::NonZero, true, g);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) {
            // Union area: both minus what they share (they are convex).
            const double inA = PixelArea(a, x, y), inB = PixelArea(b, x, y);
            if (inA == 0 || inB == 0) {
                EXPECT_NEAR(g.At(1, x, y), (inA + inB) * 256.0, 1.6) << x << "," << y;
            } else if (inA == 1 && inB == 1) {
                EXPECT_EQ(g.At(1, x, y), 256u) << x << "," << y;
            }
        }
}

namespace {

// Paints style 1 in white over black, from each run's covers or, when
// `straight`, by letting the rasterizer mix the colour in itself.
class Canvas : public SpanSink {
public:
    Canvas(int width, int height, bool straight)
        : Width(width), Pixels(static_cast<size_t>(width) * static_cast<size_t>(height), 0xFF000000u),
          straight_(straight) {}
    void Span(int y, int x0, int x1, const StyleCoverage* styles, int count) override {
        for (int k = 0; k < count; ++k)
            for (int x = x0; x < x1; ++x) Paint(x, y, styles[k].Cover);
    }
    void Run(int y, int x0, uint32_t, const uint16_t* covers, int n) override {
        for (int i = 0; i < n; ++i) Paint(x0 + i, y, covers[i]);
    }
    uint32_t* MixRows(uint32_t, uint32_t& color, size_t& stride) override {
        if (!straight_) return nullptr;
        ++PassesMixed;
        color = kWhite;
        stride = static_cast<size_t>(Width);
        return Pixels.data();
    }
    int Width;
    std::vector<uint32_t> Pixels;
    int PassesMixed = 0;

private:
    static constexpr uint32_t kWhite = 0xFFFFFFFFu;
    void Paint(int x, int y, uint32_t cover) {
        uint32_t& p = Pixels[static_cast<size_t>(y) * static_cast<size_t>(Width) + static_cast<size_t>(x)];
        p = pixel::Mix(kWhite, p, std::min(cover, 256u));
    }
    bool straight_;
};

}  // namespace

TEST(Rasterizer, ColourMixedStraightInGivesWhatTheCoversGive) {
    // Overlapping triangles, some reaching past the clip, under both rules;
    // clips of odd widths end stretches part way through a group of pixels,
    // and the wide one is swept by bands.
    uint32_t seed = 12345;
    auto next = [&](double lo, double hi) {
        seed = seed * 1664525u + 1013904223u;
        return lo + (hi - lo) * static_cast<double>(seed >> 8) / static_cast<double>(1u << 24);
    };
    for (const PixelRect& clip : {PixelRect{0, 0, 37, 29}, PixelRect{0, 0, 893, 611}}) {
        std::vector<std::vector<Pt>> shapes;
        for (int i = 0; i < 12; ++i) {
            std::vector<Pt> tri;
            for (int k = 0; k < 3; ++k) tri.push_back({next(-20, clip.X1 + 20), next(-20, clip.Y1 + 20)});
            shapes.push_back(tri);
        }
        for (const FillRule rule : {FillRule::NonZero, FillRule::EvenOdd})
            for (const blend::Path path : qb::test::PixelPaths()) {
                SCOPED_TRACE(testing::Message() << "path " << int(path) << " rule " << int(rule));
                Rasterizer r(path);
                // Room right of the clip, which nothing may touch.
                const int width = clip.X1 + 5;
                Canvas byCovers(width, clip.Y1, false), straight(width, clip.Y1, true);
                for (Canvas* canvas : {&byCovers, &straight}) {
                    r.Begin(clip, 2);
                    for (const auto& tri : shapes) AddPolygon(r, tri, 1, 0);
                    r.Sweep(rule, true, *canvas);
                }
                if (path >= blend::Path::Avx2) {
                    EXPECT_GT(straight.PassesMixed, 0);
                }
                int partial = 0;
                for (size_t i = 0; i < byCovers.Pixels.size(); ++i) {
                    const int x = static_cast<int>(i) % width, y = static_cast<int>(i) / width;
                    const int want = static_cast<int>(byCovers.Pixels[i] & 0xFF);
                    const int got = static_cast<int>(straight.Pixels[i] & 0xFF);
                    ASSERT_NEAR(got, want, 1) << "pixel " << x << "," << y;
                    ASSERT_EQ(straight.Pixels[i] >> 24, 0xFFu);
                    if (x >= clip.X1) {
                        ASSERT_EQ(straight.Pixels[i], 0xFF000000u) << "pixel " << x << "," << y;
                    }
                    partial += want > 0 && want < 255;
                }
                EXPECT_GT(partial, 10);
            }
    }
}
