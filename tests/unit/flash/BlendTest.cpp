// The compositor's run loops work several pixels at a time; every pixel
// must come out exactly as the one-pixel rule (pixel::Over of pixel::Scale)
// makes it, whatever the run's length and alignment.
#include "flash/render/Blend.h"
#include "flash/render/Image.h"

#include <gtest/gtest.h>

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

            std::vector<uint32_t> over = dst, scaled = dst, solid = dst, perPixel = dst, perPixelColor = dst, filled = dst;
            blend::Over(over.data() + offset, src.data() + offset, n);
            blend::OverScaled(scaled.data() + offset, src.data() + offset, cover, n);
            blend::OverColor(solid.data() + offset, color, n);
            blend::Fill(filled.data() + offset, color, n);
            blend::OverCovers(perPixel.data() + offset, src.data() + offset, 0, covers.data() + offset, n);
            blend::OverCovers(perPixelColor.data() + offset, nullptr, color, covers.data() + offset, n);
            for (int i = 0; i < size; ++i) {
                SCOPED_TRACE(testing::Message() << "run " << n << " offset " << offset << " pixel " << i);
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
