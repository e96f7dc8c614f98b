#pragma once
// The Windows pieces behind the player: the system codec, the sound device,
// and the caller's stream callbacks.
#include "mpegdll/ByteSource.h"
#include "mpegdll/MpegApi.h"
#include "mpegdll/PlayerParts.h"

#include <memory>

namespace qb::mp3 {

std::unique_ptr<FrameDecoder> MakeAcmDecoder(const FrameHeader& first);
// How much sound waits queued at the device. The more, the safer from gaps
// on a busy machine; the less, the sooner a stop is heard and the closer
// the sound keeps to whatever it goes with.
struct WaveQueue {
    int Buffers = 6;
    int BufferMs = 100;
};
// Throws Mp3Error(Output) when the device cannot be opened.
std::unique_ptr<PcmSink> MakeWaveOutSink(PcmFormat format, WaveQueue queue = {});

struct StreamCallbacks {
    mpegapi::OpenStreamProc open;
    mpegapi::CloseStreamProc close;
    mpegapi::RestartStreamProc restart;
    mpegapi::ReadStreamProc read;
    mpegapi::SeekStreamProc seek;
    mpegapi::GetStreamSizeProc size;
    void* context;
};
// Opens the caller's stream through its callbacks. Throws Mp3Error(Input)
// when a callback is missing.
std::unique_ptr<ByteSource> OpenCallbackSource(const StreamCallbacks& callbacks);

// Codec, sound device or file, and thread priorities of the system.
PlayerBackend& SystemBackend();

}  // namespace qb::mp3
