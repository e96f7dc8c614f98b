#pragma once
#include "flash/sound/SampleSource.h"

#include <cstdint>
#include <memory>
#include <span>

namespace qb::sound {

// MP3 frames being decoded: those it was opened with and any appended
// later, through one decoder (a frame may lean on the bytes of the frames
// before it). Read answers 0 once every frame given is decoded.
class Mp3Feed : public SampleSource {
public:
    // More frames of the same stream; they must outlive the feed.
    virtual void Append(std::span<const uint8_t> frames) = 0;
    // Pieces of frames given and not yet wholly decoded.
    virtual size_t Pending() const = 0;
};

// MP3 decoding comes from the host (the platform's codec on Windows); the
// engine only finds the frames. Without one, MP3 sounds stay silent.
class Mp3Codec {
public:
    virtual ~Mp3Codec() = default;
    // A decoder over MPEG audio frames (which must outlive it), or null when
    // they cannot be decoded.
    virtual std::unique_ptr<Mp3Feed> Open(std::span<const uint8_t> frames) const = 0;
};

}  // namespace qb::sound
