// Bitmap runs step along in fixed point and take short cuts for pixels away
// from the edges and for unscaled rows; every pixel must still be what the
// plain rule gives for its own position: the nearest pixel, or the four
// around it weighted by distance, tiled or with the edges stretched.
#include "flash/render/BitmapSpan.h"
#include "tests/support/PixelPaths.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using namespace qb::render;

namespace {

// Premultiplied pixels all different, translucent in places.
Image Checker(int w, int h) {
    Image img;
    img.Resize(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t a = (x + y) % 3 ? 255 : 120;
            img.Row(y)[x] = pixel::Pack(a, (x * 37 + y * 11) % (a + 1), (x * 5 + y * 53) % (a + 1), (x * y * 7) % (a + 1));
        }
    return img;
}

int Fold(int i, int size, bool repeat) { return repeat ? ((i % size) + size) % size : std::clamp(i, 0, size - 1); }

// The rule, one pixel at a time in doubles.
uint32_t Expected(const Image& img, bool repeat, bool smooth, double u, double v) {
    auto at = [&](int x, int y) { return img.Row(Fold(y, img.Height, repeat))[Fold(x, img.Width, repeat)]; };
    if (!smooth) return at(static_cast<int>(std::floor(u)), static_cast<int>(std::floor(v)));
    const int x = static_cast<int>(std::floor(u)), y = static_cast<int>(std::floor(v));
    const double fx = u - x, fy = v - y;
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        auto ch = [&](int dx, int dy) { return static_cast<double>((at(x + dx, y + dy) >> shift) & 0xFF); };
        const double c = (ch(0, 0) * (1 - fx) + ch(1, 0) * fx) * (1 - fy) + (ch(0, 1) * (1 - fx) + ch(1, 1) * fx) * fy;
        out |= static_cast<uint32_t>(std::lround(c)) << shift;
    }
    return out;
}

int Worst(uint32_t a, uint32_t b) {
    int d = 0;
    for (int shift = 0; shift < 32; shift += 8)
        d = std::max(d, std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)));
    return d;
}

}  // namespace

TEST(BitmapSpan, EveryPixelOfARunFollowsTheRule) {
    struct Case {
        const char* name;
        int w, h;
        double u, v, du, dv;
        int n;
    };
    const Case cases[] = {
        {"unscaled, whole pixels", 13, 9, -4, 3, 1, 0, 30},
        {"unscaled, between pixels", 13, 9, -4.5, 2.25, 1, 0, 30},
        {"turned and enlarged", 13, 9, -3.3, -2.1, 0.3107, 0.1731, 90},
        {"turned and shrunk, backwards", 13, 9, 40.71, 20.23, -2.613, -0.917, 40},
        {"a column", 1, 7, -2.51337, -1.51731, 0.051307, 0.407131, 40},
        {"longer than one fixed-point stretch", 64, 32, -10.137, 5.613, 0.03713, 0.01127, 3000},
    };
    for (const Case& c : cases) {
        const Image img = Checker(c.w, c.h);
        for (bool repeat : {false, true})
            for (bool smooth : {false, true})
                for (const blend::Path path : qb::test::PixelPaths()) {
                    SCOPED_TRACE(::testing::Message() << c.name << (repeat ? ", tiled" : ", clamped")
                                                      << (smooth ? ", smooth" : "") << ", path " << int(path));
                    std::vector<uint32_t> run(static_cast<size_t>(c.n));
                    FillBitmapSpan(img, repeat, smooth, c.u, c.v, c.du, c.dv, c.n, run.data(), path);
                    int worst = 0, at = 0;
                    for (int i = 0; i < c.n; ++i) {
                        const double u = c.u + c.du * i, v = c.v + c.dv * i;
                        uint32_t alone = 0;
                        FillBitmapSpan(img, repeat, smooth, u, v, 0, 0, 1, &alone);
                        EXPECT_EQ(run[i], alone) << "pixel " << i;
                        // Weights in steps of 1/256 and a truncation in each of
                        // the two blending steps: under 4 off the exact mix.
                        const int d = Worst(run[i], Expected(img, repeat, smooth, u, v));
                        if (d > worst) worst = d, at = i;
                        const uint32_t a = run[i] >> 24;
                        EXPECT_TRUE(((run[i] >> 16) & 0xFF) <= a && ((run[i] >> 8) & 0xFF) <= a && (run[i] & 0xFF) <= a)
                            << "not premultiplied at " << i;
                        if (::testing::Test::HasFailure()) break;
                    }
                    EXPECT_LE(worst, smooth ? 3 : 0) << "at pixel " << at;
                }
    }
}

TEST(BitmapSpan, WildPositionsStayInsideTheBitmap) {
    const Image img = Checker(5, 4);
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    const double wild[][4] = {{1e300, -1e300, 1e200, 1e-300}, {nan, 0, 1, 0}, {0, 0, inf, -inf}, {-1e12, 3e9, 1e7, -1e8}};
    for (const auto& w : wild)
        for (bool repeat : {false, true})
            for (bool smooth : {false, true}) {
                std::vector<uint32_t> run(2100, 0xDEADBEEF);
                FillBitmapSpan(img, repeat, smooth, w[0], w[1], w[2], w[3], 2100, run.data());
                for (uint32_t c : run) {
                    const uint32_t a = c >> 24;
                    ASSERT_TRUE(((c >> 16) & 0xFF) <= a && ((c >> 8) & 0xFF) <= a && (c & 0xFF) <= a);
                }
            }
}
