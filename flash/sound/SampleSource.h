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
    // Fills up to out.size() / Channels() frames; 0 means the sound is over
    // (for a live source: that nothing is there yet).
    virtual size_t Read(std::span<int16_t> out) = 0;
    // Whether more may come after it runs dry (a stream fed frame by frame).
    virtual bool Live() const { return false; }
};

}  // namespace qb::sound
