// Gradient runs are filled several pixels at a time; each pixel must be the
// colour its own position gives, under every shape and spread mode, also far
// outside the gradient's square and at its focal point.
#include "flash/render/GradientSpan.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <vector>

using namespace qb::render;
using qb::swf::SpreadMode;

namespace {

// Entry i of the table is i itself: a pixel's value is its index.
std::array<uint32_t, 256> Ramp() {
    std::array<uint32_t, 256> lut{};
    for (uint32_t i = 0; i < 256; ++i) lut[i] = i;
    return lut;
}

uint32_t At(GradientShape shape, SpreadMode spread, float x, float y, float focal = 0) {
    static const auto lut = Ramp();
    uint32_t out = 0;
    FillGradientSpan(shape, spread, lut.data(), x, y, 0, 0, focal, 1, &out);
    return out;
}

}  // namespace

TEST(GradientSpan, PositionsAndSpreadModesPickTheRightEntry) {
    using G = GradientShape;
    // Linear runs from x = -1 (entry 0) to x = 1 (entry 255).
    EXPECT_EQ(At(G::Linear, SpreadMode::Pad, -1, 0), 0u);
    EXPECT_EQ(At(G::Linear, SpreadMode::Pad, 0, 0), 128u);
    EXPECT_EQ(At(G::Linear, SpreadMode::Pad, 1, 5), 255u);
    EXPECT_EQ(At(G::Linear, SpreadMode::Pad, 7, 0), 255u);
    EXPECT_EQ(At(G::Linear, SpreadMode::Pad, -7, 0), 0u);
    // 1.25 of the way along: a quarter into the next round, or back down.
    EXPECT_EQ(At(G::Linear, SpreadMode::Repeat, 1.5f, 0), 64u);
    EXPECT_EQ(At(G::Linear, SpreadMode::Reflect, 1.5f, 0), 191u);
    EXPECT_EQ(At(G::Linear, SpreadMode::Repeat, -1.5f, 0), 191u);
    EXPECT_EQ(At(G::Linear, SpreadMode::Reflect, -1.5f, 0), 64u);
    // Radial: the distance from the centre.
    EXPECT_EQ(At(G::Radial, SpreadMode::Pad, 0, 0), 0u);
    EXPECT_EQ(At(G::Radial, SpreadMode::Pad, 0.6f, 0.8f), 255u);
    EXPECT_EQ(At(G::Radial, SpreadMode::Pad, 0, -0.5f), 128u);
    // Focal: the focal point itself is the start, the circle the end.
    EXPECT_EQ(At(G::Focal, SpreadMode::Pad, 0.5f, 0, 0.5f), 0u);
    EXPECT_EQ(At(G::Focal, SpreadMode::Pad, -1, 0, 0.5f), 255u);
    EXPECT_EQ(At(G::Focal, SpreadMode::Pad, -0.25f, 0, 0.5f), 128u);
    // Nothing finite or not lands outside the table.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (auto spread : {SpreadMode::Pad, SpreadMode::Repeat, SpreadMode::Reflect}) {
        EXPECT_LE(At(G::Radial, spread, 1e9f, 1e9f), 255u);
        EXPECT_EQ(At(G::Linear, spread, nan, 0), 0u);
        EXPECT_LE(At(G::Focal, spread, -1e9f, 3e8f, 0.9f), 255u);
    }
}

TEST(GradientSpan, ARunGivesWhatEachPixelGivesAlone) {
    const auto lut = Ramp();
    struct Case {
        float X, Y, Sx, Sy;
    };
    const Case cases[] = {
        {-1.3f, 0.2f, 0.013f, 0.004f},  // crosses the square
        {-40.0f, -3.0f, 0.9f, 0.07f},   // many rounds of repeat and reflect
        {0.5f, 0.0f, -0.25f, 0.0f},     // passes through the focal point exactly
        {-1e9f, 5e8f, 3e7f, -1e6f},     // far outside
    };
    for (auto shape : {GradientShape::Linear, GradientShape::Radial, GradientShape::Focal}) {
        for (auto spread : {SpreadMode::Pad, SpreadMode::Repeat, SpreadMode::Reflect}) {
            for (const Case& c : cases) {
                const int n = 37;
                std::vector<uint32_t> run(n + 1, 0xDEADBEEF);
                FillGradientSpan(shape, spread, lut.data(), c.X, c.Y, c.Sx, c.Sy, 0.5f, n, run.data());
                EXPECT_EQ(run[n], 0xDEADBEEFu) << "wrote past the run";
                for (int i = 0; i < n; ++i) {
                    const float k = static_cast<float>(i);
                    uint32_t alone = 0;
                    FillGradientSpan(shape, spread, lut.data(), c.X + k * c.Sx, c.Y + k * c.Sy, 0, 0, 0.5f, 1, &alone);
                    EXPECT_EQ(run[i], alone) << "shape " << int(shape) << " spread " << int(spread) << " pixel " << i
                                             << " from x " << c.X;
                }
            }
        }
    }
}

TEST(GradientSpan, EveryPathGivesThePixelsOfTheOnePixelAtATimePath) {
    // Every byte of an entry different, so that a path that takes colours
    // apart byte by byte cannot mix them up unseen.
    std::array<uint32_t, 256> lut{};
    for (uint32_t i = 0; i < 256; ++i) lut[i] = i | (255 - i) << 8 | (i * 7 & 255) << 16 | ((i * 13 + 5) & 255) << 24;
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    struct Case {
        float X, Y, Sx, Sy, Focal;
    };
    const Case cases[] = {
        {-1.3f, 0.2f, 0.013f, 0.004f, 0.5f},     // crosses the square, and the focal point's column
        {1.2f, -0.3f, -0.021f, 0.002f, -0.9f},   // the other way, focal point near the left edge
        {-40.0f, -3.0f, 0.9f, 0.07f, 0.3f},      // many rounds of repeat and reflect
        {0.5f, 0.0f, -0.25f, 0.0f, 0.5f},        // passes through the focal point exactly
        {-0.9f, 0.01f, 0.05f, 0.0f, 0.999f},     // focal point all but on the circle
        {0.5f, 0.4f, 0.05f, -0.01f, 1.0f},       // on it: the ray may not meet it at all
        {1.0f, 0.5f, 0.1f, 0.0f, 3.0f},          // beyond it
        {-1e9f, 5e8f, 3e7f, -1e6f, 0.5f},        // far outside
        {-inf, 0.5f, 1.0f, 0.0f, 0.5f},          // infinitely far
        {0.2f, 0.1f, nan, 0.0f, 0.5f},           // no numbers at all
    };
    const GradientPath fastest = FastestGradientPath();
    for (auto path : {GradientPath::Sse2, GradientPath::Avx2, GradientPath::Avx512, GradientPath::Avx512Vbmi}) {
        if (path > fastest) continue;
        for (auto shape : {GradientShape::Linear, GradientShape::Radial, GradientShape::Focal}) {
            for (auto spread : {SpreadMode::Pad, SpreadMode::Repeat, SpreadMode::Reflect}) {
                for (const Case& c : cases) {
                    // Lengths and starts around the widths of the wide paths, which
                    // mask or hand on the ends of a run.
                    for (int n : {0, 1, 7, 16, 37, 300}) {
                        for (int start : {0, 3}) {
                            std::vector<uint32_t> wide(start + n + 1, 0xDEADBEEF), narrow(n);
                            FillGradientSpan(shape, spread, lut.data(), c.X, c.Y, c.Sx, c.Sy, c.Focal, n,
                                             wide.data() + start, path);
                            FillGradientSpan(shape, spread, lut.data(), c.X, c.Y, c.Sx, c.Sy, c.Focal, n,
                                             narrow.data(), GradientPath::Scalar);
                            for (int k = 0; k < start; ++k) EXPECT_EQ(wide[k], 0xDEADBEEFu) << "wrote before the run";
                            EXPECT_EQ(wide[start + n], 0xDEADBEEFu) << "wrote past the run";
                            for (int i = 0; i < n; ++i)
                                ASSERT_EQ(wide[start + i], narrow[i])
                                    << "path " << int(path) << " shape " << int(shape) << " spread " << int(spread)
                                    << " pixel " << i << " of " << n << " from x " << c.X << " focal " << c.Focal;
                        }
                    }
                }
            }
        }
    }
}
