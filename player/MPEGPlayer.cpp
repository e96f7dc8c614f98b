#include "player/MPEGPlayer.h"

#include <optional>

#include <array>
#include <type_traits>

namespace qb {

using namespace mpegapi;

struct TMPEGPlayer::Entries {
    InitProc init;
    VoidProc deinit;
    OpenProc open;
    PauseProc pause;
    VoidProc restart;
    VoidProc stop;
    IntArgProc setPriority;
    SetOutputDeviceProc setOutputDevice;
    PlayProc play;
    VoidProc close;
    IntResultProc getFrequency, getBitrate, getLayer, getPlayerMode, getCurrentPos, getLength;
    VoidProc resetPlayerMode;
    IntArgProc seek;
    IntResultProc lastError;
};

namespace {

const std::array<std::pair<TPlayPriority, int32_t>, 7> kPriorities = {{
    {TPlayPriority::Idle, -15},
    {TPlayPriority::Lowest, -2},
    {TPlayPriority::BelowNormal, -1},
    {TPlayPriority::Normal, 0},
    {TPlayPriority::AboveNormal, 1},
    {TPlayPriority::Highest, 2},
    {TPlayPriority::TimeCritical, 15},
}};

template <typename T>
bool Resolve(LibraryModule& module, const char* name, T& entry) {
    entry = reinterpret_cast<T>(module.Proc(name));
    return entry != nullptr;
}

// Published properties over the player's plain fields and accessors.
template <typename Get, typename Set>
ui::PropInfo IntField(const char* name, ui::PropKind kind, Get get, Set set) {
    ui::PropInfo p{name, kind};
    p.getInt = [get](ui::Persistent& o) { return static_cast<long long>(get(static_cast<TMPEGPlayer&>(o))); };
    if constexpr (!std::is_same_v<Set, std::nullptr_t>)
        p.setInt = [set](ui::Persistent& o, long long v) { set(static_cast<TMPEGPlayer&>(o), v); };
    return p;
}

template <typename Get, typename Set>
ui::PropInfo StringField(const char* name, Get get, Set set) {
    ui::PropInfo p{name, ui::PropKind::String};
    p.getString = [get](ui::Persistent& o) { return std::string(get(static_cast<TMPEGPlayer&>(o))); };
    p.setString = [set](ui::Persistent& o, const std::string& v) { set(static_cast<TMPEGPlayer&>(o), v); };
    return p;
}

}  // namespace

QB_CLASS_INFO(TMPEGPlayer, ui::Component) {
    using P = TMPEGPlayer;
    using K = ui::PropKind;
    info.Add(IntField(
        "FromStream", K::Boolean, [](P& p) { return p.FromStream; }, [](P& p, long long v) { p.FromStream = v != 0; }));
    ui::PropInfo priority = IntField(
        "PlayerPriority", K::Enumeration, [](P& p) { return static_cast<int>(p.PlayerPriority()); },
        [](P& p, long long v) {
            if (v >= 0 && v < 7) p.SetPlayerPriority(static_cast<TPlayPriority>(v));
        });
    priority.enumNames = {"Idle", "Lowest", "BelowNormal", "Normal", "AboveNormal", "Highest", "TimeCritical"};
    info.Add(std::move(priority));
    info.Add(IntField(
        "UseTimer", K::Boolean, [](P& p) { return p.UseTimer; }, [](P& p, long long v) { p.UseTimer = v != 0; }));
    info.Add(IntField("TimerFreq", K::Integer, [](P& p) { return p.TimerFreq(); },
                   [](P& p, long long v) { p.SetTimerFreq(static_cast<int32_t>(v)); }));
    info.Add(IntField(
        "AutoPlay", K::Boolean, [](P& p) { return p.AutoPlay; }, [](P& p, long long v) { p.AutoPlay = v != 0; }));
    info.Add(StringField("StreamName", [](P& p) { return p.StreamName(); },
                   [](P& p, const std::string& v) { p.SetStreamName(v); }));
    ui::PropInfo device = IntField(
        "OutputDevice", K::Enumeration, [](P& p) { return static_cast<int>(p.OutputDevice()); },
        [](P& p, long long v) { p.SetOutputDevice(v == 1 ? TOutputDevice::pcmfile : TOutputDevice::wavemapper); });
    device.enumNames = {"wavemapper", "pcmfile"};
    info.Add(std::move(device));
    info.Add(StringField("OutFilename", [](P& p) { return p.OutFilename; },
                   [](P& p, const std::string& v) { p.OutFilename = v; }));
    info.Add(StringField("PathToDLL", [](P& p) { return p.PathToDLL; },
                   [](P& p, const std::string& v) { p.PathToDLL = v; }));
    info.Add(IntField("StartPos", K::Integer, [](P& p) { return p.StartPos; },
                   [](P& p, long long v) { p.StartPos = static_cast<int32_t>(v); }));
    info.Add(IntField("EndPos", K::Integer, [](P& p) { return p.EndPos; },
                   [](P& p, long long v) { p.EndPos = static_cast<int32_t>(v); }));
    info.Add(IntField("PlayedXTimes", K::Integer, [](P& p) { return p.PlayedXTimes(); }, nullptr));
}

TMPEGPlayer::TMPEGPlayer(LibraryLoader& loader, TimerWorkerFactory& timerWorkers)
    : loader_(loader), timerWorkers_(timerWorkers) {}

TMPEGPlayer::~TMPEGPlayer() {
    timer_.reset();
    // Freeing the library under a decoding thread would pull its code away
    // from under it: an owner that forgot UnloadDLL gets it done here.
    if (module_) {
        try {
            UnloadDLL();
        } catch (const TMPEGError&) {
        }
    }
}

TPlayPriority TMPEGPlayer::PlayerPriority() const {
    for (const auto& [p, v] : kPriorities)
        if (v == priority_) return p;
    return TPlayPriority::Normal;
}

void TMPEGPlayer::SetPlayerPriority(TPlayPriority value) {
    for (const auto& [p, v] : kPriorities)
        if (p == value) priority_ = v;
    if (module_) {
        entries_->setPriority(priority_);
        CheckError();
    }
}

void TMPEGPlayer::SetTimerFreq(int32_t value) {
    timerFreq_ = value;
    if (value == 0) UseTimer = false;
}

void TMPEGPlayer::SetStreamName(const std::string& value) {
    streamName_ = value;
    if (opened_) Close();
}

void TMPEGPlayer::SetOutputDevice(TOutputDevice value) {
    deviceCode_ = value == TOutputDevice::pcmfile && !OutFilename.empty() ? 2 : 0;
}

void TMPEGPlayer::RequireLibrary() const {
    if (!module_) throw TMPEGError::FromCode(0);
}

void TMPEGPlayer::CheckError() {
    const int32_t code = entries_->lastError();
    if (code > 0) throw TMPEGError::FromCode(code);
}

void TMPEGPlayer::LoadDLL() {
    std::string path = PathToDLL;
    // A forward slash is a separator too (the portable builds use it).
    if (!path.empty() && path.back() != '\\' && path.back() != '/' && path.back() != ':') path += '\\';
    path += kLibraryName;
    auto module = loader_.Load(path);
    if (!module) throw TMPEGError("Can't load MPEG library", 0);
    auto e = std::make_unique<Entries>();
    LibraryModule& m = *module;
    const bool all = Resolve(m, "init", e->init) & Resolve(m, "deinit", e->deinit) & Resolve(m, "Open", e->open) &
                     Resolve(m, "Pause", e->pause) & Resolve(m, "Restart", e->restart) & Resolve(m, "Stop", e->stop) &
                     Resolve(m, "SetPriority", e->setPriority) & Resolve(m, "SetOutputDevice", e->setOutputDevice) &
                     Resolve(m, "Play", e->play) & Resolve(m, "Close", e->close) &
                     Resolve(m, "GetFrequency", e->getFrequency) & Resolve(m, "GetBitrate", e->getBitrate) &
                     Resolve(m, "GetLayer", e->getLayer) & Resolve(m, "GetPlayerMode", e->getPlayerMode) &
                     Resolve(m, "GetCurrentPos", e->getCurrentPos) & Resolve(m, "GetLength", e->getLength) &
                     Resolve(m, "ResetPlayerMode", e->resetPlayerMode) & Resolve(m, "Seek", e->seek) &
                     Resolve(m, "LastError", e->lastError);
    if (!all) throw TMPEGError::FromCode(0);
    if (!e->init()) throw TMPEGError::FromCode(e->lastError());
    module_ = std::move(module);
    entries_ = std::move(e);
    timer_ = std::make_unique<TThreadedTimer>(timerWorkers_);
    timer_->SetInterval(UseTimer ? static_cast<uint32_t>(timerFreq_) : 0);
    timer_->SetOnTimer([this](ui::Component&) { TimerTick(); });
    streamLength_ = 0;
}

void TMPEGPlayer::UnloadDLL() {
    RequireLibrary();
    if (opened_) Close();
    entries_->deinit();
    timer_.reset();
    entries_.reset();
    module_.reset();
}

void TMPEGPlayer::Open() {
    RequireLibrary();
    if (opened_) Close();
    opened_ = false;
    if (FromStream) {
        entries_->open(nullptr, 1, OpenStream, CloseStream, RestartStream, ReadStream, SeekStream, GetStreamSize, this);
    } else {
        if (streamName_.empty()) throw TMPEGError("Can't play non-specified stream", 254);
        entries_->open(streamName_.c_str(), 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    }
    CheckError();
    opened_ = true;
    playedXTimes_ = 1;
    streamLength_ = GetLength();
    if (AutoPlay) Play();
}

void TMPEGPlayer::Play() {
    RequireLibrary();
    if (paused_) {
        Pause(false);
        return;
    }
    if (playing_) return;
    if (!opened_) {
        Open();
        if (!opened_) return;
        // AutoPlay may have started it already.
        if (playing_) return;
    }
    if (playedXTimes_ > 1) {
        Restart();
        return;
    }
    entries_->setPriority(priority_);
    CheckError();
    entries_->setOutputDevice(deviceCode_, OutFilename.c_str());
    CheckError();
    const int32_t result = entries_->play(StartPos, EndPos, const_cast<uint8_t*>(&ended_));
    const int32_t code = entries_->lastError();
    if (code > 0 || result != 0) throw TMPEGError::FromCode(code);
    playing_ = true;
    ++playedXTimes_;
    StartTimer();
}

void TMPEGPlayer::StartTimer() {
    if (!UseTimer || !timer_ || timer_->Interval() == 0) return;
    timer_->SetEnabled(true);
    TimerTick();
}

void TMPEGPlayer::Restart() {
    RequireLibrary();
    if (!opened_) throw TMPEGError::FromCode(2);
    ended_ = 0;
    entries_->restart();
    CheckError();
    playing_ = true;
    ++playedXTimes_;
    StartTimer();
}

void TMPEGPlayer::Stop() {
    if (!playing_ || ended_) throw TMPEGError::FromCode(2);
    RequireLibrary();
    entries_->stop();
    CheckError();
    playing_ = false;
    paused_ = false;
}

void TMPEGPlayer::Pause(bool pause) {
    RequireLibrary();
    if (!playing_ || ended_) {
        paused_ = false;
        if (pause) throw TMPEGError::FromCode(2);
        return;
    }
    entries_->pause(pause ? 0 : 1);
    CheckError();
    paused_ = pause;
}

void TMPEGPlayer::Close() {
    RequireLibrary();
    opened_ = paused_ = playing_ = false;
    playedXTimes_ = 0;
    entries_->close();
    CheckError();
}

int32_t TMPEGPlayer::GetPlayerMode() {
    RequireLibrary();
    const int32_t mode = entries_->getPlayerMode();
    CheckError();
    return mode;
}

int32_t TMPEGPlayer::GetCurrentPos() {
    RequireLibrary();
    const int32_t pos = entries_->getCurrentPos();
    CheckError();
    return pos;
}

int32_t TMPEGPlayer::GetLength() {
    RequireLibrary();
    const int32_t length = entries_->getLength();
    CheckError();
    return length;
}

void TMPEGPlayer::TimerTick() {
    if (!opened_ || !playing_) {
        if (timer_) timer_->SetEnabled(false);
        return;
    }
    // The decoding thread changes mode on its own; a position asked for in
    // that moment is refused ("Incorrect mode"). A poll must not turn that
    // into an error box: the position is skipped and the end still noticed.
    std::optional<int32_t> pos;
    try {
        pos = GetCurrentPos();
    } catch (const TMPEGError& e) {
        if (e.ErrorCode != 2) throw;
    }
    if (pos && OnPosUpdate) OnPosUpdate(*this, *pos > streamLength_ ? 0 : *pos, streamLength_);
    if (ended_) {
        if (timer_) timer_->SetEnabled(false);
        playing_ = false;
        if (OnPlayEnd) {
            ended_ = 0;
            OnPlayEnd(*this);
        }
    }
}

// The library calls these with the component as context, on whatever thread
// it reads the stream from.

void QB_MPEG_CALL TMPEGPlayer::OpenStream(void* self, uint8_t* nonSeekable, void** user) {
    auto& p = *static_cast<TMPEGPlayer*>(self);
    if (!p.OnOpenStream) {
        *user = nullptr;
        return;
    }
    bool flag = *nonSeekable != 0;
    void* context = *user;
    p.OnOpenStream(flag, context);
    *nonSeekable = flag ? 1 : 0;
    *user = context;
}

void QB_MPEG_CALL TMPEGPlayer::CloseStream(void* self, void* user) {
    auto& p = *static_cast<TMPEGPlayer*>(self);
    if (p.OnCloseStream) p.OnCloseStream(user);
}

void QB_MPEG_CALL TMPEGPlayer::RestartStream(void* self, void* user, uint8_t* result) {
    auto& p = *static_cast<TMPEGPlayer*>(self);
    bool res = false;
    if (p.OnRestartStream) p.OnRestartStream(user, res);
    *result = res ? 1 : 0;
}

void QB_MPEG_CALL TMPEGPlayer::ReadStream(void* self, void* user, void* buffer, int32_t toRead, int32_t* read,
                                          uint8_t* result) {
    auto& p = *static_cast<TMPEGPlayer*>(self);
    bool res = false;
    if (p.OnReadStream) {
        int32_t got = *read;
        p.OnReadStream(user, buffer, toRead, got, res);
        *read = got;
    }
    *result = res ? 1 : 0;
}

void QB_MPEG_CALL TMPEGPlayer::SeekStream(void* self, void* user, int32_t bytes, int32_t method, int32_t* result) {
    auto& p = *static_cast<TMPEGPlayer*>(self);
    int32_t res = -1;
    if (p.OnSeekStream) p.OnSeekStream(user, bytes, method, res);
    *result = res;
}

void QB_MPEG_CALL TMPEGPlayer::GetStreamSize(void* self, void* user, int32_t* result) {
    auto& p = *static_cast<TMPEGPlayer*>(self);
    int32_t res = -1;
    if (p.OnGetStreamSize) p.OnGetStreamSize(user, res);
    *result = res;
}

}  // namespace qb
