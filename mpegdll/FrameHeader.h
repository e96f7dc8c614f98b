#pragma once
#include <cstdint>
#include <optional>
#include <span>

namespace qb::mp3 {

// One MPEG audio layer III frame header (the four bytes before each frame).
struct FrameHeader {
    int version = 1;  // 1: MPEG-1, 2: MPEG-2, 25: MPEG-2.5
    int bitrateKbps = 0;
    int sampleRate = 0;
    int channels = 0;
    bool padding = false;
    int frameBytes = 0;        // header included
    int samplesPerFrame = 0;   // per channel
    int sideInfoBytes = 0;

    // Two headers belong to the same stream when everything that cannot
    // change between frames agrees.
    bool SameStreamAs(const FrameHeader& o) const {
        return version == o.version && sampleRate == o.sampleRate && channels == o.channels;
    }
};

// Nothing for anything but a valid layer III header (free-format bitrate
// and the reserved values included).
std::optional<FrameHeader> ParseFrameHeader(std::span<const uint8_t> bytes);

}  // namespace qb::mp3
