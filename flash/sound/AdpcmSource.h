#pragma once
#include "flash/sound/SampleSource.h"
#include "flash/sound/SoundFormat.h"

#include <array>
#include <span>

namespace qb::sound {

// The movie format's ADPCM: a 2-bit code size (2 to 5 bits a sample), then
// packets of 4096 frames, each opening with every channel's 16-bit sample
// and 6-bit step index, then 4095 codes per channel, interleaved, all one
// bit stream read from the most significant bit. Each code is a sign bit
// and a magnitude that scales the channel's current step, IMA style.
// Truncated data ends the sound where the bits run out.
class AdpcmSource final : public SampleSource {
public:
    AdpcmSource(SoundFormat format, std::span<const uint8_t> data, uint64_t frames);

    double Rate() const override { return format_.Rate; }
    int Channels() const override { return format_.Channels(); }
    size_t Read(std::span<int16_t> out) override;

    static constexpr int kPacketFrames = 4096;

private:
    struct Channel {
        int Sample = 0;
        int Index = 0;
    };
    bool Bits(unsigned n, uint32_t& value);  // false past the end
    bool Decode(Channel& c);

    SoundFormat format_;
    std::span<const uint8_t> data_;
    uint64_t left_;
    size_t bitPos_ = 0;
    unsigned codeBits_ = 0;
    int inPacket_ = kPacketFrames;  // frames given from the current packet
    std::array<Channel, 2> channels_{};
    bool ended_ = false;
};

}  // namespace qb::sound
