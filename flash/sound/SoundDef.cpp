#include "flash/sound/SoundDef.h"

#include "flash/sound/AdpcmSource.h"
#include "flash/sound/PcmSource.h"
#include "flash/swf/Reader.h"

#include <limits>

namespace qb::sound {
namespace {

std::unique_ptr<SampleSource> OpenData(const SoundFormat& format, std::span<const uint8_t> data, uint64_t frames,
                                       const Mp3Codec* mp3) {
    if (format.Is(Codec::PcmNative) || format.Is(Codec::PcmLittle))
        return std::make_unique<PcmSource>(format, data, frames);
    if (format.Is(Codec::Adpcm)) {
        // ADPCM always decodes to 16 bits, whatever the size bit says.
        return std::make_unique<AdpcmSource>(format, data, frames);
    }
    if (format.Is(Codec::Mp3) && mp3) return mp3->Open(data);
    return nullptr;
}

}  // namespace

std::unique_ptr<SampleSource> SoundDef::Open(const Mp3Codec* mp3) const {
    // MP3 data opens with the frames to skip before the first (SeekSamples).
    if (Format.Is(Codec::Mp3)) return Data.size() > 2 ? OpenData(Format, Data.subspan(2), SampleCount, mp3) : nullptr;
    return OpenData(Format, Data, SampleCount, mp3);
}

std::optional<SoundDef> ReadDefineSound(std::span<const uint8_t> body) {
    swf::Reader r(body);
    SoundDef def;
    def.Format = ParseSoundFormat(r.U8());
    def.SampleCount = r.U32();
    if (r.Overrun()) return std::nullopt;
    def.Data = r.Rest();
    return def;
}

std::unique_ptr<SampleSource> StreamHead::OpenBlock(std::span<const uint8_t> block) const {
    if (Format.Is(Codec::Mp3)) return nullptr;
    const uint64_t frames = SamplesPerBlock ? SamplesPerBlock : std::numeric_limits<uint64_t>::max();
    return OpenData(Format, block, frames, nullptr);
}

std::optional<StreamHead> ReadStreamHead(std::span<const uint8_t> body) {
    swf::Reader r(body);
    r.U8();  // the playback format the author suggested: we mix to our own
    StreamHead head;
    head.Format = ParseSoundFormat(r.U8());
    head.SamplesPerBlock = r.U16();
    if (r.Overrun()) return std::nullopt;
    return head;
}

}  // namespace qb::sound
