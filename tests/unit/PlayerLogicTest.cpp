#include "player/ExitRules.h"
#include "player/MovieFiles.h"
#include "player/MovieRotation.h"
#include "player/SoundRotation.h"

#include "tests/support/SwfWriter.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <deque>
#include <stdexcept>

namespace qb {
namespace {

using test::Bytes;
using test::SwfWriter;
using test::TempDir;

// The control as the players see it: remembers what it was told and reports
// the frames a test scripts.
class ScriptedControl : public MovieControl {
public:
    void SetMovie(const std::string& path) override {
        movie_ = path;
        log.push_back("movie " + path);
    }
    std::string Movie() const override { return movie_; }
    void SetLoop(bool loop) override { log.push_back(loop ? "loop" : "no loop"); }
    int32_t TotalFrames() const override { return total; }
    int32_t FrameNum() const override { return frame; }
    void Play() override { log.push_back("play"); }
    void Stop() override { log.push_back("stop"); }
    void SetBounds(const Bounds& b) override { bounds = b; }

    int32_t total = 60, frame = 0;
    Bounds bounds{-1, -1, -1, -1};
    std::vector<std::string> log;

private:
    std::string movie_;
};

struct RecordingTimers : MovieTimers {
    void SetWatching(bool on) override { watching = on; }
    void SetInterval(bool on) override { interval = on; }
    bool watching = false, interval = false;
};

// Random numbers from a script, so that random order is tested exactly.
struct ScriptedRandom {
    std::deque<int32_t> draws;
    int32_t operator()(int32_t n) {
        EXPECT_FALSE(draws.empty()) << "more random draws than scripted";
        const int32_t v = draws.empty() ? 0 : draws.front();
        if (!draws.empty()) draws.pop_front();
        EXPECT_LT(v, n);
        return v;
    }
};

Bytes MovieOf(int32_t widthPx, int32_t heightPx, bool withSound = false) {
    test::MovieHeader h;
    h.FrameRect = {0, widthPx * 20, 0, heightPx * 20};
    SwfWriter swf(h);
    swf.SetBackgroundColor(0x102030);
    if (withSound) swf.DefineSound(1, std::array<uint8_t, 4>{1, 2, 3, 4}).StartSound(1);
    swf.ShowFrame().End();
    return swf.Movie();
}

class Rotation : public ::testing::Test {
protected:
    MovieRotationConfig Config(std::vector<std::string> movies) {
        MovieRotationConfig c;
        c.Movies = std::move(movies);
        c.RandomOrder = false;
        c.ScreenWidth = 1024;
        c.ScreenHeight = 768;
        c.BlankMovie = dir.Write("blank.swf", MovieOf(1, 1));
        c.WorkingCopy = dir.File("work.swf");
        return c;
    }
    std::unique_ptr<MovieRotation> Make(MovieRotationConfig c) {
        return std::make_unique<MovieRotation>(std::move(c), control, timers, std::ref(random),
                                               [this](bool on) { loading.push_back(on); });
    }

    TempDir dir;
    ScriptedControl control;
    RecordingTimers timers;
    ScriptedRandom random;
    std::vector<bool> loading;
};

TEST_F(Rotation, MoviesPlayInOrderWithAPauseBetweenAndWrap) {
    const std::string a = dir.Write("a.swf", MovieOf(800, 600)), b = dir.Write("b.swf", MovieOf(400, 300));
    auto r = Make(Config({a, b}));
    r->Start();
    // Every load shows the blank movie first, and a watched movie never loops.
    EXPECT_EQ(control.log, (std::vector<std::string>{"movie " + dir.File("blank.swf"), "movie " + a, "no loop", "play"}));
    EXPECT_EQ(loading, (std::vector<bool>{true, false}));
    EXPECT_TRUE(timers.watching);

    control.total = 240;
    control.frame = 239;
    r->SlowTick();  // still moving
    r->SlowTick();  // halted on its last frame: over
    EXPECT_EQ(control.log.back(), "stop");
    EXPECT_FALSE(timers.watching);
    EXPECT_TRUE(timers.interval);
    r->FastTick();  // no checks while it pauses
    EXPECT_EQ(control.log.back(), "stop");

    r->IntervalTick();
    EXPECT_FALSE(timers.interval);
    EXPECT_EQ(r->CurrentMovie(), 1);
    EXPECT_EQ(control.Movie(), b);
    EXPECT_EQ(r->EndMargin(), 20);
    r->EndMovie();
    r->IntervalTick();
    EXPECT_EQ(r->CurrentMovie(), 0);
}

TEST_F(Rotation, RandomOrderNeverPlaysTheSameMovieTwiceInARow) {
    const std::string a = dir.Write("a.swf", MovieOf(10, 10)), b = dir.Write("b.swf", MovieOf(10, 10));
    auto c = Config({a, b});
    c.RandomOrder = true;
    auto r = Make(c);
    random.draws = {1, 1, 1, 0, 0, 1};
    r->Start();
    EXPECT_EQ(r->CurrentMovie(), 1);
    r->EndMovie();
    r->IntervalTick();  // draws 1, 1 (the same again), then 0
    EXPECT_EQ(r->CurrentMovie(), 0);
    r->EndMovie();
    r->IntervalTick();  // 0 again, then 1
    EXPECT_EQ(r->CurrentMovie(), 1);
    EXPECT_TRUE(random.draws.empty());
}

TEST_F(Rotation, ASingleMovieLoopsInsideTheControlUnwatched) {
    auto r = Make(Config({dir.Write("a.swf", MovieOf(10, 10))}));
    r->Start();
    EXPECT_EQ(control.log.back(), "play");
    EXPECT_EQ(control.log[control.log.size() - 2], "loop");
    EXPECT_FALSE(timers.watching);
    control.frame = 0;
    r->FastTick();
    r->SlowTick();
    r->SlowTick();
    EXPECT_FALSE(timers.interval);
}

TEST_F(Rotation, AutoPlayResumesAMovieHaltedInItsMiddle) {
    for (bool autoPlay : {true, false}) {
        SCOPED_TRACE(autoPlay);
        control.log.clear();
        const std::string a = dir.Write("a.swf", MovieOf(10, 10));
        auto c = Config({a, a});
        c.AutoPlay = autoPlay;
        auto r = Make(c);
        r->Start();
        control.frame = 20;
        r->SlowTick();
        r->SlowTick();
        EXPECT_EQ(std::count(control.log.begin(), control.log.end(), "play"), autoPlay ? 2 : 1);
        EXPECT_FALSE(timers.interval);
    }
}

TEST_F(Rotation, MoviesArePlacedBySize) {
    struct Case {
        int32_t size, w, h, W, H;
        Bounds expected;
    } cases[] = {
        {0, 800, 600, 1024, 768, {112, 84, 800, 600}},
        {1, 400, 300, 1280, 1024, {0, 32, 1280, 960}},
        {0, 2000, 1000, 1024, 768, {-488, -116, 2000, 1000}},  // cut on both sides
    };
    for (const auto& k : cases) {
        auto c = Config({dir.Write("m.swf", MovieOf(k.w, k.h))});
        c.MovieSize = k.size;
        c.ScreenWidth = k.W;
        c.ScreenHeight = k.H;
        Make(c)->Start();
        EXPECT_EQ(control.bounds, k.expected) << k.size << " " << k.w << "x" << k.h;
    }
    // Full screen leaves the control as the window aligned it.
    control.bounds = {-1, -1, -1, -1};
    auto c = Config({dir.Write("m.swf", MovieOf(800, 600))});
    c.MovieSize = 2;
    Make(c)->Start();
    EXPECT_EQ(control.bounds, (Bounds{-1, -1, -1, -1}));
}

TEST_F(Rotation, WorkingCopiesForProjectorsAndSilencedMovies) {
    const Bytes loud = MovieOf(100, 100, true);
    const std::string swf = dir.Write("a.swf", loud);
    const std::string exe = dir.Write("b.EXE", test::MakeProjector(std::array<uint8_t, 2>{'M', 'Z'}, loud));
    struct Case {
        std::string listed;
        bool bgSound;
        std::string played;
        bool silenced;
    } cases[] = {
        {swf, true, swf, false},
        {swf, false, dir.File("work.swf"), true},
        {exe, true, dir.File("work.swf"), false},
        {exe, false, dir.File("work.swf"), true},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.listed + (k.bgSound ? " with sound" : " silent"));
        auto c = Config({k.listed});
        c.MovieBgSound = k.bgSound;
        Make(c)->Start();
        EXPECT_EQ(control.Movie(), k.played);
        EXPECT_EQ(test::ReadBytes(k.played) != loud, k.silenced);
    }
    EXPECT_EQ(test::ReadBytes(swf), loud) << "the listed movie itself is never changed";
}

TEST_F(Rotation, ThePreviewPlaysSilencedCopiesAndSkipsAMissingMovie) {
    const Bytes loud = MovieOf(100, 100, true);
    const std::string a = dir.Write("a.swf", loud);
    auto c = Config({a, dir.File("gone.swf")});
    c.Kind = MovieEndWatch::Kind::Preview;
    auto r = Make(c);
    r->Start();
    EXPECT_EQ(control.Movie(), dir.File("work.swf"));
    EXPECT_NE(test::ReadBytes(dir.File("work.swf")), loud);
    EXPECT_TRUE(loading.empty()) << "the preview takes no input, so it never marks a load";

    r->EndMovie();
    r->IntervalTick();
    // The missing movie's turn ends at once: the pause before the next runs already.
    EXPECT_EQ(r->CurrentMovie(), 1);
    // The working copy it was given holds nothing: the first check ends the turn.
    control.total = 0;
    control.frame = 0;
    r->FastTick();
    EXPECT_TRUE(timers.interval);
    r->IntervalTick();
    EXPECT_EQ(r->CurrentMovie(), 0);
}

TEST_F(Rotation, AFailedLoadLeavesThePauseRunningForTheNextMovie) {
    // A projector whose movie cannot be written out: the working copy's
    // place is taken by a directory.
    const std::string exe =
        dir.Write("p.exe", test::MakeProjector(std::array<uint8_t, 2>{'M', 'Z'}, MovieOf(10, 10)));
    const std::string a = dir.Write("a.swf", MovieOf(10, 10));
    auto c = Config({a, exe});
    c.WorkingCopy = dir.Path() + "missing-dir" + "/" + "work.swf";
    auto r = Make(c);
    r->Start();
    r->EndMovie();
    EXPECT_ANY_THROW(r->IntervalTick());
    EXPECT_TRUE(timers.interval);
    EXPECT_EQ(loading.back(), true) << "the caller ends the load after reporting the error";
}

// ---------------------------------------------------------------- sounds

struct FakeMp3 : Mp3Output {
    int32_t GetPlayerMode() override { return playing ? 3 : 1; }
    void Stop() override {
        playing = false;
        log.push_back("mp3 stop");
    }
    void PlayFile(const std::string& path) override {
        if (path.find("bad") != std::string::npos) throw std::runtime_error("cannot open");
        playing = true;
        log.push_back("mp3 " + path);
    }
    bool playing = false;
    std::vector<std::string>& log;
    explicit FakeMp3(std::vector<std::string>& l) : log(l) {}
};

struct FakeMci : MciOutput {
    void Open(const std::string& path) override {
        if (path.find("bad") != std::string::npos) throw std::runtime_error("cannot open");
        log.push_back("mci " + path);
    }
    void Play() override { stopped = false; }
    void Close() override { log.push_back("mci close"); }
    bool Stopped() override { return stopped; }
    bool stopped = true;
    std::vector<std::string>& log;
    explicit FakeMci(std::vector<std::string>& l) : log(l) {}
};

TEST(Sounds, PlayOneAfterAnotherThroughTheRightDevice) {
    std::vector<std::string> log;
    FakeMp3 mp3(log);
    FakeMci mci(log);
    ScriptedRandom random;
    SoundRotation s({"a.mp3", "b.wav", "c.MID"}, false, &mp3, mci, std::ref(random));
    s.Start();
    s.Tick();       // an MP3's end comes through its own event, not the tick
    s.NextSound();  // that event: the MP3 still plays and is stopped first
    s.Tick();       // the wave plays on
    mci.stopped = true;
    s.Tick();       // the wave is over
    mci.stopped = true;
    s.Tick();       // so is the MIDI file: back to the first
    EXPECT_EQ(log, (std::vector<std::string>{"mp3 a.mp3", "mp3 stop", "mci b.wav", "mci c.MID", "mp3 a.mp3"}));
    EXPECT_EQ(s.ActiveKind(), SoundRotation::Kind::Mp3);
    s.NextSound();
    EXPECT_EQ(log.back(), "mci b.wav");
    s.NextSound();
    EXPECT_EQ(log[log.size() - 2], "mci close") << "switching away from a playing wave closes its device";
}

TEST(Sounds, ASoundThatCannotStartEndsTheSequence) {
    struct Case {
        std::vector<std::string> sounds;
        bool withMp3;
        std::vector<std::string> expected;
    } cases[] = {
        {{"a.wav", "bad.wav", "c.wav"}, true, {"mci a.wav"}},
        {{"a.wav", "b.mp3"}, false, {"mci a.wav"}},  // no decoder library
        {{"bad.mp3", "b.wav"}, true, {}},
    };
    for (auto& k : cases) {
        std::vector<std::string> log;
        FakeMp3 mp3(log);
        FakeMci mci(log);
        ScriptedRandom random;
        SoundRotation s(k.sounds, false, k.withMp3 ? &mp3 : nullptr, mci, std::ref(random));
        s.Start();
        for (int i = 0; i < 4; ++i) {
            mci.stopped = true;
            s.Tick();
        }
        EXPECT_EQ(log, k.expected) << k.sounds[0];
        EXPECT_FALSE(s.Active());
    }
}

TEST(Sounds, RandomSoundsNeverRepeatAndMp3StopsAtTheEnd) {
    std::vector<std::string> log;
    FakeMp3 mp3(log);
    FakeMci mci(log);
    ScriptedRandom random;
    random.draws = {0, 0, 1};
    SoundRotation s({"a.mp3", "b.mp3"}, true, &mp3, mci, std::ref(random));
    s.Start();
    s.NextSound();
    EXPECT_EQ(s.CurrentSound(), 1);
    s.StopMp3();
    EXPECT_EQ(log, (std::vector<std::string>{"mp3 a.mp3", "mp3 stop", "mp3 b.mp3", "mp3 stop"}));
}

// ---------------------------------------------------------------- exit

TEST(Exit, MouseMovesCountFromAnOriginSetAfterEachLoad) {
    struct Case {
        int32_t dx, dy;
        bool exits;
    } cases[] = {{15, 15, false}, {16, 0, true}, {0, -16, true}, {-15, 0, false}};
    for (const auto& k : cases) {
        ExitRules rules;
        rules.SetLoading(false);
        EXPECT_FALSE(rules.MouseMoved(500, 400));
        EXPECT_EQ(rules.MouseMoved(500 + k.dx, 400 + k.dy), k.exits) << k.dx << "," << k.dy;
    }
    ExitRules rules;
    EXPECT_FALSE(rules.MouseMoved(0, 0));
    rules.SetLoading(true);
    EXPECT_FALSE(rules.MouseMoved(100, 100)) << "nothing counts while loading";
    rules.SetLoading(false);
    EXPECT_FALSE(rules.MouseMoved(100, 100)) << "the first move after a load only sets the origin";
    EXPECT_TRUE(rules.MouseMoved(116, 100));
}

TEST(Exit, OnlyTheChosenInputsEndTheSaver) {
    ExitRules rules({false, true, false});
    EXPECT_FALSE(rules.Key());
    EXPECT_FALSE(rules.MouseMoved(0, 0) || rules.MouseMoved(500, 500));
    rules.SetLoading(true);
    EXPECT_FALSE(rules.MouseDown());
    EXPECT_FALSE(rules.ExitRequested());
    rules.SetLoading(false);
    EXPECT_TRUE(rules.MouseDown());
    EXPECT_TRUE(rules.ExitRequested());
}

TEST(Exit, CloseWaitsForARequestAndThePassword) {
    ExitRules rules;
    int asked = 0;
    auto refuse = [&] {
        ++asked;
        EXPECT_TRUE(rules.Loading()) << "input is ignored while the password dialog shows";
        return false;
    };
    EXPECT_FALSE(rules.CloseQuery(refuse));
    EXPECT_EQ(asked, 0);
    EXPECT_TRUE(rules.Key());
    EXPECT_FALSE(rules.CloseQuery(refuse));
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(rules.ExitRequested()) << "a refused close leaves the request standing";
    EXPECT_FALSE(rules.Loading());
    EXPECT_TRUE(rules.CloseQuery([] { return true; }));
}

}  // namespace
}  // namespace qb
