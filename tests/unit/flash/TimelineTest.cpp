// The root timeline's frame numbers as the control reports them, the
// display list through placements, removals, sprites and gotos.
#include "flash/movie/StageRenderer.h"
#include "platform/File.h"
#include "tests/support/TempDir.h"
#include "tests/unit/flash/FlashTestMovies.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

namespace qb::test {
namespace {

using movie::Movie;

// Frames: 1 places square 1 at depth 1; 2 places sprite 3 at depth 2;
// 3 removes depth 1. The sprite has 3 frames of its own.
SwfWriter ThreeFrames() {
    SwfWriter w;
    Square(w, 1);
    Square(w, 2, 0x00FF00FF);
    TagList sprite;
    Place(sprite, {.Depth = 1, .Character = 2});
    sprite.ShowFrame().ShowFrame().ShowFrame().End();
    w.DefineSprite(3, sprite);
    Place(w, {.Depth = 1, .Character = 1});
    w.ShowFrame();
    Place(w, {.Depth = 2, .Character = 3, .Name = std::string("kid")});
    w.ShowFrame();
    Remove(w, 1);
    w.ShowFrame().End();
    return w;
}

TEST(Timeline, FrameNumbersCountFromZeroAndLoopOrHaltAtTheEnd) {
    auto def = LoadMovie(ThreeFrames());
    for (bool loop : {true, false}) {
        SCOPED_TRACE(loop);
        Movie m(def);
        m.SetLoop(loop);
        EXPECT_EQ(m.TotalFrames(), 3);
        std::vector<int> seen{m.FrameNum()};
        for (int i = 0; i < 4; ++i) {
            m.Tick();
            seen.push_back(m.FrameNum());
        }
        if (loop) {
            EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 0, 1}));
        } else {
            EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 2, 2}));
            EXPECT_FALSE(m.Playing());
        }
    }
}

TEST(Timeline, StopHaltsAndPlayResumes) {
    auto def = LoadMovie(ThreeFrames());
    Movie m(def);
    m.Tick();
    m.Stop();
    m.Tick();
    m.Tick();
    EXPECT_EQ(m.FrameNum(), 1);
    m.Play();
    m.Tick();
    EXPECT_EQ(m.FrameNum(), 2);
}

TEST(Timeline, PlacementsRemovalsAndSpritesFollowTheFrames) {
    auto def = LoadMovie(ThreeFrames());
    Movie m(def);
    EXPECT_EQ(Stage(m.Root()), (std::vector<uint16_t>{1}));
    m.Tick();
    EXPECT_EQ(Stage(m.Root()), (std::vector<uint16_t>{1, 3}));
    auto* kid = m.Root().Children().at(2)->AsClip();
    ASSERT_NE(kid, nullptr);
    EXPECT_EQ(kid->CurrentFrame(), 1);  // placed this frame: shows its first frame
    EXPECT_EQ(Stage(*kid), (std::vector<uint16_t>{2}));
    m.Tick();
    EXPECT_EQ(Stage(m.Root()), (std::vector<uint16_t>{3}));
    EXPECT_EQ(kid->CurrentFrame(), 2);  // the sprite runs on its own timeline
}

TEST(Timeline, GoingBackRebuildsTheStageAndKeepsWhatStays) {
    auto def = LoadMovie(ThreeFrames());
    Movie m(def);
    m.Tick();
    m.Tick();
    m.Tick();  // wraps to frame 1: square back, sprite gone
    EXPECT_EQ(m.FrameNum(), 0);
    EXPECT_EQ(Stage(m.Root()), (std::vector<uint16_t>{1}));

    m.GotoFrame(2, false);  // forward over frame 2: sprite placed, square removed
    EXPECT_EQ(Stage(m.Root()), (std::vector<uint16_t>{3}));
    auto kid = m.Root().Children().at(2);
    m.GotoFrame(1, false);  // back: the sprite is placed on frame 2 too, so it stays
    EXPECT_EQ(Stage(m.Root()), (std::vector<uint16_t>{1, 3}));
    EXPECT_EQ(m.Root().Children().at(2), kid);
    EXPECT_FALSE(m.Playing());
}

TEST(Timeline, MovesChangeTheObjectAtADepth) {
    SwfWriter w;
    Square(w, 1);
    Square(w, 2);
    Place(w, {.Depth = 5, .Character = 1, .Matrix = MatrixSpec{.Tx = 100}});
    w.ShowFrame();
    Place(w, {.Depth = 5, .Move = true, .Matrix = MatrixSpec{.Tx = 300}});
    w.ShowFrame();
    Place(w, {.Depth = 5, .Move = true, .Character = 2});
    Place(w, {.Depth = 7, .Move = true, .Character = 1});  // nothing there yet: placed afresh
    w.ShowFrame().End();
    Movie m(LoadMovie(w));
    m.Tick();
    EXPECT_EQ(m.Root().Children().at(5)->Matrix.Tx, 300);
    m.Tick();
    EXPECT_EQ(m.Root().Children().at(5)->CharacterId, 2);
    EXPECT_EQ(m.Root().Children().at(5)->Matrix.Tx, 300);  // the replacement keeps the place
    EXPECT_EQ(Stage(m.Root()), (std::vector<uint16_t>{2, 1}));
    m.GotoFrame(0, false);
    EXPECT_EQ(Stage(m.Root()), (std::vector<uint16_t>{1}));
    EXPECT_EQ(m.Root().Children().at(5)->CharacterId, 1);
    EXPECT_EQ(m.Root().Children().at(5)->Matrix.Tx, 100);
}

TEST(Timeline, ButtonsShowTheirUpState) {
    SwfWriter w;
    Square(w, 1);
    Square(w, 2, 0x00FF00FF);
    ByteWriter button;  // DefineButton2: square 1 when up, square 2 only when over
    button.U16(3).U8(0).U16(0);
    button.U8(0x01).U16(1).U16(1).Append(EncodeMatrix({.Tx = 60})).Append(EncodeCxformWithAlpha({}));
    button.U8(0x02).U16(2).U16(2).Append(EncodeMatrix({})).Append(EncodeCxformWithAlpha({}));
    button.U8(0);
    w.Tag(34, button.Data());
    Place(w, {.Depth = 1, .Character = 3});
    w.ShowFrame().End();
    Movie m(LoadMovie(w));
    auto* b = m.Root().Children().at(1)->AsClip();
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(Stage(*b), (std::vector<uint16_t>{1}));
    EXPECT_EQ(b->Children().at(1)->Matrix.Tx, 60);
}

TEST(Timeline, ButtonsShowTheirUpPartsWhateverElseTheyCarry) {
    // Squares 1 and 2 up, square 4 only when over; button 3.
    const Bytes dropShadowGlowAndConvolution = [] {
        ByteWriter f;
        f.U8(3);
        f.U8(0).Append(Bytes(23, 0x11));
        f.U8(4).U8(2).Append(Bytes(2 * 5 + 19, 0x22));
        f.U8(5).U8(3).U8(3).Append(Bytes(8 + 9 * 4 + 5, 0x33));
        return f.Take();
    }();
    const Bytes condScripts = ByteWriter().U16(0).U16(0x0008).Append(ActionWriter().Stop().End()).Take();
    struct Case {
        const char* name;
        std::function<void(TagList&)> button;
        std::vector<uint16_t> up;
    };
    const std::vector<ButtonPart> parts = {{.Character = 1, .Depth = 1}, {.States = 0x02, .Character = 4, .Depth = 2},
                                           {.States = 0x09, .Character = 2, .Depth = 3}};
    const Case cases[] = {
        {"first form, with its scripts", [&](TagList& t) { Button(t, 1, 3, parts, ActionWriter().Play().End()); }, {1, 2}},
        {"second form, with condition scripts", [&](TagList& t) { Button(t, 2, 3, parts, condScripts); }, {1, 2}},
        {"filters and a blend mode before the last part",
         [&](TagList& t) {
             auto withFilters = parts;
             withFilters[1].Filters = dropShadowGlowAndConvolution;
             withFilters[1].Blend = 3;
             Button(t, 2, 3, withFilters);
         },
         {1, 2}},
        {"an unknown filter ends the parts",
         [&](TagList& t) {
             auto odd = parts;
             odd[1].Filters = Bytes{1, 42, 0, 0};
             Button(t, 2, 3, odd);
         },
         {1}},
        {"cut inside the last part",
         [&](TagList& t) {
             TagList whole;
             Button(whole, 2, 3, parts, condScripts);
             const Bytes& b = whole.Data();
             const size_t header = 6;  // a long tag header
             t.Tag(tag::DefineButton2, Bytes(b.begin() + header, b.end() - static_cast<long>(condScripts.size()) - 4));
         },
         {1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SwfWriter w;
        Square(w, 1);
        Square(w, 2, 0x00FF00FF);
        Square(w, 4, 0x0000FFFF);
        c.button(w);
        Place(w, {.Depth = 1, .Character = 3});
        w.ShowFrame().End();
        Movie m(LoadMovie(w));
        m.Tick();
        auto* b = m.Root().Children().at(1)->AsClip();
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(Stage(*b), c.up);
    }
}

TEST(Timeline, ButtonSoundsAreKeptAndNeverHeard) {
    SwfWriter w;
    w.DefineSound(5, Bytes(512, 0xC0));
    Square(w, 1);
    Button(w, 2, 3, {{.Character = 1}});
    w.DefineButtonSound(3, {0, 5, 5, 0});
    w.DefineButtonSound(1, {5, 5, 5, 5});  // a shape: no button to keep them
    w.DefineButtonSound(99, {5, 0, 0, 0});  // nothing of that id
    w.Tag(tag::DefineButtonSound, Bytes{3, 0, 5});  // cut short: the kept ones stay
    Place(w, {.Depth = 1, .Character = 3});
    w.ShowFrame().ShowFrame().End();
    const auto def = LoadMovie(w);
    const auto& sounds = def->Find(3)->Button->Sounds;
    EXPECT_EQ(sounds[0].SoundId, 0);
    EXPECT_EQ(sounds[1].SoundId, 5);
    EXPECT_EQ(sounds[2].SoundId, 5);
    EXPECT_EQ(sounds[3].SoundId, 0);
    sound::Mixer mixer;
    Movie m(def, &mixer, 1);
    for (int i = 0; i < 4; ++i) m.Tick();
    EXPECT_EQ(mixer.Voices(), 0u);
}

TEST(Timeline, CompressedMoviesPlayLikeUncompressedOnes) {
    const SwfWriter w = ThreeFrames();
    Movie m(LoadMovie(w.CompressedMovie()));
    EXPECT_EQ(m.TotalFrames(), 3);
    m.Tick();
    EXPECT_EQ(Stage(m.Root()), (std::vector<uint16_t>{1, 3}));
}

TEST(Timeline, UnplayableFilesAreRefused) {
    SwfWriter w = ThreeFrames();
    Bytes lzma = w.Movie();
    lzma[0] = 'Z';
    swf::LoadError error;
    EXPECT_EQ(movie::MovieDef::Load(lzma, error), nullptr);
    EXPECT_EQ(error, swf::LoadError::Unsupported);
    EXPECT_EQ(movie::MovieDef::Load(Bytes{'F', 'W', 'S', 6}, error), nullptr);
    EXPECT_EQ(movie::MovieDef::Load(Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0}, error), nullptr);
    EXPECT_EQ(error, swf::LoadError::NotAMovie);
}

#ifndef _WIN32
TEST(Timeline, AMovieWrittenByFfmpegShowsItsJpegFrames) {
    // Another program's idea of a movie: a JPEG bitmap and a shape filled
    // with it each frame, and a frame count left at 0 in the header.
    TempDir dir;
    const std::string path = dir.File("elsewhere.swf");
    const std::string command =
        "ffmpeg -hide_banner -loglevel error -y -f lavfi -i color=c=red:s=64x48:r=12:d=1 "
        "-vf drawbox=x=0:y=0:w=32:h=48:color=blue:t=fill -c:v mjpeg -q:v 2 '" + path + "' 2>/dev/null";
    if (std::system(command.c_str()) != 0) GTEST_SKIP() << "no ffmpeg here";
    const auto bytes = ReadWholeFile(path);
    ASSERT_TRUE(bytes);
    const auto image = movie::RenderFrame(LoadMovie(*bytes), 5, 64, 48, render::Quality::High);
    auto near = [](uint32_t got, uint32_t want) {
        for (int shift = 0; shift < 24; shift += 8)
            if (std::abs(static_cast<int>((got >> shift) & 0xFF) - static_cast<int>((want >> shift) & 0xFF)) > 12)
                return false;
        return true;
    };
    EXPECT_TRUE(near(image.Row(24)[10], 0xFF0000FFu)) << std::hex << image.Row(24)[10];  // blue on the left
    EXPECT_TRUE(near(image.Row(24)[50], 0xFFFF0000u)) << std::hex << image.Row(24)[50];  // red on the right
}
#endif

}  // namespace
}  // namespace qb::test
