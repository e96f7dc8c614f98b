#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

namespace qb::sound {

// Decoded sound, pulled a piece at a time so that no sound is ever decoded
// whole: 16-bit samples, channels interleaved.
class SampleSource {
public:
    virtual ~SampleSource() = default;
    virtual double Rate() const = 0;
    virtual int Channels() const = 0;  // 1 or 2
    // Fills up to out.size() / Channels() frames; 0 means the sound is over.
    virtual size_t Read(std::span<int16_t> out) = 0;
};

}  // namespace qb::sound
