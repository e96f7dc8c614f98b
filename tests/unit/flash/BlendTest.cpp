// The compositor's run loops work several pixels at a time; every pixel
// must come out exactly as the one-pixel rule (pixel::Over of pixel::Scale)
// makes it, whatever the run's length and alignment.
#include "flash/render/Blend.h"
#include "flash/render/Image.h"
#include "tests/support/PixelPaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

using namespace qb::render;

namespace {

struct Random {
    uint32_t state = 99;
    uint32_t Next() { return state = state * 1664525u + 1013904223u; }
};

// A premultiplied pixel: no channel above its alpha, with the extremes
// (clear, opaque) often enough to matter.
uint32_t Premultiplied(Random& r) {
    const uint32_t pick = r.Next() >> 24;
    const uint32_t a = pick < 40 ? 0 : pick < 80 ? 255 : (r.Next() >> 24);
    auto ch = [&] { return a ? (r.Next() >> 8) % (a + 1) : 0; };
    return pixel::Pack(a, ch(), ch(), ch());
}

std::vector<uint32_t> Pixels(Random& r, int n) {
    std::vector<uint32_t> v(static_cast<size_t>(n));
    for (auto& p : v) p = Premultiplied(r);
    return v;
}

}  // namespace

TEST(Blend, EveryRunLoopMatchesThePixelRule) {
    for (const blend::Path path : qb::test::PixelPaths()) {
        Random r;
        for (int n = 0; n < 80; ++n) {
            for (int offset = 0; offset < 3; ++offset) {
                const int size = n + offset + 5;  // room on both sides of the run
                const auto src = Pixels(r, size);
                const auto dst = Pixels(r, size);
                std::vector<uint16_t> covers(static_cast<size_t>(size));
                for (auto& c : covers) c = static_cast<uint16_t>(r.Next() % 300);  // some above 256: capped
                const uint32_t cover = r.Next() % 257;
                const uint32_t color = Premultiplied(r);

                std::vector<uint32_t> over = dst, scaled = dst, solid = dst, perPixel = dst, perPixelColor = dst,
                                      filled = dst;
                blend::Over(over.data() + offset, src.data() + offset, n, path);
                blend::OverScaled(scaled.data() + offset, src.data() + offset, cover, n);
                blend::OverColor(solid.data() + offset, color, n, path);
                blend::Fill(filled.data() + offset, color, n, path);
                blend::OverCovers(perPixel.data() + offset, src.data() + offset, 0, covers.data() + offset, n, path);
                blend::OverCovers(perPixelColor.data() + offset, nullptr, color, covers.data() + offset, n, path);
                for (int i = 0; i < size; ++i) {
                    SCOPED_TRACE(testing::Message()
                                 << "path " << int(path) << " run " << n << " offset " << offset << " pixel " << i);
                    const uint32_t d = dst[i];
                    if (i < offset || i >= offset + n) {
                        // Pixels beside the run are never touched.
                        EXPECT_EQ(over[i], d);
                        EXPECT_EQ(scaled[i], d);
                        EXPECT_EQ(solid[i], d);
                        EXPECT_EQ(perPixel[i], d);
                        EXPECT_EQ(perPixelColor[i], d);
                        EXPECT_EQ(filled[i], d);
                        continue;
                    }
                    const uint32_t c = std::min<uint32_t>(covers[i], 256);
                    EXPECT_EQ(over[i], pixel::Over(src[i], d));
                    EXPECT_EQ(scaled[i], pixel::Over(pixel::Scale(src[i], cover), d));
                    EXPECT_EQ(solid[i], pixel::Over(color, d));
                    EXPECT_EQ(filled[i], color);
                    EXPECT_EQ(perPixel[i], pixel::Over(pixel::Scale(src[i], c), d));
                    EXPECT_EQ(perPixelColor[i],
                              color >> 24 == 255 ? pixel::Mix(color, d, c) : pixel::Over(pixel::Scale(color, c), d));
                }
            }
        }
    }
}

TEST(Blend, ColourMixedStraightFromChangesMatchesThePixelRule) {
    if (blend::FastestPath() < blend::Path::Avx2) GTEST_SKIP() << "this processor mixes from covers only";
    Random r;
    auto coverOf = [](double sum, bool evenOdd) {
        double a = std::fabs(sum);
        if (evenOdd) {
            a = std::fmod(a, 2.0);
            a = a > 1.0 ? 2.0 - a : a;
        } else {
            a = std::min(a, 1.0);
        }
        return static_cast<uint32_t>(a * 256.0 + 0.5);
    };
    // A row of one to three stretches of all lengths up to a few groups,
    // between pixels that are not theirs: those keep their pixels and their
    // changes, and the sum runs on across them unchanged.
    for (const blend::Path path : qb::test::PixelPaths()) {
        if (path < blend::Path::Avx2) continue;
        for (const bool evenOdd : {false, true}) {
            for (int trial = 0; trial < 300; ++trial) {
                std::vector<int32_t> from, to;
                int x = static_cast<int>(r.Next() % 3);
                const int count = 1 + trial % 3;
                for (int k = 0; k < count; ++k) {
                    from.push_back(x);
                    x += 1 + static_cast<int>(r.Next() % 40);
                    to.push_back(x);
                    x += 1 + static_cast<int>(r.Next() % 5);
                }
                const int size = x + 5;
                const auto dst = Pixels(r, size);
                std::vector<float> delta(static_cast<size_t>(size));
                for (auto& d : delta)
                    d = r.Next() % 3 ? 0.0f : static_cast<float>(static_cast<int>(r.Next() % 2401) - 1200) / 1000.0f;
                const uint32_t opaque = 0xFF000000u | (r.Next() >> 8);

                std::vector<uint32_t> mixed = dst;
                std::vector<float> changes = delta, after(from.size());
                blend::MixStretches(mixed.data(), opaque, changes.data(), from.data(), to.data(), count, after.data(),
                                    evenOdd, path);
                double sum = 0;
                size_t k = 0;
                for (int i = 0; i < size; ++i) {
                    SCOPED_TRACE(testing::Message() << "path " << int(path) << (evenOdd ? " even-odd" : " non-zero")
                                                    << " trial " << trial << " pixel " << i);
                    while (k < from.size() && i >= to[k]) ++k;
                    if (k == from.size() || i < from[k]) {
                        EXPECT_EQ(mixed[i], dst[i]);
                        EXPECT_EQ(changes[i], delta[i]);
                        continue;
                    }
                    sum += delta[i];
                    EXPECT_EQ(changes[i], 0.0f);
                    const uint32_t want = pixel::Mix(opaque, dst[i], coverOf(sum, evenOdd));
                    for (int shift = 0; shift < 32; shift += 8)
                        EXPECT_NEAR(static_cast<int>((mixed[i] >> shift) & 0xFF),
                                    static_cast<int>((want >> shift) & 0xFF), 1);
                    if (i == to[k] - 1) {
                        EXPECT_NEAR(after[k], sum, 1e-4);
                    }
                }
            }
        }
    }
}
