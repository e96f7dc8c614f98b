#include "mpegdll/FrameHeader.h"

namespace qb::mp3 {
namespace {

const int kBitratesV1[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
const int kBitratesV2[16] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};
const int kRatesV1[3] = {44100, 48000, 32000};

}  // namespace

std::optional<FrameHeader> ParseFrameHeader(std::span<const uint8_t> b) {
    if (b.size() < 4) return std::nullopt;
    if (b[0] != 0xFF || (b[1] & 0xE0) != 0xE0) return std::nullopt;
    const int versionBits = (b[1] >> 3) & 3;
    const int layerBits = (b[1] >> 1) & 3;
    const int bitrateIndex = b[2] >> 4;
    const int rateIndex = (b[2] >> 2) & 3;
    if (versionBits == 1 || layerBits != 1 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3)
        return std::nullopt;

    FrameHeader h;
    h.version = versionBits == 3 ? 1 : versionBits == 2 ? 2 : 25;
    const int divisor = h.version == 1 ? 1 : h.version == 2 ? 2 : 4;
    h.sampleRate = kRatesV1[rateIndex] / divisor;
    h.bitrateKbps = (h.version == 1 ? kBitratesV1 : kBitratesV2)[bitrateIndex];
    h.padding = (b[2] >> 1) & 1;
    h.channels = (b[3] >> 6) == 3 ? 1 : 2;
    h.samplesPerFrame = h.version == 1 ? 1152 : 576;
    const int slotFactor = h.version == 1 ? 144 : 72;
    h.frameBytes = slotFactor * h.bitrateKbps * 1000 / h.sampleRate + (h.padding ? 1 : 0);
    if (h.version == 1)
        h.sideInfoBytes = h.channels == 1 ? 17 : 32;
    else
        h.sideInfoBytes = h.channels == 1 ? 9 : 17;
    return h;
}

}  // namespace qb::mp3
