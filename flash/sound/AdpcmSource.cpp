#include "flash/sound/AdpcmSource.h"

#include <algorithm>

namespace qb::sound {
namespace {

constexpr int kSteps[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,    28,
    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,   118,
    130,   143,   157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,   494,
    544,   598,   658,   724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,
    2272,  2499,  2749,  3024,  3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,
    9493,  10442, 11487, 12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

// How the step index moves after a code, by magnitude, for 2 to 5 bits.
constexpr int kIndex2[] = {-1, 2};
constexpr int kIndex3[] = {-1, -1, 2, 4};
constexpr int kIndex4[] = {-1, -1, -1, -1, 2, 4, 6, 8};
constexpr int kIndex5[] = {-1, -1, -1, -1, -1, -1, -1, -1, 1, 2, 4, 6, 8, 10, 13, 16};
constexpr const int* kIndexTables[] = {kIndex2, kIndex3, kIndex4, kIndex5};

}  // namespace

AdpcmSource::AdpcmSource(SoundFormat format, std::span<const uint8_t> data, uint64_t frames)
    : format_(format), data_(data), left_(frames) {
    uint32_t size = 0;
    if (Bits(2, size)) codeBits_ = size + 2;
    else ended_ = true;
}

bool AdpcmSource::Bits(unsigned n, uint32_t& value) {
    if (bitPos_ + n > data_.size() * 8) return false;
    value = 0;
    for (unsigned i = 0; i < n; ++i, ++bitPos_)
        value = value << 1 | ((data_[bitPos_ >> 3] >> (7 - (bitPos_ & 7))) & 1);
    return true;
}

bool AdpcmSource::Decode(Channel& c) {
    uint32_t code = 0;
    if (!Bits(codeBits_, code)) return false;
    const uint32_t sign = 1u << (codeBits_ - 1);
    const uint32_t magnitude = code & (sign - 1);
    const int step = kSteps[c.Index];
    // step * (magnitude + 1/2) / 2^(bits-2), summed from shifted steps as
    // the IMA decoders do, so the rounding is theirs.
    int diff = step >> (codeBits_ - 1);
    for (unsigned bit = 0; bit + 1 < codeBits_; ++bit)
        if (magnitude & (1u << bit)) diff += step >> (codeBits_ - 2 - bit);
    c.Sample = std::clamp(c.Sample + ((code & sign) ? -diff : diff), -32768, 32767);
    c.Index = std::clamp(c.Index + kIndexTables[codeBits_ - 2][magnitude], 0, 88);
    return true;
}

size_t AdpcmSource::Read(std::span<int16_t> out) {
    const int channels = Channels();
    size_t frames = 0;
    while (!ended_ && left_ > 0 && (frames + 1) * static_cast<size_t>(channels) <= out.size()) {
        int16_t* frame = &out[frames * static_cast<size_t>(channels)];
        if (inPacket_ == kPacketFrames) {
            // A packet's first frame is given plainly.
            for (int ch = 0; ch < channels && !ended_; ++ch) {
                uint32_t sample = 0, index = 0;
                if (!Bits(16, sample) || !Bits(6, index)) {
                    ended_ = true;
                    break;
                }
                channels_[ch].Sample = static_cast<int16_t>(sample);
                channels_[ch].Index = std::min<int>(static_cast<int>(index), 88);
            }
            inPacket_ = 0;
        } else {
            for (int ch = 0; ch < channels && !ended_; ++ch)
                if (!Decode(channels_[ch])) ended_ = true;
        }
        if (ended_) break;
        for (int ch = 0; ch < channels; ++ch) frame[ch] = static_cast<int16_t>(channels_[ch].Sample);
        ++inPacket_;
        ++frames;
        --left_;
    }
    return frames;
}

}  // namespace qb::sound
