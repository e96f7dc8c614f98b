#pragma once
#include "flash/swf/Reader.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace qb::sound {

// How one start of a sound plays (SOUNDINFO). Positions count samples at
// 44.1 kHz whatever the sound's own rate.
struct SoundInfo {
    struct EnvelopePoint {
        uint32_t Position = 0;
        uint16_t Left = 32768, Right = 32768;  // 32768 is full volume
    };
    bool SyncStop = false;
    bool NoMultiple = false;
    std::optional<uint32_t> InPoint, OutPoint;
    uint16_t LoopCount = 1;  // times played; 0 counts as once
    std::vector<EnvelopePoint> Envelope;
};

SoundInfo ReadSoundInfo(swf::Reader& r);

}  // namespace qb::sound
