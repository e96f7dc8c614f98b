#include "player/PlaybackRules.h"

#include <gtest/gtest.h>

#include <random>

namespace qb {
namespace {

using V = MovieEndWatch::Verdict;

TEST(MovieEndWatch, EndMarginIsATwelfthButAtLeastEight) {
    MovieEndWatch w(MovieEndWatch::Kind::FullScreen);
    const std::pair<int32_t, int32_t> cases[] = {{0, 8}, {60, 8}, {96, 8}, {108, 9}, {240, 20}};
    for (auto [frames, margin] : cases) {
        w.Arm(frames);
        EXPECT_EQ(w.EndMargin(), margin) << frames;
    }
}

TEST(MovieEndWatch, AJumpBackToTheStartEndsTheMovie) {
    // Full screen: the limit is the end margin (20 for 240 frames); preview: 10.
    struct Case {
        MovieEndWatch::Kind kind;
        int32_t jumpTo;
        V verdict;
    };
    const Case cases[] = {{MovieEndWatch::Kind::FullScreen, 19, V::EndMovie},
                          {MovieEndWatch::Kind::FullScreen, 20, V::Continue},
                          {MovieEndWatch::Kind::Preview, 9, V::EndMovie},
                          {MovieEndWatch::Kind::Preview, 10, V::Continue}};
    for (const Case& c : cases) {
        MovieEndWatch w(c.kind);
        w.Arm(240);
        EXPECT_EQ(w.FastTick(0, 240), V::Continue);
        EXPECT_EQ(w.FastTick(150, 240), V::Continue);
        EXPECT_EQ(w.FastTick(c.jumpTo, 240), c.verdict) << c.jumpTo;
    }
}

TEST(MovieEndWatch, AHaltedMovieEndsNearItsEndAndResumesElsewhere) {
    MovieEndWatch w(MovieEndWatch::Kind::FullScreen);
    w.Arm(60);  // margin 8: halting after frame 52 means the movie is over
    EXPECT_EQ(w.SlowTick(10, 60, true), V::Continue);
    EXPECT_EQ(w.SlowTick(30, 60, true), V::Continue);
    EXPECT_EQ(w.SlowTick(30, 60, true), V::Resume);    // halted in the middle
    EXPECT_EQ(w.SlowTick(30, 60, false), V::Continue);  // without auto play it stays
    EXPECT_EQ(w.SlowTick(59, 60, true), V::Continue);
    EXPECT_EQ(w.SlowTick(59, 60, true), V::EndMovie);  // stopped on its last frame

    MovieEndWatch p(MovieEndWatch::Kind::Preview);
    p.Arm(60);
    p.SlowTick(30, 60, true);
    EXPECT_EQ(p.SlowTick(30, 60, true), V::Continue);  // the preview never resumes

    w.Disarm();
    EXPECT_EQ(w.SlowTick(59, 60, true), V::Continue);
    EXPECT_EQ(w.FastTick(0, 60), V::Continue);
}

TEST(NextIndex, InOrderWrapsAndRandomNeverRepeats) {
    const auto never = [](int32_t) -> int32_t { ADD_FAILURE() << "no random draw expected"; return 0; };
    EXPECT_EQ(NextIndex(0, 3, false, never), 1);
    EXPECT_EQ(NextIndex(2, 3, false, never), 0);
    EXPECT_EQ(NextIndex(0, 1, false, never), 0);
    EXPECT_EQ(NextIndex(0, 1, true, never), 0);

    std::mt19937 rng(7);
    const auto draw = [&](int32_t n) { return static_cast<int32_t>(rng() % n); };
    int32_t current = 0;
    for (int i = 0; i < 50; ++i) {  // two movies in random order alternate strictly
        const int32_t next = NextIndex(current, 2, true, draw);
        EXPECT_NE(next, current);
        current = next;
    }
    for (int i = 0; i < 200; ++i) {
        const int32_t next = NextIndex(current, 5, true, draw);
        EXPECT_NE(next, current);
        EXPECT_GE(next, 0);
        EXPECT_LT(next, 5);
        current = next;
    }
}

TEST(PlaceMovie, OriginalAndFitSizes) {
    EXPECT_EQ(PlaceMovie(0, 800, 600, 1024, 768), (Bounds{112, 84, 800, 600}));
    EXPECT_EQ(PlaceMovie(0, 1200, 900, 1024, 768), (Bounds{-88, -66, 1200, 900}));  // cut on both sides
    EXPECT_EQ(PlaceMovie(1, 400, 300, 1280, 1024), (Bounds{0, 32, 1280, 960}));
    EXPECT_EQ(PlaceMovie(1, 300, 400, 1280, 1024), (Bounds{256, 0, 768, 1024}));
    EXPECT_EQ(PlaceMovie(1, 0, 0, 1024, 768), (Bounds{0, 384, 1024, -1}));  // not a movie: nothing shows
    EXPECT_FALSE(PlaceMovie(2, 400, 300, 1024, 768).has_value());
    EXPECT_FALSE(PlaceMovie(7, 400, 300, 1024, 768).has_value());
    EXPECT_EQ(MulDiv(7, 3, 2), 11);   // 10.5 rounds away from zero
    EXPECT_EQ(MulDiv(-7, 3, 2), -11);
    EXPECT_EQ(MulDiv(100000, 100000, 50000), 200000);  // the product needs 64 bits
    EXPECT_EQ(MulDiv(5, 5, 0), -1);
}

TEST(MouseOrigin, FifteenPixelsNeverEndSixteenDo) {
    MouseOrigin m;
    EXPECT_FALSE(m.MovedFar(100, 100));  // the first move only sets the origin
    EXPECT_FALSE(m.MovedFar(115, 85));
    EXPECT_TRUE(m.MovedFar(116, 100));
    EXPECT_TRUE(m.MovedFar(100, 84));
    m.Reset();
    EXPECT_FALSE(m.MovedFar(300, 300));
    EXPECT_FALSE(m.MovedFar(290, 310));
}

}  // namespace
}  // namespace qb
