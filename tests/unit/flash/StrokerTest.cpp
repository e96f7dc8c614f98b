// A stroke's outline filled non-zero must cover every pixel that lies wholly
// within half the width of its polyline (round joins and caps make the
// stroke exactly the points that near), and nothing well beyond that: no
// holes at joins, whichever way and however sharply the line turns.
#include "flash/render/Stroker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <vector>

using namespace qb::render;

namespace {

class Covers : public SpanSink {
public:
    std::map<std::pair<int, int>, uint32_t> At;
    void Span(int y, int x0, int x1, const StyleCoverage* styles, int count) override {
        for (int x = x0; x < x1; ++x) At[{x, y}] = styles[0].Cover;
    }
};

double DistanceToSegment(Point p, Point a, Point b) {
    const double dx = b.X - a.X, dy = b.Y - a.Y;
    const double len2 = dx * dx + dy * dy;
    const double t = len2 > 0 ? std::clamp(((p.X - a.X) * dx + (p.Y - a.Y) * dy) / len2, 0.0, 1.0) : 0.0;
    return std::hypot(p.X - (a.X + t * dx), p.Y - (a.Y + t * dy));
}

double Distance(Point p, const std::vector<Point>& line, bool closed) {
    double d = 1e300;
    const size_t n = closed ? line.size() : line.size() - 1;
    for (size_t i = 0; i < n; ++i) d = std::min(d, DistanceToSegment(p, line[i], line[(i + 1) % line.size()]));
    return d;
}

void ExpectStroke(const std::vector<Point>& line, bool closed, double half, double tolerance) {
    Rasterizer r;
    const PixelRect clip{0, 0, 60, 60};
    r.Begin(clip, 2);
    Stroker(r, 1, half, tolerance).Stroke(line, closed);
    Covers c;
    r.Sweep(FillRule::NonZero, true, c);
    for (int y = clip.Y0; y < clip.Y1; ++y) {
        for (int x = clip.X0; x < clip.X1; ++x) {
            // The pixel's centre; its corners are within 0.71 of it.
            const double d = Distance({x + 0.5, y + 0.5}, line, closed);
            const uint32_t cover = c.At.count({x, y}) ? c.At[{x, y}] : 0;
            if (d + 0.71 < half - tolerance) {
                EXPECT_EQ(cover, 256u) << "hole at " << x << "," << y;
            }
            if (d - 0.71 > half) {
                EXPECT_EQ(cover, 0u) << "spill at " << x << "," << y;
            }
        }
    }
}

}  // namespace

TEST(Stroker, CoversEverythingWithinHalfTheWidthAndNothingBeyond) {
    // An arch finely flattened, as curves are: many small turns one way.
    std::vector<Point> arch;
    for (int i = 0; i <= 40; ++i) {
        const double t = i / 40.0;
        const double u = 1 - t;
        arch.push_back({u * u * 8 + 2 * u * t * 30 + t * t * 52, u * u * 50 + 2 * u * t * -40 + t * t * 50});
    }
    // The finest and the coarsest tolerance the drawer uses: at the coarsest
    // a thin stroke's joins are all but one chord.
    for (const double tolerance : {0.15, 0.5})
    for (double half : {0.5, 1.5, 4.0, 9.0}) {
        SCOPED_TRACE(testing::Message() << "half width " << half << ", tolerance " << tolerance);
        ExpectStroke(arch, false, half, tolerance);
        // A zigzag: sharp turns both ways, and short segments beside long ones.
        ExpectStroke({{5, 10}, {50, 14}, {12, 22}, {13.5, 23}, {48, 45}, {20, 52}}, false, half, tolerance);
        // A closed ring of small turns, and a closed triangle.
        std::vector<Point> ring;
        for (int i = 0; i < 24; ++i) {
            const double a = 2 * std::numbers::pi * i / 24;
            ring.push_back({30 + 20 * std::cos(a), 30 + 18 * std::sin(a)});
        }
        ring.push_back(ring.front());
        ExpectStroke(ring, true, half, tolerance);
        ExpectStroke({{10, 10}, {50, 20}, {25, 50}, {10, 10}}, true, half, tolerance);
    }
}
