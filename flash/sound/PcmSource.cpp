#include "flash/sound/PcmSource.h"

#include <algorithm>

namespace qb::sound {

PcmSource::PcmSource(SoundFormat format, std::span<const uint8_t> data, uint64_t frames)
    : format_(format), data_(data) {
    const size_t frameBytes = static_cast<size_t>(format.Channels()) * (format.Is16Bit ? 2 : 1);
    left_ = std::min<uint64_t>(frames, data.size() / frameBytes);
}

size_t PcmSource::Read(std::span<int16_t> out) {
    const int channels = Channels();
    const size_t frames = std::min<uint64_t>(left_, out.size() / static_cast<size_t>(channels));
    const size_t samples = frames * static_cast<size_t>(channels);
    for (size_t i = 0; i < samples; ++i) {
        if (format_.Is16Bit) {
            out[i] = static_cast<int16_t>(data_[pos_] | data_[pos_ + 1] << 8);
            pos_ += 2;
        } else {
            out[i] = static_cast<int16_t>((data_[pos_++] - 128) << 8);
        }
    }
    left_ -= frames;
    return frames;
}

}  // namespace qb::sound
