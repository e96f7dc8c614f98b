// What masks let through when drawn: every part of a mask made of several
// pieces, nothing beside them, and nothing when the mask is empty.
#include "flash/movie/StageRenderer.h"
#include "tests/unit/flash/FlashTestMovies.h"

#include <gtest/gtest.h>

namespace qb::test {
namespace {

constexpr uint32_t kRed = 0xFF0000FF;

// A 200 x 150 stage on white, red all over under a mask at depth 1.
SwfWriter UnderMask(const std::function<void(SwfWriter&)>& defineMask) {
    SwfWriter w(MovieHeader{.Version = 8, .FrameRect = {0, 4000, 0, 3000}});
    w.SetBackgroundColor(0xFFFFFF);
    ShapeBuilder red;
    red.Rect(0, 0, 4000, 3000, red.Solid(kRed));
    Shape(w, 1, red);
    defineMask(w);  // character 2
    Place(w, {.Depth = 1, .Character = 2, .ClipDepth = 2});
    Place(w, {.Depth = 2, .Character = 1});
    w.ShowFrame().End();
    return w;
}

bool IsRed(uint32_t px) { return px == 0xFFFF0000u; }
bool IsWhite(uint32_t px) { return px == 0xFFFFFFFFu; }

TEST(Masks, ASpriteMaskLetsThroughEachOfItsPartsAndNothingBetween) {
    const auto image = movie::RenderFrame(LoadMovie(UnderMask([](SwfWriter& w) {
                                              ShapeBuilder left, right;
                                              left.Rect(200, 200, 800, 800, left.Solid(0x000000FF));
                                              right.Rect(3000, 2000, 3600, 2600, right.Solid(0x000000FF));
                                              Shape(w, 10, left);
                                              Shape(w, 11, right);
                                              TagList sprite;
                                              Place(sprite, {.Depth = 1, .Character = 10});
                                              Place(sprite, {.Depth = 2, .Character = 11});
                                              sprite.ShowFrame().End();
                                              w.DefineSprite(2, sprite);
                                          })),
                                          0, 200, 150, render::Quality::High);
    EXPECT_TRUE(IsRed(image.Row(25)[25]));     // inside the left piece
    EXPECT_TRUE(IsRed(image.Row(115)[165]));   // inside the right piece
    EXPECT_TRUE(IsWhite(image.Row(75)[100]));  // between them
    EXPECT_TRUE(IsWhite(image.Row(5)[5]));     // beside them
    EXPECT_TRUE(IsWhite(image.Row(145)[195]));
}

TEST(Masks, AnEmptyMaskHidesEverythingUnderIt) {
    const auto image = movie::RenderFrame(LoadMovie(UnderMask([](SwfWriter& w) {
                                              TagList sprite;
                                              sprite.ShowFrame().End();
                                              w.DefineSprite(2, sprite);
                                          })),
                                          0, 200, 150, render::Quality::High);
    for (int y = 0; y < 150; y += 10)
        for (int x = 0; x < 200; x += 10) EXPECT_TRUE(IsWhite(image.Row(y)[x])) << x << "," << y;
}

}  // namespace
}  // namespace qb::test
