#pragma once
#include "flash/movie/Clip.h"
#include "flash/movie/MovieDef.h"
#include "flash/sound/Mixer.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

namespace qb::movie {

// A movie being played: its stage (the root clip and everything below it),
// its scripts, and the rules of the root timeline. Frame numbers here count
// from 0 as the control reports them; clips and scripts count from 1.
class Movie {
public:
    // Sounds go to `mixer` (none: the movie is silent) as `soundOwner`'s.
    explicit Movie(std::shared_ptr<const MovieDef> def, sound::Mixer* mixer = nullptr, uint64_t soundOwner = 0);
    Movie(const Movie&) = delete;
    Movie& operator=(const Movie&) = delete;

    const MovieDef& Definition() const { return *def_; }
    const std::shared_ptr<const MovieDef>& DefinitionPtr() const { return def_; }
    int Version() const { return def_->File().Version; }
    Clip& Root() { return *root_; }
    const Clip& Root() const { return *root_; }

    // One frame of time: every playing timeline moves on, then the scripts
    // of the frames entered run.
    void Tick();

    // With Loop false the root halts on its last frame instead of wrapping.
    void SetLoop(bool loop) { loop_ = loop; }
    bool Loop() const { return loop_; }
    void Play() { root_->SetPlaying(true); }
    void Stop() { root_->SetPlaying(false); }
    bool Playing() const { return root_->Playing(); }
    int FrameNum() const { return root_->CurrentFrame() - 1; }
    int TotalFrames() const { return root_->FrameCount(); }
    void GotoFrame(int frameNum, bool play);

    // Whether the picture may have changed since the last TakeDirty.
    bool TakeDirty() { return std::exchange(dirty_, false); }
    // True when ticking would change nothing: no timeline with more than one
    // frame is playing and no script waits.
    bool Idle() const;

    // What trace() printed, the newest last (a few hundred lines at most).
    const std::deque<std::string>& TraceLog() const { return trace_; }

    // For clips and scripts.
    void MarkDirty() { dirty_ = true; }
    void QueueScript(Clip& clip, std::span<const uint8_t> code);
    // A DoInitAction body (sprite id, then the script): queued the first
    // time only; it runs in the sprite's first instance, or the root.
    void QueueInitScript(std::span<const uint8_t> body);
    uint64_t TickCount() const { return tick_; }
    int NextInstanceNumber() { return ++instances_; }
    std::shared_ptr<const int> LiveToken() const { return liveToken_; }
    bool MayPlace() const { return liveToken_.use_count() < kMaxObjects; }
    void Trace(std::string line);
    // What one frame of time may spend on scripts and on jumps: a hostile
    // movie gets a frame that ends, with the rest of its work dropped.
    bool TakeScriptStep() { return scriptSteps_ < kMaxScriptStepsPerTick && ++scriptSteps_; }
    bool TakeJump() { return jumps_ < kMaxJumpsPerTick && ++jumps_; }
    uint64_t StartMillis() const { return startMillis_; }
    // Sound commands of frames and scripts.
    void PlaySoundTag(const swf::Tag& tag);
    void StreamBlock(uint64_t stream, const Timeline& timeline, std::span<const uint8_t> block);
    void StopSounds();
    uint64_t NextClipSerial() { return ++clipSerials_; }

    static constexpr long kMaxObjects = 100000;
    static constexpr int kMaxScriptsPerTick = 4096;
    static constexpr long kMaxScriptStepsPerTick = 1000000;
    static constexpr int kMaxJumpsPerTick = 2000;

private:
    struct Script {
        std::weak_ptr<DisplayObject> Clip;
        std::span<const uint8_t> Code;
        std::optional<uint16_t> InitSprite;  // the clip is found when it runs
    };
    void AdvanceTree(Clip& clip, bool isRoot);
    std::shared_ptr<DisplayObject> FirstInstance(uint16_t id) const;
    void RunScripts();

    std::shared_ptr<const MovieDef> def_;
    std::shared_ptr<const int> liveToken_ = std::make_shared<const int>(0);
    std::shared_ptr<Clip> root_;
    std::deque<Script> scripts_;
    std::unordered_set<const uint8_t*> initsRun_;  // by where their bytes are
    std::deque<std::string> trace_;
    bool loop_ = true;
    bool dirty_ = true;
    uint64_t tick_ = 0;
    long scriptSteps_ = 0;
    int jumps_ = 0;
    int instances_ = 0;
    uint64_t startMillis_ = 0;
    sound::Mixer* mixer_;
    uint64_t soundOwner_;
    uint64_t clipSerials_ = 0;
};

}  // namespace qb::movie
