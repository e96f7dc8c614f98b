#pragma once
#include "flash/sound/SampleSource.h"
#include "flash/sound/SoundInfo.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace qb::sound {

// One sound playing: pulls its decoder, takes it to the mixer's rate by
// linear interpolation, and applies the start's in and out points, loops
// and volume envelope. A live source that runs dry is waited for in
// silence, for half a second at most.
class Voice {
public:
    static constexpr int kOutputRate = 44100;
    static constexpr uint64_t kMaxDryFrames = kOutputRate / 2;

    // `open` gives a fresh decoder for each pass of a loop (null: silence).
    using Opener = std::function<std::unique_ptr<SampleSource>()>;
    Voice(Opener open, SoundInfo info);

    // Adds up to out.size() / 2 stereo frames into `out`; false once the
    // voice has nothing more to play.
    bool MixInto(std::span<int32_t> out);
    bool Done() const { return done_; }

private:
    bool StartPass();
    bool Resume();  // a starved voice's source has frames again
    bool Fetch(std::array<int, 2>& frame);  // the next source frame, as stereo
    std::array<int, 2> Level(uint64_t position) const;

    Opener open_;
    SoundInfo info_;
    std::unique_ptr<SampleSource> source_;
    std::vector<int16_t> buffer_;
    size_t bufferPos_ = 0, bufferLen_ = 0;
    uint64_t step_ = 0;   // source frames per output frame, 32.32 fixed point
    uint64_t frac_ = 0;   // between `a_` and `b_`, same scale
    std::array<int, 2> a_{}, b_{};
    bool haveB_ = false;
    bool live_ = false;
    bool starved_ = false;  // waiting for a live source (`a_` is used up)
    uint64_t dry_ = 0;
    uint64_t position_ = 0;  // output frames into the sound, in points included
    uint32_t passesLeft_ = 1;
    uint64_t passOutput_ = 0;
    bool done_ = false;
};

}  // namespace qb::sound
