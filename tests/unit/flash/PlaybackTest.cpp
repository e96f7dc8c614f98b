// The threaded playback behind the Flash control, and the control's three
// effects the players' end-of-movie rules rely on, checked with those rules.
#include "flash/Playback.h"
#include "player/FlashInputFilter.h"
#include "player/PlaybackRules.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitFor.h"
#include "tests/unit/flash/FlashTestMovies.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace qb::test {
namespace {

using namespace std::chrono_literals;

// `frames` frames at `rate` per second; a 100 x 100 pixel stage with a red
// square in its middle; `stopAt` (from 0) runs a stop action.
SwfWriter Counter(int frames, double rate, int stopAt = -1) {
    SwfWriter w(MovieHeader{.FrameRect = {0, 2000, 0, 2000}, .FrameRate = rate});
    w.SetBackgroundColor(0x000000);
    ShapeBuilder s;
    s.Rect(500, 500, 1500, 1500, s.Solid(0xFF0000FF));
    Shape(w, 1, s);
    Place(w, {.Depth = 1, .Character = 1});
    for (int f = 0; f < frames; ++f) {
        if (f == stopAt) w.DoAction(ActionWriter().Stop().End());
        w.ShowFrame();
    }
    w.End();
    return w;
}

TEST(Playback, PlaysHaltsResumesAndReportsFrames) {
    TempDir dir;
    flash::Playback p;
    p.SetSize(60, 40);
    p.SetLoop(false);
    ASSERT_TRUE(p.Load(dir.Write("m.swf", Counter(12, 60).Movie())));
    EXPECT_EQ(p.TotalFrames(), 12);
    EXPECT_LE(p.FrameNum(), 1);
    ASSERT_TRUE(WaitFor([&] { return p.FrameNum() >= 3; }));
    p.Stop();
    const int halted = p.FrameNum();
    std::this_thread::sleep_for(200ms);  // a dozen frame times: nothing moves
    EXPECT_EQ(p.FrameNum(), halted);
    p.Play();
    // With Loop false the last frame holds.
    ASSERT_TRUE(WaitFor([&] { return p.FrameNum() == 11 && !p.Playing(); }));
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(p.FrameNum(), 11);

    p.SetLoop(true);
    p.Play();
    ASSERT_TRUE(WaitFor([&] { return p.FrameNum() < 11; }));  // wrapped to the start

    ASSERT_FALSE(p.Load(dir.File("missing.swf")));
    EXPECT_EQ(p.TotalFrames(), 0);
    EXPECT_EQ(p.FrameNum(), 0);
}

TEST(Playback, PictureIsLetterboxedOnTheBackgroundColour) {
    TempDir dir;
    flash::Playback p;
    p.SetSize(90, 30);  // the square stage gets 30 x 30 in the middle
    p.SetBackground(0x0000FF);
    ASSERT_TRUE(p.Load(dir.Write("m.swf", Counter(1, 12).Movie())));
    ASSERT_TRUE(WaitFor([&] {
        bool ok = false;
        p.WithPicture([&](const render::Image& img) {
            ok = img.Width == 90 && img.Height == 30 && img.Row(15)[45] == 0xFFFF0000u;
        });
        return ok;
    }));
    p.WithPicture([](const render::Image& img) {
        EXPECT_EQ(img.Row(15)[5], 0xFF0000FFu);   // left bar: background colour
        EXPECT_EQ(img.Row(15)[85], 0xFF0000FFu);  // right bar
        EXPECT_EQ(img.Row(2)[45], 0xFF0000FFu);   // the stage, around the square (its own black overridden)
    });
    // A static movie costs nothing more once drawn.
    const uint64_t drawn = p.FramesDrawn();
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(p.FramesDrawn(), drawn);
}

// Time in 50 ms steps: the movie ticks at its rate; the fast check runs
// every step, the slow one every 10.
struct Simulation {
    movie::Movie& Movie;
    MovieEndWatch Watch;
    double Rate;
    bool AutoPlay = true;

    MovieEndWatch::Verdict Run(int maxSteps, int* resumes = nullptr) {
        double due = 0;
        Watch.Arm(Movie.TotalFrames());
        for (int step = 1; step <= maxSteps; ++step) {
            for (due += Rate * 0.05; due >= 1; due -= 1) Movie.Tick();
            auto v = Watch.FastTick(Movie.FrameNum(), Movie.TotalFrames());
            if (v == MovieEndWatch::Verdict::Continue && step % 10 == 0)
                v = Watch.SlowTick(Movie.FrameNum(), Movie.TotalFrames(), AutoPlay);
            if (v == MovieEndWatch::Verdict::Resume) {
                Movie.Play();
                if (resumes) ++*resumes;
                continue;
            }
            if (v != MovieEndWatch::Verdict::Continue) return v;
        }
        return MovieEndWatch::Verdict::Continue;
    }
};

TEST(Playback, PlayersSeeTheEndOfMovies) {
    // Loop false: the movie holds its last frame; the slow check sees it stand near the end.
    {
        movie::Movie m(LoadMovie(Counter(40, 20)));
        m.SetLoop(false);
        Simulation sim{m, MovieEndWatch(MovieEndWatch::Kind::FullScreen), 20};
        EXPECT_EQ(sim.Run(200), MovieEndWatch::Verdict::EndMovie);
        EXPECT_EQ(m.FrameNum(), 39);
    }
    // Loop true: the fast check sees the counter fall back to the start.
    {
        movie::Movie m(LoadMovie(Counter(40, 20)));
        Simulation sim{m, MovieEndWatch(MovieEndWatch::Kind::FullScreen), 20};
        EXPECT_EQ(sim.Run(200), MovieEndWatch::Verdict::EndMovie);
        EXPECT_LT(m.FrameNum(), 8);
    }
    // A stop action early in the movie: the full-screen player resumes it,
    // and then it still ends.
    {
        movie::Movie m(LoadMovie(Counter(60, 20, 10)));
        m.SetLoop(false);
        Simulation sim{m, MovieEndWatch(MovieEndWatch::Kind::FullScreen), 20};
        int resumes = 0;
        EXPECT_EQ(sim.Run(400, &resumes), MovieEndWatch::Verdict::EndMovie);
        EXPECT_EQ(resumes, 1);
        EXPECT_EQ(m.FrameNum(), 59);
    }
}

TEST(InputFilter, RoutesMessagesByTheFlags) {
    using qb::InputRoute;
    struct Case {
        uint32_t message;
        InputFilterFlags flags;
        bool parent;
        InputRoute route;
    };
    const InputFilterFlags off{}, all{true, true, true, true}, none{true, false, false, false};
    const Case cases[] = {
        {msg::MouseMove, off, true, InputRoute::Drop},        // inactive: every mouse message dropped
        {0x020A, off, true, InputRoute::Drop},                // wheel, the end of the range
        {msg::KeyFirst, off, true, InputRoute::Control},      // keys still reach the control
        {0x000F, off, true, InputRoute::Control},             // paint
        {msg::MouseMove, all, true, InputRoute::Parent},
        {msg::LButtonDown, all, true, InputRoute::Parent},
        {msg::RButtonDown, all, true, InputRoute::Parent},
        {msg::MButtonDown, all, true, InputRoute::Parent},
        {0x0202, all, true, InputRoute::Control},             // button up is not forwarded
        {msg::KeyLast, all, true, InputRoute::Parent},
        {msg::MouseMove, all, false, InputRoute::Drop},       // no parent: mouse dropped
        {msg::KeyFirst, all, false, InputRoute::Control},     // no parent: keys stay
        {msg::MouseMove, none, true, InputRoute::Control},
        {msg::KeyFirst, none, true, InputRoute::Control},
        {msg::LButtonDown, {true, true, false, false}, true, InputRoute::Control},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        EXPECT_EQ(RouteInput(c.message, c.flags, c.parent), c.route);
    }
}

}  // namespace
}  // namespace qb::test
