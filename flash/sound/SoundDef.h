#pragma once
#include "flash/sound/Mp3Codec.h"
#include "flash/sound/SampleSource.h"
#include "flash/sound/SoundFormat.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>

namespace qb::sound {

// An event sound as DefineSound gives it. The bytes stay inside the movie
// file; every start decodes them afresh, a piece at a time.
struct SoundDef {
    SoundFormat Format;
    uint32_t SampleCount = 0;  // frames, as the tag claims them
    std::span<const uint8_t> Data;

    // A decoder from the first sample, or null when the format is one we
    // cannot decode (then the sound is silent).
    std::unique_ptr<SampleSource> Open(const Mp3Codec* mp3) const;
};

// DefineSound's body after the sound id.
std::optional<SoundDef> ReadDefineSound(std::span<const uint8_t> body);

// The sound a timeline streams, one block a frame (SoundStreamHead and
// SoundStreamHead2).
struct StreamHead {
    SoundFormat Format;
    uint16_t SamplesPerBlock = 0;

    // A decoder over one SoundStreamBlock body of an uncompressed or ADPCM
    // stream (MP3 blocks go on through one decoder: see BlockQueue).
    std::unique_ptr<SampleSource> OpenBlock(std::span<const uint8_t> block) const;
};

std::optional<StreamHead> ReadStreamHead(std::span<const uint8_t> body);

}  // namespace qb::sound
