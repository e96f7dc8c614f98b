#include "mpegdll/Mp3Error.h"
#include "mpegdll/WinParts.h"
#include "platform/Handle.h"

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <mutex>
#include <vector>

namespace qb::mp3 {
namespace {

class WaveOutSink final : public PcmSink {
public:
    WaveOutSink(PcmFormat format, WaveQueue queue)
        : blockAlign_(static_cast<size_t>(format.channels) * 2),
          buffers_(static_cast<size_t>(std::max(queue.Buffers, 2))) {
        if (!event_) throw Mp3Error(ErrorCode::Output, "no event for the sound device");
        WAVEFORMATEX fmt{};
        fmt.wFormatTag = WAVE_FORMAT_PCM;
        fmt.nChannels = static_cast<WORD>(format.channels);
        fmt.nSamplesPerSec = static_cast<DWORD>(format.sampleRate);
        fmt.wBitsPerSample = 16;
        fmt.nBlockAlign = static_cast<WORD>(blockAlign_);
        fmt.nAvgBytesPerSec = fmt.nSamplesPerSec * fmt.nBlockAlign;
        if (waveOutOpen(&out_, WAVE_MAPPER, &fmt, reinterpret_cast<DWORD_PTR>(event_.Get()), 0, CALLBACK_EVENT) !=
            MMSYSERR_NOERROR)
            throw Mp3Error(ErrorCode::Output, "cannot open the sound device");
        const size_t bytes =
            std::max<size_t>(1, static_cast<size_t>(format.sampleRate) * std::max(queue.BufferMs, 1) / 1000) * blockAlign_;
        for (auto& b : buffers_) {
            b.data.resize(bytes);
            b.header.lpData = reinterpret_cast<LPSTR>(b.data.data());
            b.header.dwBufferLength = static_cast<DWORD>(bytes);
            waveOutPrepareHeader(out_, &b.header, sizeof b.header);
        }
    }

    ~WaveOutSink() override { Release(); }

    bool Write(std::span<const int16_t> samples) override {
        auto bytes = std::as_bytes(samples);
        while (!bytes.empty()) {
            Buffer& b = buffers_[next_];
            if (!WaitFree(b)) return false;
            const size_t n = std::min(bytes.size(), b.data.size() - fill_);
            std::memcpy(b.data.data() + fill_, bytes.data(), n);
            fill_ += n;
            bytes = bytes.subspan(n);
            if (fill_ == b.data.size()) Submit();
        }
        return !aborted_;
    }

    bool Drain() override {
        if (fill_ > 0) {
            if (!WaitFree(buffers_[next_])) return false;
            Submit();
        }
        for (auto& b : buffers_)
            if (!WaitFree(b)) return false;
        // Everything is heard: a finished sound does not hold the device
        // until the next one replaces it.
        Release();
        return !aborted_;
    }

    void Pause(bool paused) override {
        std::lock_guard lock(deviceMutex_);
        if (!out_) return;
        if (paused)
            waveOutPause(out_);
        else
            waveOutRestart(out_);
    }

    void Abort() override {
        aborted_ = true;
        SetEvent(event_.Get());
    }

    uint64_t PlayedFrames() override {
        std::lock_guard lock(deviceMutex_);
        return PlayedFramesLocked();
    }

private:
    uint64_t PlayedFramesLocked() {
        if (!out_) return playedAtRelease_;
        MMTIME t{};
        t.wType = TIME_BYTES;
        if (waveOutGetPosition(out_, &t, sizeof t) != MMSYSERR_NOERROR) return 0;
        if (t.wType == TIME_SAMPLES) return t.u.sample;
        return t.u.cb / blockAlign_;
    }

    void Release() {
        std::lock_guard lock(deviceMutex_);
        if (!out_) return;
        playedAtRelease_ = PlayedFramesLocked();
        waveOutReset(out_);
        for (auto& b : buffers_) waveOutUnprepareHeader(out_, &b.header, sizeof b.header);
        waveOutClose(out_);
        out_ = nullptr;
    }

    struct Buffer {
        std::vector<uint8_t> data;
        WAVEHDR header{};
        bool queued = false;
    };

    bool WaitFree(Buffer& b) {
        while (b.queued && !(b.header.dwFlags & WHDR_DONE)) {
            if (aborted_) return false;
            WaitForSingleObject(event_.Get(), 50);
        }
        b.queued = false;
        return !aborted_;
    }

    void Submit() {
        Buffer& b = buffers_[next_];
        b.header.dwBufferLength = static_cast<DWORD>(fill_);
        b.header.dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
        if (waveOutWrite(out_, &b.header, sizeof b.header) != MMSYSERR_NOERROR)
            throw Mp3Error(ErrorCode::Output, "the sound device refused a buffer");
        b.queued = true;
        fill_ = 0;
        next_ = (next_ + 1) % buffers_.size();
    }

    win::UniqueHandle event_{CreateEventA(nullptr, FALSE, FALSE, nullptr)};
    HWAVEOUT out_ = nullptr;
    size_t blockAlign_;
    std::vector<Buffer> buffers_;  // never resized: the device holds their headers
    int next_ = 0;
    size_t fill_ = 0;
    std::atomic<bool> aborted_{false};
    // The device is released by the decoding thread while the caller's
    // thread may ask for the position.
    std::mutex deviceMutex_;
    uint64_t playedAtRelease_ = 0;
};

}  // namespace

std::unique_ptr<PcmSink> MakeWaveOutSink(PcmFormat format, WaveQueue queue) {
    return std::make_unique<WaveOutSink>(format, queue);
}

}  // namespace qb::mp3
