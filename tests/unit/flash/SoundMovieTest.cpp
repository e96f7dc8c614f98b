// The movies' own sound as their timelines and scripts play it, and the
// playback's sound output opening and closing with the movie.
#include "flash/Playback.h"
#include "player/MovieFiles.h"
#include "tests/support/WaitFor.h"
#include "tests/unit/flash/FlashTestMovies.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace qb::test {
namespace {

using namespace std::chrono_literals;

// A second of a flat 8-bit mono tone at 5.5 kHz.
const Bytes kTone(5512, 0xC0);

struct Frame {
    std::vector<std::function<void(TagList&)>> Tags;
};

// A movie of `frames` frames; `at(f, tags)` adds tags to frame f (from 1).
SwfWriter SoundMovie(int frames, const std::function<void(int, TagList&)>& at) {
    SwfWriter w(MovieHeader{.FrameRect = {0, 400, 0, 400}, .FrameRate = 30});
    w.DefineSound(1, kTone);
    for (int f = 1; f <= frames; ++f) {
        at(f, w);
        w.ShowFrame();
    }
    w.End();
    return w;
}

struct Played {
    sound::Mixer Mixer;
    std::unique_ptr<movie::Movie> Movie;
    explicit Played(const Bytes& bytes) { Movie = std::make_unique<movie::Movie>(LoadMovie(bytes), &Mixer, 1); }
    size_t Ticked(int ticks) {
        for (int i = 0; i < ticks; ++i) Movie->Tick();
        return Mixer.Voices();
    }
};

TEST(MovieSound, FramesStartAndStopSoundsAsTheyAreShown) {
    sound::SoundInfo once;
    struct Case {
        const char* name;
        SwfWriter movie;
        std::vector<size_t> voices;  // after loading, then after each tick
    };
    const Case cases[] = {
        {"a start on frame 2", SoundMovie(3, [](int f, TagList& t) { if (f == 2) t.StartSound(1); }), {0, 1, 1, 1}},
        {"again each time the movie comes round",
         SoundMovie(2, [](int f, TagList& t) { if (f == 1) t.StartSound(1); }), {1, 1, 2, 2, 3}},
        {"not while it already plays",
         SoundMovie(2, [](int f, TagList& t) { if (f == 1) t.StartSound(1, {.SyncNoMultiple = true}); }),
         {1, 1, 1, 1}},
        {"stopped by a stop start",
         SoundMovie(3, [](int f, TagList& t) { f == 1 ? t.StartSound(1) : t.StartSound(1, {.SyncStop = f == 3}); }),
         {1, 2, 0}},
        {"stopped by the script's StopSounds",
         SoundMovie(3, [](int f, TagList& t) { f == 1 ? t.StartSound(1) : t.DoAction(ActionWriter().Op(f == 3 ? 0x09 : 0x00).End()); }),
         {1, 1, 0}},
        {"started by its exported name",
         SoundMovie(2, [](int f, TagList& t) { if (f == 1) t.ExportAssets(1, "tone"); else t.StartSound2("tone"); }),
         {0, 1}},
        {"a name nobody exported", SoundMovie(2, [](int f, TagList& t) { if (f == 2) t.StartSound2("none"); }), {0, 0}},
        {"a sound that was never defined", SoundMovie(2, [](int f, TagList& t) { if (f == 2) t.StartSound(9); }), {0, 0}},
        {"a shape taking the sound's id later",
         SoundMovie(2, [](int f, TagList& t) { if (f == 1) { Square(t, 1); t.StartSound(1); } }), {1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Played p(c.movie.Movie());
        std::vector<size_t> seen{p.Mixer.Voices()};
        while (seen.size() < c.voices.size()) seen.push_back(p.Ticked(1));
        EXPECT_EQ(seen, c.voices);
    }
}

TEST(MovieSound, JumpsStartOnlyTheFrameLandedOn) {
    // Frame 1 jumps to 4 over frame 2's sound; frame 4 starts one; frame 5
    // jumps back to 3, whose sound starts.
    auto movie = SoundMovie(5, [](int f, TagList& t) {
        if (f == 1) t.DoAction(ActionWriter().GotoFrame(3).Op(0x06).End());
        if (f == 2 || f == 3 || f == 4) t.StartSound(1);
        if (f == 5) t.DoAction(ActionWriter().GotoFrame(2).End());
    });
    Played p(movie.Movie());
    EXPECT_EQ(p.Movie->FrameNum(), 3);
    EXPECT_EQ(p.Mixer.Voices(), 1u);
    p.Ticked(1);
    EXPECT_EQ(p.Movie->FrameNum(), 2);
    EXPECT_EQ(p.Mixer.Voices(), 2u);
}

TEST(MovieSound, SilencedCopiesPlayNothing) {
    auto movie = SoundMovie(3, [](int f, TagList& t) {
        if (f == 1) t.SoundStreamHead2(100, 0x32).ExportAssets(1, "tone");
        if (f == 2) t.StartSound(1, {.LoopCount = 5}).StartSound2("tone");
        t.SoundStreamBlock(Bytes(200, 0x40));
    });
    Bytes loud = movie.Movie(), silenced = loud;
    ASSERT_TRUE(MuteMovieBytes(silenced));
    Played a(loud), b(silenced);
    EXPECT_EQ(a.Ticked(2), 3u);  // the stream and the event sound, twice
    EXPECT_EQ(b.Ticked(2), 0u);
}

TEST(MovieSound, StreamsFollowTheirTimelineFrameByFrame) {
    // 100 frames of 16-bit mono at 5.5 kHz a frame: 800 frames of the mix each.
    Bytes block;
    for (int i = 0; i < 100; ++i) block.insert(block.end(), {0x00, 0x20});
    TagList sprite;
    sprite.SoundStreamHead2(100, 0x32);
    for (int f = 0; f < 3; ++f) sprite.SoundStreamBlock(block).ShowFrame();
    sprite.DoAction(ActionWriter().Stop().End()).ShowFrame().End();
    SwfWriter w(MovieHeader{.FrameRect = {0, 400, 0, 400}});
    w.DefineSprite(5, sprite);
    Place(w, {.Depth = 1, .Character = 5});
    w.ShowFrame().ShowFrame().ShowFrame().ShowFrame().ShowFrame().End();
    Played p(w.Movie());
    std::vector<int16_t> heard, piece(2 * 800);
    for (int tick = 0; tick < 6; ++tick) {
        p.Mixer.Mix(piece);
        heard.insert(heard.end(), piece.begin(), piece.end());
        p.Movie->Tick();
    }
    // Three blocks, one a frame, then the halted sprite gives no more.
    const auto loud = std::count(heard.begin(), heard.end(), 0x2000);
    EXPECT_EQ(loud, 2 * 3 * 800);
    std::vector<int16_t> rest(2 * (sound::Voice::kMaxDryFrames + 1000));
    p.Mixer.Mix(rest);
    EXPECT_FALSE(p.Mixer.Sounding());
}

TEST(MovieSound, BrokenSoundTagsAreSilentOrBounded) {
    struct Case {
        const char* name;
        std::function<void(TagList&)> tags;
        size_t heard;  // frames of the mix
    };
    const Case cases[] = {
        {"a count far beyond the bytes",
         [](TagList& t) { t.DefineSound(2, 0x30, 0xFFFFFFFF, Bytes(10, 0xC0)).StartSound(2); }, 80},
        {"ADPCM cut inside its first packet",
         [](TagList& t) { t.DefineSound(2, 0x12, 1000000, Bytes{0x80, 0x00, 0x00, 0x77}).StartSound(2); }, 24},
        {"a sound tag cut before its count", [](TagList& t) { t.Tag(tag::DefineSound, Bytes{2, 0, 0x30, 1}).StartSound(2); }, 0},
        {"a start without its info byte",
         [](TagList& t) { t.DefineSound(2, 0x30, 4, Bytes(4, 0xC0)).Tag(tag::StartSound, Bytes{2, 0}); }, 32},
        {"an envelope of points that are not there",
         [](TagList& t) { t.DefineSound(2, 0x30, 4, Bytes(4, 0xC0)).Tag(tag::StartSound, Bytes{2, 0, 0x08, 255, 1}); }, 32},
        {"an in point past the end, looped for ever",
         [](TagList& t) { t.DefineSound(2, 0x30, 4, Bytes(4, 0xC0)).StartSound(2, {.InPoint = 0xFFFFFFFF, .LoopCount = 65535}); }, 0},
        {"stream blocks without a head", [](TagList& t) { t.SoundStreamBlock(Bytes(200, 0x40)); }, 0},
        {"a stream head of an unknown codec",
         [](TagList& t) { t.SoundStreamHead2(100, 0xF2).SoundStreamBlock(Bytes(200, 0x40)); }, 0},
        {"an MP3 stream without a codec",
         [](TagList& t) { t.SoundStreamHead2(100, 0x2E).SoundStreamBlock(Bytes(200, 0xFF)); }, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SwfWriter w(MovieHeader{.FrameRect = {0, 400, 0, 400}});
        c.tags(w);
        w.ShowFrame().End();
        Played p(w.Movie());
        std::vector<int16_t> mix(2 * 1000);
        p.Mixer.Mix(mix);
        size_t heard = 0;  // up to the last frame that is not silence
        for (size_t i = 0; i < mix.size(); i += 2)
            if (mix[i] != 0 || mix[i + 1] != 0) heard = i / 2 + 1;
        EXPECT_EQ(heard, c.heard);
        EXPECT_LE(p.Mixer.Voices(), 1u);
    }
}

// A sound output that counts its openings and lets the test pull the mix;
// with Refuse, there is no device.
struct FakeOutputs {
    std::atomic<int> Opened{0}, Closed{0}, Asked{0};
    std::atomic<bool> Refuse{false};
    sound::Mixer* Mixer = nullptr;

    sound::AudioHost Host() {
        struct Output : sound::AudioOutput {
            FakeOutputs& owner;
            explicit Output(FakeOutputs& o) : owner(o) {}
            ~Output() override { ++owner.Closed; }
        };
        return {[this](sound::Mixer& m) -> std::unique_ptr<sound::AudioOutput> {
                    Mixer = &m;
                    ++Asked;
                    if (Refuse) return nullptr;
                    ++Opened;
                    return std::make_unique<Output>(*this);
                },
                nullptr};
    }
};

TEST(PlaybackSound, OutputOpensWithTheFirstSoundAndClosesWhenTheMovieStops) {
    FakeOutputs outputs;
    flash::Playback p({}, outputs.Host());
    p.SetSize(20, 20);
    auto loud = SoundMovie(2, [](int f, TagList& t) { if (f == 2) t.StartSound(1); });
    ASSERT_TRUE(p.LoadBytes(loud.Movie()));
    ASSERT_TRUE(WaitFor([&] { return p.SoundOpen(); }));
    EXPECT_EQ(outputs.Opened, 1);
    std::vector<int16_t> mix(2 * 100);
    outputs.Mixer->Mix(mix);
    EXPECT_EQ(mix[0], 0x40 << 8);

    p.Stop();
    ASSERT_TRUE(WaitFor([&] { return outputs.Closed == 1; }));
    EXPECT_FALSE(p.SoundOpen());
    EXPECT_FALSE(outputs.Mixer->Sounding());

    p.Play();
    ASSERT_TRUE(WaitFor([&] { return outputs.Opened == 2; }));  // frame 2 came round again
    p.Unload();
    ASSERT_TRUE(WaitFor([&] { return outputs.Closed == 2; }));

    // A silenced copy plays its frames without ever opening the output.
    Bytes silenced = loud.Movie();
    ASSERT_TRUE(MuteMovieBytes(silenced));
    ASSERT_TRUE(p.LoadBytes(silenced));
    ASSERT_TRUE(WaitFor([&] { return p.FrameNum() == 1; }));
    const uint64_t drawn = p.FramesDrawn();
    ASSERT_TRUE(WaitFor([&] { return p.FramesDrawn() > drawn + 2; }));
    EXPECT_EQ(outputs.Opened, 2);
    EXPECT_FALSE(p.SoundOpen());
}

TEST(PlaybackSound, AMovieThatHaltsAtItsEndFallsSilent) {
    struct Case {
        const char* name;
        int stopAt;  // frame of the stop action, from 1
        bool loop;
        bool heardAfter;
    };
    const Case cases[] = {
        {"its own stop on the last frame", 3, true, false},
        {"the end of a movie that does not loop", 0, false, false},
        {"a stop on the way", 2, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeOutputs outputs;
        flash::Playback p({}, outputs.Host());
        p.SetLoop(c.loop);
        auto movie = SoundMovie(3, [&](int f, TagList& t) {
            if (f == 1) t.StartSound(1);
            if (f == c.stopAt) t.DoAction(ActionWriter().Stop().End());
        });
        ASSERT_TRUE(p.LoadBytes(movie.Movie()));
        ASSERT_TRUE(WaitFor([&] { return !p.Playing(); }));
        if (c.heardAfter) {
            EXPECT_TRUE(p.SoundOpen());
            EXPECT_TRUE(outputs.Mixer->Sounding());
        } else {
            ASSERT_TRUE(WaitFor([&] { return outputs.Closed == 1; }));
            EXPECT_FALSE(outputs.Mixer->Sounding());
        }
    }
}

TEST(PlaybackSound, ANewMovieSilencesTheOldOnesSounds) {
    FakeOutputs outputs;
    {
        flash::Playback p({}, outputs.Host());
        auto loud = SoundMovie(1, [](int, TagList& t) { t.StartSound(1); });
        ASSERT_TRUE(p.LoadBytes(loud.Movie()));
        ASSERT_TRUE(WaitFor([&] { return p.SoundOpen(); }));
        ASSERT_TRUE(p.LoadBytes(SoundMovie(1, [](int, TagList&) {}).Movie()));
        ASSERT_TRUE(WaitFor([&] { return outputs.Closed == 1; }));
        EXPECT_FALSE(outputs.Mixer->Sounding());
        ASSERT_TRUE(p.LoadBytes(loud.Movie()));
        ASSERT_TRUE(WaitFor([&] { return outputs.Opened == 2; }));
    }
    EXPECT_EQ(outputs.Closed, 2);  // the playback's end closes it too
}

TEST(PlaybackSound, FramesWaitForTheirStreamToBeHeard) {
    FakeOutputs outputs;  // plays only what the test pulls
    flash::Playback p({}, outputs.Host());
    p.SetSize(20, 20);
    // 60 frames at 60 a second, each with 100 samples (800 frames of the mix).
    SwfWriter w(MovieHeader{.FrameRect = {0, 400, 0, 400}, .FrameRate = 60});
    w.SoundStreamHead2(100, 0x32);
    for (int f = 0; f < 60; ++f) w.SoundStreamBlock(Bytes(200, 0x40)).ShowFrame();
    w.End();
    ASSERT_TRUE(p.LoadBytes(w.Movie()));
    ASSERT_TRUE(WaitFor([&] { return p.SoundOpen(); }));
    // Five blocks wait unheard after frame 5 (counted from 0: 4): it stays.
    const int held = static_cast<int>(flash::Playback::kMaxStreamAhead);
    ASSERT_TRUE(WaitFor([&] { return p.FrameNum() == held; }));
    // Two blocks heard: two frames more, and no further.
    std::vector<int16_t> mix(2 * 1601);
    outputs.Mixer->Mix(mix);
    ASSERT_TRUE(WaitFor([&] { return p.FrameNum() == held + 2; }));
    EXPECT_EQ(p.FrameNum(), held + 2);
}

TEST(PlaybackSound, WithoutADeviceTheMoviePlaysSilentAndAsksOncePerStart) {
    FakeOutputs outputs;
    outputs.Refuse = true;
    flash::Playback p({}, outputs.Host());
    p.SetSize(20, 20);
    // A sound that lasts while the movie goes round and round.
    auto loud = SoundMovie(3, [](int f, TagList& t) { if (f == 1) t.StartSound(1, {.SyncNoMultiple = true}); });
    ASSERT_TRUE(p.LoadBytes(loud.Movie()));
    ASSERT_TRUE(WaitFor([&] { return outputs.Asked == 1; }));
    const uint64_t drawn = p.FramesDrawn();
    ASSERT_TRUE(WaitFor([&] { return p.FramesDrawn() > drawn + 6; }));  // twice round
    EXPECT_EQ(outputs.Asked, 1);
    EXPECT_FALSE(p.SoundOpen());
    // After a stop, the next start asks again.
    p.Stop();
    p.Play();
    ASSERT_TRUE(WaitFor([&] { return outputs.Asked == 2; }));
}

}  // namespace
}  // namespace qb::test
