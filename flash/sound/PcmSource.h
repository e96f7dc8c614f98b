#pragma once
#include "flash/sound/SampleSource.h"
#include "flash/sound/SoundFormat.h"

#include <span>

namespace qb::sound {

// Uncompressed samples: 8-bit ones are unsigned, 16-bit ones little-endian
// (the "native" order of the movies' authoring machines). Plays at most
// `frames` frames, and never more than the bytes hold.
class PcmSource final : public SampleSource {
public:
    PcmSource(SoundFormat format, std::span<const uint8_t> data, uint64_t frames);

    double Rate() const override { return format_.Rate; }
    int Channels() const override { return format_.Channels(); }
    size_t Read(std::span<int16_t> out) override;

private:
    SoundFormat format_;
    std::span<const uint8_t> data_;
    uint64_t left_;  // frames still to play
    size_t pos_ = 0;
};

}  // namespace qb::sound
