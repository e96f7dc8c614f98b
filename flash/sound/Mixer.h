#pragma once
#include "flash/sound/BlockQueue.h"
#include "flash/sound/Mp3Codec.h"
#include "flash/sound/SoundDef.h"
#include "flash/sound/SoundInfo.h"
#include "flash/sound/Voice.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

namespace qb::sound {

// Every sound a movie plays, mixed into one stream of 44.1 kHz 16-bit
// stereo. The movie's thread starts and stops sounds; the output's thread
// pulls the mix. Each sound belongs to an owner (one loaded movie), so a
// new movie's sounds and the old one's can be told apart.
class Mixer {
public:
    static constexpr int kRate = Voice::kOutputRate;
    static constexpr int kChannels = 2;
    static constexpr size_t kMaxVoices = 32;

    explicit Mixer(std::shared_ptr<const Mp3Codec> mp3 = nullptr) : mp3_(std::move(mp3)) {}
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    // The event sound `id`; `sound` keeps its bytes alive while it plays.
    void StartSound(uint64_t owner, uint16_t id, std::shared_ptr<const SoundDef> sound, const SoundInfo& info);
    void StopSound(uint64_t owner, uint16_t id);
    // One frame's block of the stream `stream` (a timeline of the owner);
    // `keep` holds the block's bytes.
    void StreamBlock(uint64_t owner, uint64_t stream, const StreamHead& head, std::span<const uint8_t> block,
                     std::shared_ptr<const void> keep);
    void StopOwner(uint64_t owner);
    void StopAllBut(uint64_t owner);
    void StopAll();

    // Whether anything is playing.
    bool Sounding() const;
    // The most blocks any of the owner's streams holds unheard.
    size_t StreamBacklog(uint64_t owner) const;
    size_t Voices() const;

    // Fills `out` (interleaved stereo) with the next stretch of the mix,
    // silence where nothing plays; sounds that end are dropped.
    void Mix(std::span<int16_t> out);

private:
    struct Playing {
        uint64_t Owner = 0;
        uint16_t Id = 0;        // event sounds
        uint64_t Stream = 0;    // streams (0: an event sound)
        BlockQueue* Queue = nullptr;
        std::shared_ptr<const void> Keep;
        std::unique_ptr<sound::Voice> Sound;
    };

    std::shared_ptr<const Mp3Codec> mp3_;
    mutable std::mutex mutex_;
    std::vector<Playing> playing_;
    std::vector<int32_t> accumulator_;
};

}  // namespace qb::sound
