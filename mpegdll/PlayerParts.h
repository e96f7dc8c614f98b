#pragma once
#include "mpegdll/FrameHeader.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace qb::mp3 {

struct PcmFormat {
    int sampleRate = 0;
    int channels = 0;  // 16-bit samples, interleaved
};

// Turns layer III frames into 16-bit PCM.
class FrameDecoder {
public:
    virtual ~FrameDecoder() = default;
    // Appends what the frames decode to; the codec may hold some back until
    // later frames arrive. Throws Mp3Error(Decoder).
    virtual void Decode(std::span<const uint8_t> frames, std::vector<int16_t>& pcm) = 0;
};

// Where decoded sound goes. Write and Drain run on the decoding thread;
// Pause, Abort and PlayedFrames on the caller's.
class PcmSink {
public:
    virtual ~PcmSink() = default;
    // Blocks while the output is full; false once aborted.
    virtual bool Write(std::span<const int16_t> samples) = 0;
    // Waits until everything written has been played; false once aborted.
    virtual bool Drain() = 0;
    virtual void Pause(bool paused) = 0;
    virtual void Abort() = 0;
    // Sample frames played so far.
    virtual uint64_t PlayedFrames() = 0;
};

// Device codes of "SetOutputDevice".
inline constexpr int kWaveMapper = 0;
inline constexpr int kPcmFile = 2;

// What the player needs from the platform.
class PlayerBackend {
public:
    virtual ~PlayerBackend() = default;
    virtual std::unique_ptr<FrameDecoder> MakeDecoder(const FrameHeader& first) = 0;
    // Throws Mp3Error(Output) when the device or file cannot be opened.
    virtual std::unique_ptr<PcmSink> MakeSink(int device, const std::string& file, PcmFormat format) = 0;
    virtual void SetCurrentThreadPriority(int priority) = 0;
};

// Raw PCM into a file, as fast as it is decoded. Throws Mp3Error(Output).
std::unique_ptr<PcmSink> MakePcmFileSink(const std::string& path, PcmFormat format);

}  // namespace qb::mp3
