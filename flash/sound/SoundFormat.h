#pragma once
#include <cstdint>

namespace qb::sound {

// How a sound's bytes are coded, from the format byte of DefineSound and of
// the stream heads (codec in the high nibble, then rate, size, channels).
enum class Codec : uint8_t { PcmNative = 0, Adpcm = 1, Mp3 = 2, PcmLittle = 3 };

struct SoundFormat {
    uint8_t CodecId = 0;
    double Rate = 5512.5;  // samples a second and channel
    bool Is16Bit = false;
    bool Stereo = false;

    int Channels() const { return Stereo ? 2 : 1; }
    bool Is(Codec c) const { return CodecId == static_cast<uint8_t>(c); }
    // Whether we can decode it (MP3 only with a codec from the host).
    bool Known() const { return CodecId <= 3; }
};

inline SoundFormat ParseSoundFormat(uint8_t b) {
    // The lowest rate is 44.1 kHz / 8 exactly, so every rate maps to the
    // mixer's by a whole factor.
    static constexpr double kRates[4] = {5512.5, 11025, 22050, 44100};
    return {static_cast<uint8_t>(b >> 4), kRates[(b >> 2) & 3], (b & 2) != 0, (b & 1) != 0};
}

}  // namespace qb::sound
