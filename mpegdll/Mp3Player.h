#pragma once
#include "mpegdll/FrameHeader.h"
#include "mpegdll/Mp3Error.h"
#include "mpegdll/PlayerParts.h"
#include "mpegdll/ReplaySource.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace qb::mp3 {

// Player modes as "GetPlayerMode" reports them: above 2 while a stream is
// playing or paused.
enum class PlayerMode : int32_t { Closed = 0, Stopped = 1, Ended = 2, Playing = 3, Paused = 4 };

// The decoder library's player: one open stream, decoded on a thread of its
// own into a sink. Every call comes from one caller thread; failures throw
// Mp3Error with the code "LastError" reports. Positions are milliseconds.
class Mp3Player {
public:
    explicit Mp3Player(PlayerBackend& backend) : backend_(backend) {}
    ~Mp3Player() { Close(); }
    Mp3Player(const Mp3Player&) = delete;
    Mp3Player& operator=(const Mp3Player&) = delete;

    // Reads the stream's first frames; a stream without any is refused.
    void Open(std::unique_ptr<ByteSource> source);
    void Close();
    void SetPriority(int priority) { priority_ = priority; }
    void SetOutputDevice(int device, std::string file);
    // endMs 0 plays to the end. The byte becomes 1 when the end is reached.
    void Play(int32_t startMs, int32_t endMs, volatile uint8_t* ended);
    void Restart();
    void Stop();
    void Pause(bool pause);
    // Plays on from the position (or starts there next time).
    void Seek(int32_t posMs);
    void ResetMode();

    PlayerMode Mode() const { return mode_; }
    int32_t CurrentPosMs();
    int32_t LengthMs() const { return open_ ? lengthMs_ : 0; }
    int32_t Frequency() const { return open_ ? first_.sampleRate : 0; }
    int32_t Bitrate() const { return open_ ? first_.bitrateKbps : 0; }
    int32_t Layer() const { return open_ ? 3 : 0; }
    // What ended the last run early (decoder or output failure), or None.
    ErrorCode PlaybackError() const { return playbackError_; }

private:
    void RequireOpen() const;
    void Rewind();
    void Launch();
    void Halt();
    void Body();
    void Finish();

    PlayerBackend& backend_;
    std::unique_ptr<ReplaySource> source_;
    bool open_ = false;
    bool used_ = false;  // played since it was opened
    FrameHeader first_;
    int32_t lengthMs_ = 0;

    std::atomic<int> priority_{0};
    int device_ = kWaveMapper;
    std::string outFile_;
    int32_t startMs_ = 0, endMs_ = 0;
    volatile uint8_t* ended_ = nullptr;

    std::unique_ptr<FrameDecoder> decoder_;
    std::unique_ptr<PcmSink> sink_;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false, paused_ = false;
    std::atomic<PlayerMode> mode_{PlayerMode::Closed};
    std::atomic<uint64_t> skippedFrames_{0};
    int32_t lastPosMs_ = 0;
    std::atomic<ErrorCode> playbackError_{ErrorCode::None};
};

}  // namespace qb::mp3
