#pragma once
#include "flash/sound/SampleSource.h"

#include <cstdint>
#include <memory>
#include <span>

namespace qb::sound {

// MP3 decoding comes from the host (the platform's codec on Windows); the
// engine only finds the frames. Without one, MP3 sounds stay silent.
class Mp3Codec {
public:
    virtual ~Mp3Codec() = default;
    // A source over MPEG audio frames (which must outlive it), or null when
    // they cannot be decoded.
    virtual std::unique_ptr<SampleSource> Open(std::span<const uint8_t> frames) const = 0;
};

}  // namespace qb::sound
