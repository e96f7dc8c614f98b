// MP3 frames to PCM through the system's audio codec manager, which on
// Windows and under wine carries an MPEG layer III codec.
#include "mpegdll/WinParts.h"
#include "mpegdll/Mp3Error.h"

#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>

#include <cstring>
#include <vector>

namespace qb::mp3 {
namespace {

class AcmDecoder final : public FrameDecoder {
public:
    explicit AcmDecoder(const FrameHeader& first) {
        MPEGLAYER3WAVEFORMAT src{};
        src.wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
        src.wfx.nChannels = static_cast<WORD>(first.channels);
        src.wfx.nSamplesPerSec = static_cast<DWORD>(first.sampleRate);
        src.wfx.nAvgBytesPerSec = static_cast<DWORD>(first.bitrateKbps * 1000 / 8);
        src.wfx.nBlockAlign = 1;
        src.wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
        src.wID = MPEGLAYER3_ID_MPEG;
        src.fdwFlags = MPEGLAYER3_FLAG_PADDING_OFF;
        src.nBlockSize = static_cast<WORD>(first.frameBytes);
        src.nFramesPerBlock = 1;
        src.nCodecDelay = 0;
        WAVEFORMATEX dst{};
        dst.wFormatTag = WAVE_FORMAT_PCM;
        dst.nChannels = src.wfx.nChannels;
        dst.nSamplesPerSec = src.wfx.nSamplesPerSec;
        dst.wBitsPerSample = 16;
        dst.nBlockAlign = static_cast<WORD>(dst.nChannels * 2);
        dst.nAvgBytesPerSec = dst.nSamplesPerSec * dst.nBlockAlign;
        if (acmStreamOpen(&stream_, nullptr, &src.wfx, &dst, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME) != 0)
            throw Mp3Error(ErrorCode::Decoder, "the system has no MP3 codec for this stream");
        bytesPerFrame_ = static_cast<size_t>(first.samplesPerFrame) * dst.nBlockAlign;
    }

    ~AcmDecoder() override { acmStreamClose(stream_, 0); }

    void Decode(std::span<const uint8_t> frames, std::vector<int16_t>& pcm) override {
        in_.assign(frames.begin(), frames.end());
        // Room for every frame given plus what the codec may hold back.
        const size_t frameCount = frames.size() / 24 + 8;
        out_.resize(frameCount * bytesPerFrame_);
        ACMSTREAMHEADER h{};
        h.cbStruct = sizeof h;
        h.pbSrc = in_.data();
        h.cbSrcLength = static_cast<DWORD>(in_.size());
        h.pbDst = out_.data();
        h.cbDstLength = static_cast<DWORD>(out_.size());
        if (acmStreamPrepareHeader(stream_, &h, 0) != 0) throw Mp3Error(ErrorCode::Decoder, "codec refused a buffer");
        const MMRESULT r = acmStreamConvert(stream_, &h, first_ ? ACM_STREAMCONVERTF_START : 0);
        first_ = false;
        const size_t used = h.cbDstLengthUsed;
        acmStreamUnprepareHeader(stream_, &h, 0);
        if (r != 0) throw Mp3Error(ErrorCode::Decoder, "the codec failed");
        const size_t start = pcm.size();
        pcm.resize(start + used / 2);
        if (used >= 2) std::memcpy(pcm.data() + start, out_.data(), used / 2 * 2);
    }

private:
    HACMSTREAM stream_ = nullptr;
    size_t bytesPerFrame_ = 0;
    bool first_ = true;
    std::vector<uint8_t> in_, out_;
};

}  // namespace

std::unique_ptr<FrameDecoder> MakeAcmDecoder(const FrameHeader& first) { return std::make_unique<AcmDecoder>(first); }

}  // namespace qb::mp3
