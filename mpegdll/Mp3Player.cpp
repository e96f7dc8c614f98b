#include "mpegdll/Mp3Player.h"
#include "mpegdll/FrameReader.h"

#include <algorithm>
#include <climits>
#include <vector>

namespace qb::mp3 {
namespace {

// Frames decoded per codec call: fewer calls, and still a fine grain for
// the end position and for stopping.
const int kFramesPerBatch = 8;
// Bytes of something else (ID3 tags aside) before the first frame, at most.
const uint64_t kFirstFrameSearch = 256 * 1024;

int64_t FramesToMs(uint64_t frames, int rate) { return rate ? static_cast<int64_t>(frames * 1000 / uint64_t(rate)) : 0; }

}  // namespace

void Mp3Player::RequireOpen() const {
    if (!open_) throw Mp3Error(ErrorCode::Mode, "no stream is open");
}

void Mp3Player::Open(std::unique_ptr<ByteSource> source) {
    Close();
    auto replay = std::make_unique<ReplaySource>(std::move(source));
    FrameReader reader(*replay, kFirstFrameSearch);
    auto first = reader.Next();
    if (!first) throw Mp3Error(ErrorCode::Input, "no MP3 frame in the stream");
    first_ = first->header;
    const uint64_t frameStart = reader.Offset() - first->bytes.size();
    int64_t length = 0;
    if (auto count = InfoFrameCount(*first); count && *count > 0) {
        length = FramesToMs(uint64_t(*count) * uint64_t(first_.samplesPerFrame), first_.sampleRate);
    } else if (auto size = replay->Size(); size && *size > frameStart) {
        // Without an information frame the stream is taken as constant bitrate.
        // FIXME: an ID3v1 tag at the end counts as sound here, and a VBR
        // stream without an information frame gets the first frame's rate.
        length = static_cast<int64_t>((*size - frameStart) * 8 / uint64_t(first_.bitrateKbps));
    }
    // A lying information frame must not make the length negative.
    lengthMs_ = static_cast<int32_t>(std::min<int64_t>(length, INT32_MAX));
    if (!replay->Replay()) throw Mp3Error(ErrorCode::NonSeekable, "the stream cannot go back to its start");
    source_ = std::move(replay);
    open_ = true;
    used_ = false;
    lastPosMs_ = 0;
    mode_ = PlayerMode::Stopped;
}

void Mp3Player::Close() {
    Halt();
    source_.reset();
    open_ = false;
    mode_ = PlayerMode::Closed;
}

void Mp3Player::SetOutputDevice(int device, std::string file) {
    if (device != kWaveMapper && device != kPcmFile) throw Mp3Error(ErrorCode::Output, "unknown output device");
    device_ = device;
    outFile_ = std::move(file);
}

void Mp3Player::Play(int32_t startMs, int32_t endMs, volatile uint8_t* ended) {
    RequireOpen();
    if (mode_ == PlayerMode::Playing || mode_ == PlayerMode::Paused) throw Mp3Error(ErrorCode::Mode, "already playing");
    startMs_ = startMs < 0 ? 0 : startMs;
    endMs_ = endMs < 0 ? 0 : endMs;
    ended_ = ended;
    Rewind();
    Launch();
}

void Mp3Player::Restart() {
    RequireOpen();
    Rewind();
    Launch();
}

void Mp3Player::Rewind() {
    Halt();
    // A stream not played yet is still at its start (the bytes read when it
    // was opened are replayed), even one that cannot go back.
    if (used_ && !source_->Rewind()) throw Mp3Error(ErrorCode::NonSeekable, "the stream cannot go back");
}

void Mp3Player::Launch() {
    Halt();
    const PcmFormat format{first_.sampleRate, first_.channels};
    decoder_ = backend_.MakeDecoder(first_);
    sink_ = backend_.MakeSink(device_, outFile_, format);
    stop_ = false;
    paused_ = false;
    skippedFrames_ = 0;
    playbackError_ = ErrorCode::None;
    if (ended_) *ended_ = 0;
    mode_ = PlayerMode::Playing;
    used_ = true;
    thread_ = std::thread([this] { Body(); });
}

void Mp3Player::Halt() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        paused_ = false;
    }
    wake_.notify_all();
    if (sink_) sink_->Abort();
    if (thread_.joinable()) thread_.join();
    if (sink_) lastPosMs_ = static_cast<int32_t>(FramesToMs(skippedFrames_ + sink_->PlayedFrames(), first_.sampleRate));
    sink_.reset();
    decoder_.reset();
}

void Mp3Player::Stop() {
    if (mode_ != PlayerMode::Playing && mode_ != PlayerMode::Paused) throw Mp3Error(ErrorCode::Mode, "not playing");
    Halt();
    mode_ = PlayerMode::Stopped;
}

void Mp3Player::Pause(bool pause) {
    std::unique_lock lock(mutex_);
    const PlayerMode want = pause ? PlayerMode::Playing : PlayerMode::Paused;
    if (mode_ != want) throw Mp3Error(ErrorCode::Mode, pause ? "not playing" : "not paused");
    paused_ = pause;
    mode_ = pause ? PlayerMode::Paused : PlayerMode::Playing;
    lock.unlock();
    sink_->Pause(pause);
    if (!pause) wake_.notify_all();
}

void Mp3Player::Seek(int32_t posMs) {
    RequireOpen();
    const bool running = mode_ == PlayerMode::Playing || mode_ == PlayerMode::Paused;
    startMs_ = posMs < 0 ? 0 : posMs;
    if (!running) return;
    Restart();
}

void Mp3Player::ResetMode() {
    if (mode_ == PlayerMode::Ended) mode_ = PlayerMode::Stopped;
}

int32_t Mp3Player::CurrentPosMs() {
    if (!open_) return 0;
    if (!sink_) return lastPosMs_;
    return static_cast<int32_t>(FramesToMs(skippedFrames_ + sink_->PlayedFrames(), first_.sampleRate));
}

void Mp3Player::Body() {
    try {
        int appliedPriority = 0;
        backend_.SetCurrentThreadPriority(appliedPriority = priority_);
        FrameReader reader(*source_);
        const uint64_t rate = uint64_t(first_.sampleRate);
        const uint64_t startFrames = uint64_t(startMs_) * rate / 1000;
        const uint64_t endFrames = endMs_ > 0 ? uint64_t(endMs_) * rate / 1000 : UINT64_MAX;
        uint64_t at = 0;  // sample frames before the next MP3 frame
        bool firstFrame = true, more = true;
        std::vector<uint8_t> batch;
        std::vector<int16_t> pcm;
        while (more) {
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this] { return stop_ || !paused_; });
                if (stop_) return;
            }
            if (priority_ != appliedPriority) backend_.SetCurrentThreadPriority(appliedPriority = priority_);
            batch.clear();
            for (int n = 0; n < kFramesPerBatch;) {
                auto frame = reader.Next();
                if (!frame || at >= endFrames) {
                    more = false;
                    break;
                }
                if (firstFrame && IsInfoFrame(*frame)) {
                    firstFrame = false;
                    continue;
                }
                firstFrame = false;
                at += uint64_t(frame->header.samplesPerFrame);
                if (at <= startFrames) {
                    skippedFrames_ = at;
                    continue;
                }
                batch.insert(batch.end(), frame->bytes.begin(), frame->bytes.end());
                ++n;
            }
            if (batch.empty()) continue;
            pcm.clear();
            decoder_->Decode(batch, pcm);
            if (!pcm.empty() && !sink_->Write(pcm)) return;
        }
        if (!sink_->Drain()) return;
    } catch (const Mp3Error& e) {
        playbackError_ = e.Code();
    } catch (...) {
        playbackError_ = ErrorCode::Decoder;
    }
    Finish();
}

void Mp3Player::Finish() {
    std::lock_guard lock(mutex_);
    if (stop_) return;
    mode_ = PlayerMode::Ended;
    if (ended_) *ended_ = 1;
}

}  // namespace qb::mp3
