// The sound component against a stand-in decoder library whose entry points
// log their calls and answer what the test sets.
#include "app/SaverUtils.h"
#include "app/SharedPlayer.h"
#include "player/MPEGPlayer.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace qb {
namespace {

using namespace mpegapi;

struct FakeLibrary {
    std::vector<std::string> log;
    std::map<std::string, int32_t> errors;  // LastError after the named call
    int32_t lastError = 0;
    bool initResult = true;
    int32_t playResult = 0, length = 1000, pos = 0, mode = 0;
    int32_t posError = 0;  // LastError after a position query
    uint8_t* ended = nullptr;
    std::string openedName;
    OpenStreamProc open = nullptr;
    CloseStreamProc close = nullptr;
    RestartStreamProc restart = nullptr;
    ReadStreamProc read = nullptr;
    SeekStreamProc seek = nullptr;
    GetStreamSizeProc size = nullptr;
    void* context = nullptr;

    void Called(const std::string& what, const std::string& name) {
        log.push_back(what);
        auto e = errors.find(name);
        lastError = e == errors.end() ? 0 : e->second;
    }
};
FakeLibrary* lib = nullptr;

uint8_t QB_MPEG_CALL FakeInit() {
    lib->Called("init", "init");
    return lib->initResult;
}
void QB_MPEG_CALL FakeDeinit() { lib->Called("deinit", "deinit"); }
void QB_MPEG_CALL FakeOpen(const char* name, int32_t fromStream, OpenStreamProc o, CloseStreamProc c,
                           RestartStreamProc r, ReadStreamProc rd, SeekStreamProc s, GetStreamSizeProc z, void* ctx) {
    lib->openedName = name ? name : "(null)";
    lib->open = o, lib->close = c, lib->restart = r, lib->read = rd, lib->seek = s, lib->size = z, lib->context = ctx;
    lib->Called("Open " + lib->openedName + " " + std::to_string(fromStream), "Open");
}
void QB_MPEG_CALL FakeClose() { lib->Called("Close", "Close"); }
int32_t QB_MPEG_CALL FakePlay(int32_t start, int32_t end, uint8_t* ended) {
    lib->ended = ended;
    lib->Called("Play " + std::to_string(start) + " " + std::to_string(end), "Play");
    return lib->playResult;
}
void QB_MPEG_CALL FakeRestart() { lib->Called("Restart", "Restart"); }
void QB_MPEG_CALL FakeStop() { lib->Called("Stop", "Stop"); }
void QB_MPEG_CALL FakePause(uint8_t resume) { lib->Called("Pause " + std::to_string(resume), "Pause"); }
void QB_MPEG_CALL FakeSetPriority(int32_t p) { lib->Called("SetPriority " + std::to_string(p), "SetPriority"); }
void QB_MPEG_CALL FakeSetOutputDevice(int32_t d, const char* f) {
    lib->Called("SetOutputDevice " + std::to_string(d) + " " + f, "SetOutputDevice");
}
int32_t QB_MPEG_CALL FakeGetPlayerMode() {
    lib->Called("GetPlayerMode", "GetPlayerMode");
    return lib->mode;
}
int32_t QB_MPEG_CALL FakeGetCurrentPos() {
    lib->lastError = lib->posError;  // asked on every tick: kept out of the log
    return lib->pos;
}
int32_t QB_MPEG_CALL FakeGetLength() {
    lib->Called("GetLength", "GetLength");
    return lib->length;
}
int32_t QB_MPEG_CALL FakeNotCalled() {
    ADD_FAILURE() << "an entry point the component must not call";
    return 0;
}
void QB_MPEG_CALL FakeNotCalledVoid() { ADD_FAILURE() << "an entry point the component must not call"; }
int32_t QB_MPEG_CALL FakeLastError() { return lib->lastError; }

const std::map<std::string, void*> kEntries = {
    {"init", reinterpret_cast<void*>(FakeInit)},
    {"deinit", reinterpret_cast<void*>(FakeDeinit)},
    {"Open", reinterpret_cast<void*>(FakeOpen)},
    {"Close", reinterpret_cast<void*>(FakeClose)},
    {"Play", reinterpret_cast<void*>(FakePlay)},
    {"Restart", reinterpret_cast<void*>(FakeRestart)},
    {"Stop", reinterpret_cast<void*>(FakeStop)},
    {"Pause", reinterpret_cast<void*>(FakePause)},
    {"SetPriority", reinterpret_cast<void*>(FakeSetPriority)},
    {"SetOutputDevice", reinterpret_cast<void*>(FakeSetOutputDevice)},
    {"GetPlayerMode", reinterpret_cast<void*>(FakeGetPlayerMode)},
    {"GetCurrentPos", reinterpret_cast<void*>(FakeGetCurrentPos)},
    {"GetLength", reinterpret_cast<void*>(FakeGetLength)},
    {"GetFrequency", reinterpret_cast<void*>(FakeNotCalled)},
    {"GetBitrate", reinterpret_cast<void*>(FakeNotCalled)},
    {"GetLayer", reinterpret_cast<void*>(FakeNotCalled)},
    {"ResetPlayerMode", reinterpret_cast<void*>(FakeNotCalledVoid)},
    {"Seek", reinterpret_cast<void*>(FakeNotCalledVoid)},
    {"LastError", reinterpret_cast<void*>(FakeLastError)},
};

struct FakeLoader : LibraryLoader {
    struct Module : LibraryModule {
        FakeLoader& owner;
        explicit Module(FakeLoader& o) : owner(o) { ++owner.loaded; }
        ~Module() override { --owner.loaded; }
        void* Proc(const char* name) override {
            if (owner.missing.count(name)) return nullptr;
            auto e = kEntries.find(name);
            return e == kEntries.end() ? nullptr : e->second;
        }
    };
    std::unique_ptr<LibraryModule> Load(const std::string& path) override {
        paths.push_back(path);
        if (!available) return nullptr;
        return std::make_unique<Module>(*this);
    }
    bool available = true;
    std::set<std::string> missing;
    std::vector<std::string> paths;
    int loaded = 0;
};

// Timer workers that never tick by themselves: the tests call TimerTick.
struct NoWorkers : TimerWorkerFactory {
    struct Idle : TimerWorker {
        void SetInterval(uint16_t) override {}
        void Pause() override {}
        void Resume() override {}
    };
    std::unique_ptr<TimerWorker> Start(TThreadPriority, uint16_t, std::function<void()>) override {
        return std::make_unique<Idle>();
    }
};

class MPEGPlayerTest : public ::testing::Test {
protected:
    MPEGPlayerTest() { lib = &fake; }
    ~MPEGPlayerTest() override { lib = nullptr; }

    std::unique_ptr<TMPEGPlayer> Loaded() {
        auto p = std::make_unique<TMPEGPlayer>(loader, workers);
        p->UseTimer = true;
        p->SetTimerFreq(100);
        p->PathToDLL = "C:\\qb";
        p->LoadDLL();
        fake.log.clear();
        return p;
    }

    template <typename F>
    std::pair<int, std::string> ErrorOf(F&& f) {
        try {
            f();
        } catch (const TMPEGError& e) {
            return {e.ErrorCode, e.what()};
        }
        return {-1, ""};
    }

    FakeLibrary fake;
    FakeLoader loader;
    NoWorkers workers;
};

using Log = std::vector<std::string>;

TEST_F(MPEGPlayerTest, LoadsTheLibraryFromItsDirectory) {
    for (const char* dir : {"C:\\qb", "C:\\qb\\", "C:", ""}) {
        TMPEGPlayer p(loader, workers);
        p.PathToDLL = dir;
        p.LoadDLL();
        p.UnloadDLL();
    }
    EXPECT_EQ(loader.paths, (Log{"C:\\qb\\QbMpegDll.dll", "C:\\qb\\QbMpegDll.dll", "C:QbMpegDll.dll", "QbMpegDll.dll"}));
    EXPECT_EQ(fake.log, (Log{"init", "deinit", "init", "deinit", "init", "deinit", "init", "deinit"}));
    EXPECT_EQ(loader.loaded, 0);
}

TEST_F(MPEGPlayerTest, RefusesAMissingLibraryOrEntryPointOrFailedInit) {
    TMPEGPlayer p(loader, workers);
    loader.available = false;
    EXPECT_EQ(ErrorOf([&] { p.LoadDLL(); }), (std::pair<int, std::string>{0, "Can't load MPEG library"}));
    loader.available = true;
    for (const auto& [name, entry] : kEntries) {
        loader.missing = {name};
        EXPECT_EQ(ErrorOf([&] { p.LoadDLL(); }), (std::pair<int, std::string>{0, "MPEG library not loaded"})) << name;
        EXPECT_EQ(loader.loaded, 0) << name;
    }
    loader.missing.clear();
    fake.initResult = false;
    fake.errors["init"] = 5;
    EXPECT_EQ(ErrorOf([&] { p.LoadDLL(); }), (std::pair<int, std::string>{5, "Output device failure"}));
    EXPECT_FALSE(p.Loaded());
    EXPECT_EQ(loader.loaded, 0);
}

TEST_F(MPEGPlayerTest, EveryOperationNeedsTheLibraryButStopChecksItsModeFirst) {
    TMPEGPlayer p(loader, workers);
    p.SetStreamName("a.mp3");
    for (auto op : std::vector<std::function<void()>>{
             [&] { p.UnloadDLL(); }, [&] { p.Open(); }, [&] { p.Play(); }, [&] { p.Pause(true); },
             [&] { p.Restart(); }, [&] { p.Close(); }, [&] { p.GetPlayerMode(); }, [&] { p.GetCurrentPos(); },
             [&] { p.GetLength(); }})
        EXPECT_EQ(ErrorOf(op), (std::pair<int, std::string>{0, "MPEG library not loaded"}));
    EXPECT_EQ(ErrorOf([&] { p.Stop(); }), (std::pair<int, std::string>{2, "Incorrect mode"}));
}

TEST_F(MPEGPlayerTest, APositionRefusedWhileTheModeChangesIsNoErrorForThePoll) {
    auto p = Loaded();
    p->SetStreamName("C:\\music\\a.mp3");
    int ends = 0, updates = 0;
    p->OnPlayEnd = [&](TMPEGPlayer&) { ++ends; };
    p->Play();
    p->OnPosUpdate = [&](TMPEGPlayer&, int32_t, int32_t) { ++updates; };
    fake.posError = 2;  // the decoding thread is just ending
    *fake.ended = 1;
    EXPECT_NO_THROW(p->TimerTick());
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(updates, 0);

    p->Play();
    fake.posError = 3;  // any other failure still reaches the caller
    EXPECT_EQ(ErrorOf([&] { p->TimerTick(); }).first, 3);
}

TEST_F(MPEGPlayerTest, FirstPlayOpensAndPlaysLaterOnesRestart) {
    auto p = Loaded();
    EXPECT_EQ(ErrorOf([&] { p->Play(); }), (std::pair<int, std::string>{254, "Can't play non-specified stream"}));
    p->SetStreamName("C:\\music\\a.mp3");
    p->StartPos = 5;
    p->EndPos = 9;
    p->SetPlayerPriority(TPlayPriority::AboveNormal);
    int ends = 0;
    std::vector<std::pair<int, int>> positions;
    p->OnPlayEnd = [&](TMPEGPlayer& sender) {
        EXPECT_EQ(&sender, p.get());
        ++ends;
    };
    p->OnPosUpdate = [&](TMPEGPlayer&, int32_t pos, int32_t len) { positions.push_back({pos, len}); };
    fake.pos = 40;
    p->Play();
    EXPECT_EQ(fake.log, (Log{"SetPriority 1", "Open C:\\music\\a.mp3 0", "GetLength", "SetPriority 1",
                             "SetOutputDevice 0 ", "Play 5 9"}));
    EXPECT_EQ(p->PlayedXTimes(), 2);
    EXPECT_TRUE(p->Timer()->Enabled());
    EXPECT_EQ(positions, (std::vector<std::pair<int, int>>{{40, 1000}}));  // one tick at once

    p->Play();  // playing: nothing
    fake.pos = 1001;  // beyond the length: reported as 0
    *fake.ended = 1;
    p->TimerTick();
    p->TimerTick();  // the end is reported once
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(positions.back(), (std::pair<int, int>{0, 1000}));
    EXPECT_FALSE(p->Timer()->Enabled());
    EXPECT_EQ(ErrorOf([&] { p->Stop(); }), (std::pair<int, std::string>{2, "Incorrect mode"}));

    fake.log.clear();
    p->Play();
    EXPECT_EQ(fake.log, (Log{"Restart"}));
    EXPECT_EQ(p->PlayedXTimes(), 3);
    *fake.ended = 1;
    p->TimerTick();
    EXPECT_EQ(ends, 2);

    // A new name closes the stream: the next Play opens and plays it afresh.
    fake.log.clear();
    p->SetStreamName("C:\\music\\b.mp3");
    EXPECT_EQ(p->PlayedXTimes(), 0);
    p->Play();
    EXPECT_EQ(fake.log, (Log{"Close", "Open C:\\music\\b.mp3 0", "GetLength", "SetPriority 1", "SetOutputDevice 0 ",
                             "Play 5 9"}));
}

TEST_F(MPEGPlayerTest, StopPauseAndResume) {
    auto p = Loaded();
    p->SetStreamName("a.mp3");
    EXPECT_EQ(ErrorOf([&] { p->Pause(true); }), (std::pair<int, std::string>{2, "Incorrect mode"}));
    p->Pause(false);  // resuming what does not play is ignored
    p->Play();
    fake.log.clear();
    p->Pause(true);
    EXPECT_TRUE(p->Paused());
    p->Play();  // resumes
    EXPECT_FALSE(p->Paused());
    p->Stop();
    EXPECT_EQ(fake.log, (Log{"Pause 0", "Pause 1", "Stop"}));
    EXPECT_FALSE(p->Playing());
    p->TimerTick();  // not playing: the timer goes off
    EXPECT_FALSE(p->Timer()->Enabled());
}

TEST_F(MPEGPlayerTest, LibraryErrorsBecomeExceptionsAndLeaveTheFlags) {
    struct Case {
        const char* call;
        int32_t code;
        const char* message;
    } cases[] = {
        {"Open", 3, "Input stream error"},      {"Play", 1, "Internal decoder error"},
        {"SetOutputDevice", 5, "Output device failure"}, {"SetPriority", 4, "Input stream is non-seekable"},
        {"GetLength", 2, "Incorrect mode"},     {"Play", 77, "Unknown MPEG library error 77"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.call);
        fake.errors = {{c.call, c.code}};
        auto p = Loaded();
        p->SetStreamName("a.mp3");
        EXPECT_EQ(ErrorOf([&] { p->Play(); }), (std::pair<int, std::string>{c.code, c.message}));
        EXPECT_FALSE(p->Playing());
        EXPECT_EQ(p->Opened(), std::string(c.call) != "Open");
    }
    fake.errors.clear();
    fake.playResult = 7;  // a failed "Play" without a code
    auto p = Loaded();
    p->SetStreamName("a.mp3");
    EXPECT_EQ(ErrorOf([&] { p->Play(); }).first, 0);
    EXPECT_FALSE(p->Playing());
}

TEST_F(MPEGPlayerTest, PropertiesKeepTheirRules) {
    TMPEGPlayer p(loader, workers);
    const std::pair<TPlayPriority, int> priorities[] = {
        {TPlayPriority::Idle, -15},       {TPlayPriority::Lowest, -2},  {TPlayPriority::BelowNormal, -1},
        {TPlayPriority::Normal, 0},       {TPlayPriority::AboveNormal, 1}, {TPlayPriority::Highest, 2},
        {TPlayPriority::TimeCritical, 15}};
    p.LoadDLL();
    for (const auto& [prio, value] : priorities) {
        fake.log.clear();
        p.SetPlayerPriority(prio);
        EXPECT_EQ(p.PlayerPriority(), prio);
        EXPECT_EQ(fake.log, Log{"SetPriority " + std::to_string(value)});
    }
    p.SetOutputDevice(TOutputDevice::pcmfile);  // no file named: stays on the wave mapper
    EXPECT_EQ(p.OutputDevice(), TOutputDevice::wavemapper);
    p.OutFilename = "C:\\out.pcm";
    p.SetOutputDevice(TOutputDevice::pcmfile);
    EXPECT_EQ(p.OutputDevice(), TOutputDevice::pcmfile);
    p.SetStreamName("a.mp3");
    fake.log.clear();
    p.Play();
    EXPECT_EQ(fake.log[3], "SetOutputDevice 2 C:\\out.pcm");
    p.UnloadDLL();

    // The timer takes TimerFreq when loading, or 0 without UseTimer; a later
    // TimerFreq of 0 turns UseTimer off but leaves the timer as it was.
    p.UseTimer = true;
    p.SetTimerFreq(100);
    p.LoadDLL();
    EXPECT_EQ(p.Timer()->Interval(), 100u);
    p.SetTimerFreq(0);
    EXPECT_FALSE(p.UseTimer);
    EXPECT_EQ(p.Timer()->Interval(), 100u);
    p.UnloadDLL();
    p.LoadDLL();
    EXPECT_EQ(p.Timer()->Interval(), 0u);
    p.Play();
    EXPECT_FALSE(p.Timer()->Enabled());
}

TEST_F(MPEGPlayerTest, PublishedPropertiesInTheirOrder) {
    TMPEGPlayer p(loader, workers);
    std::vector<std::string> names;
    for (const auto& prop : TMPEGPlayer::StaticClass().Own()) names.push_back(prop.name);
    EXPECT_EQ(names, (Log{"FromStream", "PlayerPriority", "UseTimer", "TimerFreq", "AutoPlay", "StreamName",
                          "OutputDevice", "OutFilename", "PathToDLL", "StartPos", "EndPos", "PlayedXTimes"}));
    p.FindProperty("UseTimer")->setInt(p, 1);
    p.FindProperty("TimerFreq")->setInt(p, 0);
    EXPECT_FALSE(p.UseTimer);
    p.FindProperty("PlayerPriority")->setInt(p, 5);
    EXPECT_EQ(p.PlayerPriority(), TPlayPriority::Highest);
    p.FindProperty("OutFilename")->setString(p, "C:\\o.pcm");
    p.FindProperty("OutputDevice")->setInt(p, 1);
    EXPECT_EQ(p.OutputDevice(), TOutputDevice::pcmfile);
    p.FindProperty("StreamName")->setString(p, "a.mp3");
    EXPECT_EQ(p.StreamName(), "a.mp3");
    EXPECT_FALSE(p.FindProperty("PlayedXTimes")->setInt);  // read-only
}

TEST_F(MPEGPlayerTest, StreamCallbacksReachTheEvents) {
    auto p = Loaded();
    p->FromStream = true;
    p->Open();
    EXPECT_EQ(fake.log[0], "Open (null) 1");
    EXPECT_EQ(fake.context, p.get());

    // Unassigned events answer "nothing there".
    uint8_t flag = 1, ok = 1;
    void* user = &flag;
    int32_t n = 5, res = 0;
    char buffer[8] = {};
    fake.open(fake.context, &flag, &user);
    EXPECT_EQ(user, nullptr);
    fake.restart(fake.context, user, &ok);
    EXPECT_EQ(ok, 0);
    ok = 1;
    fake.read(fake.context, user, buffer, 8, &n, &ok);
    EXPECT_EQ(ok, 0);
    fake.seek(fake.context, user, 0, 0, &res);
    EXPECT_EQ(res, -1);
    res = 0;
    fake.size(fake.context, user, &res);
    EXPECT_EQ(res, -1);
    fake.close(fake.context, user);

    // Assigned ones get the library's arguments and answer through them.
    int marker = 0;
    std::vector<std::string> seen;
    p->OnOpenStream = [&](bool& nonSeekable, void*& context) {
        nonSeekable = true;
        context = &marker;
    };
    p->OnReadStream = [&](void* c, void* buf, int32_t want, int32_t& got, bool& r) {
        EXPECT_EQ(c, &marker);
        std::memcpy(buf, "abc", 3);
        got = 3;
        r = want >= 3;
    };
    p->OnSeekStream = [&](void* c, int32_t bytes, int32_t method, int32_t& r) { r = bytes + method; };
    p->OnGetStreamSize = [&](void*, int32_t& r) { r = 1234; };
    p->OnRestartStream = [&](void*, bool& r) { r = true; };
    p->OnCloseStream = [&](void* c) { seen.push_back(c == &marker ? "closed" : "wrong"); };
    flag = 0;
    fake.open(fake.context, &flag, &user);
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(user, &marker);
    fake.read(fake.context, user, buffer, 8, &n, &ok);
    EXPECT_EQ(std::string(buffer, 3), "abc");
    EXPECT_EQ(n, 3);
    EXPECT_EQ(ok, 1);
    fake.seek(fake.context, user, 10, 2, &res);
    EXPECT_EQ(res, 12);
    fake.size(fake.context, user, &res);
    EXPECT_EQ(res, 1234);
    fake.restart(fake.context, user, &ok);
    EXPECT_EQ(ok, 1);
    fake.close(fake.context, user);
    EXPECT_EQ(seen, Log{"closed"});
}

TEST_F(MPEGPlayerTest, DestroyingALoadedPlayerUnloadsTheLibrary) {
    {
        auto p = Loaded();
        p->SetStreamName("a.mp3");
        p->Play();
        fake.log.clear();
    }
    EXPECT_EQ(fake.log, (Log{"Close", "deinit"}));
    EXPECT_EQ(loader.loaded, 0);
}

TEST_F(MPEGPlayerTest, SharedPlayerExistsOnlyWithTheLibraryBesideTheProgram) {
    test::TempDir exeDir;
    SaverUtils::ExeDir = exeDir.Path();
    {
        SharedPlayerScope scope(loader, workers);
        EXPECT_EQ(SaverUtils::SharedMp3Player, nullptr);
        EXPECT_TRUE(loader.paths.empty());
    }
    exeDir.Write("QbMpegDll.dll", std::string("library"));
    {
        SharedPlayerScope scope(loader, workers);
        TMPEGPlayer* shared = SaverUtils::SharedMp3Player;
        ASSERT_NE(shared, nullptr);
        EXPECT_EQ(loader.paths, Log{exeDir.Path() + "QbMpegDll.dll"});
        EXPECT_TRUE(shared->Loaded());
        EXPECT_TRUE(shared->UseTimer);
        EXPECT_EQ(shared->TimerFreq(), 100);
        EXPECT_EQ(shared->Timer()->Interval(), 100u);
        EXPECT_EQ(shared->PathToDLL, exeDir.Path());
        fake.log.clear();
    }
    EXPECT_EQ(SaverUtils::SharedMp3Player, nullptr);
    EXPECT_EQ(fake.log, Log{"deinit"});
    EXPECT_EQ(loader.loaded, 0);

    // There but not loadable: no shared player, and the program goes on.
    loader.missing = {"Seek"};
    {
        SharedPlayerScope scope(loader, workers);
        EXPECT_EQ(SaverUtils::SharedMp3Player, nullptr);
    }
    SaverUtils::ExeDir.clear();
}

}  // namespace
}  // namespace qb
