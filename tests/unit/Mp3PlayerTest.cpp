// The decoder library's player logic against a stand-in codec (silence of
// the right length per frame) and sinks that the test controls.
#include "mpegdll/Mp3Player.h"
#include "tests/support/MemorySource.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <functional>
#include <thread>

namespace qb::mp3 {
namespace {

std::vector<uint8_t> Fixture(const std::string& name) { return test::ReadBytes(std::string(QB_SOUND_FIXTURES) + "/" + name); }

bool WaitFor(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Silence, one frame's worth per frame; fails on the frame the test names.
class SilentDecoder final : public FrameDecoder {
public:
    SilentDecoder(int channels, int failAt, std::atomic<int>& decoded)
        : channels_(channels), failAt_(failAt), decoded_(decoded) {}
    void Decode(std::span<const uint8_t> frames, std::vector<int16_t>& pcm) override {
        while (frames.size() >= 4) {
            auto h = ParseFrameHeader(frames);
            if (!h) throw Mp3Error(ErrorCode::Decoder, "not a frame");
            if (++decoded_ == failAt_) throw Mp3Error(ErrorCode::Decoder, "broken frame");
            pcm.insert(pcm.end(), size_t(h->samplesPerFrame * channels_), int16_t{7});
            frames = frames.subspan(std::min(frames.size(), size_t(h->frameBytes)));
        }
    }

private:
    int channels_, failAt_;
    std::atomic<int>& decoded_;
};

// Takes everything at once, or holds every write until the test opens the gate.
class GatedSink final : public PcmSink {
public:
    GatedSink(int channels, bool gated, std::atomic<uint64_t>& frames) : channels_(channels), open_(!gated), frames_(frames) {}
    bool Write(std::span<const int16_t> samples) override {
        std::unique_lock lock(m_);
        ++writes_;
        cv_.notify_all();
        cv_.wait(lock, [&] { return open_ || aborted_; });
        if (aborted_) return false;
        frames_ += samples.size() / size_t(channels_);
        return true;
    }
    bool Drain() override { return !aborted_; }
    void Pause(bool) override {}
    void Abort() override {
        std::lock_guard lock(m_);
        aborted_ = true;
        cv_.notify_all();
    }
    uint64_t PlayedFrames() override { return frames_; }

    std::mutex m_;
    std::condition_variable cv_;
    int writes_ = 0;

private:
    int channels_;
    bool open_;
    bool aborted_ = false;
    std::atomic<uint64_t>& frames_;
};

struct FakeBackend : PlayerBackend {
    std::unique_ptr<FrameDecoder> MakeDecoder(const FrameHeader& first) override {
        decoded = 0;
        return std::make_unique<SilentDecoder>(first.channels, failAt, decoded);
    }
    std::unique_ptr<PcmSink> MakeSink(int device, const std::string& file, PcmFormat format) override {
        if (device == kPcmFile) return MakePcmFileSink(file, format);
        frames = 0;
        auto s = std::make_unique<GatedSink>(format.channels, gated, frames);
        sink = s.get();
        return s;
    }
    void SetCurrentThreadPriority(int p) override { priority = p; }

    int failAt = -1;
    bool gated = false;
    std::atomic<int> decoded{0};
    std::atomic<uint64_t> frames{0};
    std::atomic<int> priority{99};
    GatedSink* sink = nullptr;
};

ErrorCode CodeOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const Mp3Error& e) {
        return e.Code();
    }
    return ErrorCode::None;
}

std::unique_ptr<ByteSource> Source(const char* name, bool seekable = true) {
    return std::make_unique<test::MemorySource>(Fixture(name), seekable);
}

// Endless bytes that are no MP3, counting what was read.
struct EndlessSource final : ByteSource {
    size_t Read(std::span<uint8_t> buffer) override {
        std::fill(buffer.begin(), buffer.end(), uint8_t{'x'});
        read += buffer.size();
        return buffer.size();
    }
    bool Rewind() override { return false; }
    std::optional<uint64_t> Size() override { return std::nullopt; }
    size_t& read;
    explicit EndlessSource(size_t& r) : read(r) {}
};

TEST(Mp3Player, LooksOnlySoFarIntoWhatIsNoMp3) {
    FakeBackend backend;
    Mp3Player player(backend);
    size_t read = 0;
    EXPECT_EQ(CodeOf([&] { player.Open(std::make_unique<EndlessSource>(read)); }), ErrorCode::Input);
    EXPECT_LT(read, 1u << 20);

    // A tag too big to keep for replaying: fine when the stream can go back.
    std::vector<uint8_t> tagged(10 + (6u << 20), 0);
    const uint8_t header[] = {'I', 'D', '3', 3, 0, 0, 0x03, 0x00, 0x00, 0x00};  // a 6 MB tag
    std::copy(std::begin(header), std::end(header), tagged.begin());
    const auto mp3 = Fixture("mpeg2-mono-vbr.mp3");
    tagged.insert(tagged.end(), mp3.begin(), mp3.end());
    EXPECT_EQ(CodeOf([&] { player.Open(std::make_unique<test::MemorySource>(tagged, false)); }),
              ErrorCode::NonSeekable);
    player.Open(std::make_unique<test::MemorySource>(tagged, true));
    uint8_t ended = 0;
    player.Play(0, 0, &ended);
    ASSERT_TRUE(WaitFor([&] { return player.Mode() == PlayerMode::Ended; }));
    EXPECT_EQ(backend.decoded, 22);  // every frame but the information frame
}

TEST(Mp3Player, LengthFromTheInformationFrameOrTheBitrate) {
    FakeBackend backend;
    Mp3Player player(backend);
    player.Open(Source("mpeg2-mono-vbr.mp3"));
    EXPECT_NEAR(player.LengthMs(), 575, 27);
    EXPECT_EQ(player.Frequency(), 22050);
    player.Open(Source("mpeg1-stereo-cbr.mp3"));
    EXPECT_NEAR(player.LengthMs(), 548, 27);
    EXPECT_EQ(player.Bitrate(), 112);
    player.Open(Source("mpeg1-stereo-cbr.mp3", false));
    EXPECT_EQ(player.LengthMs(), 0);  // no size, no information frame

    // An information frame claiming 2^32 - 1 frames.
    auto lying = Fixture("mpeg2-mono-vbr.mp3");
    std::fill(lying.begin() + 21, lying.begin() + 25, uint8_t{0xFF});
    player.Open(std::make_unique<test::MemorySource>(lying));
    EXPECT_EQ(player.LengthMs(), INT32_MAX);
}

TEST(Mp3Player, RefusesStreamsWithoutSoundAndCallsOutOfTurn) {
    FakeBackend backend;
    Mp3Player player(backend);
    EXPECT_EQ(CodeOf([&] { player.Open(std::make_unique<test::MemorySource>(std::vector<uint8_t>{})); }), ErrorCode::Input);
    EXPECT_EQ(CodeOf([&] { player.Open(std::make_unique<test::MemorySource>(std::vector<uint8_t>(999, 'x'))); }),
              ErrorCode::Input);
    EXPECT_EQ(player.Mode(), PlayerMode::Closed);
    uint8_t ended = 0;
    for (auto call : std::vector<std::function<void()>>{
             [&] { player.Play(0, 0, &ended); }, [&] { player.Restart(); }, [&] { player.Stop(); },
             [&] { player.Pause(true); }, [&] { player.Pause(false); }})
        EXPECT_EQ(CodeOf(call), ErrorCode::Mode);
    player.Open(Source("mpeg2-mono-vbr.mp3"));
    EXPECT_EQ(CodeOf([&] { player.Stop(); }), ErrorCode::Mode);
    EXPECT_EQ(CodeOf([&] { player.SetOutputDevice(1, ""); }), ErrorCode::Output);
    EXPECT_EQ(CodeOf([&] { player.SetOutputDevice(kPcmFile, ""); player.Play(0, 0, &ended); }), ErrorCode::Output);
    EXPECT_EQ(player.Mode(), PlayerMode::Stopped);
}

TEST(Mp3Player, PlaysToTheEndIntoAPcmFileAndAgainOnRestart) {
    FakeBackend backend;
    test::TempDir dir;
    Mp3Player player(backend);
    player.Open(Source("mpeg1-stereo-cbr.mp3"));
    player.SetOutputDevice(kPcmFile, dir.File("out.pcm"));
    player.SetPriority(2);
    volatile uint8_t ended = 0;
    player.Play(0, 0, const_cast<uint8_t*>(&ended));
    ASSERT_TRUE(WaitFor([&] { return ended != 0; }));
    EXPECT_EQ(player.Mode(), PlayerMode::Ended);
    EXPECT_EQ(backend.priority, 2);
    const int frames = backend.decoded;
    EXPECT_EQ(test::ReadBytes(dir.File("out.pcm")).size(), size_t(frames) * 1152 * 2 * 2);
    EXPECT_NEAR(player.CurrentPosMs(), player.LengthMs(), 27);
    EXPECT_EQ(CodeOf([&] { player.Stop(); }), ErrorCode::Mode);
    EXPECT_EQ(CodeOf([&] { player.Pause(true); }), ErrorCode::Mode);

    player.Restart();
    ASSERT_TRUE(WaitFor([&] { return ended != 0; }));
    EXPECT_EQ(backend.decoded, frames);
    EXPECT_EQ(test::ReadBytes(dir.File("out.pcm")).size(), size_t(frames) * 1152 * 2 * 2);
}

TEST(Mp3Player, PlaysFromTheStartToTheEndPosition) {
    FakeBackend backend;
    Mp3Player player(backend);
    player.Open(Source("mpeg2-mono-vbr.mp3"));  // 576 samples (26 ms) per frame
    uint8_t ended = 0;
    player.Play(130, 390, &ended);
    ASSERT_TRUE(WaitFor([&] { return player.Mode() == PlayerMode::Ended; }));
    // From the frame that holds 130 ms (the 5th, 104-131 ms) to the one that
    // holds 390 ms (the 15th, 366-392 ms).
    EXPECT_EQ(backend.decoded, 11);
    EXPECT_NEAR(player.CurrentPosMs(), 391, 27);
}

TEST(Mp3Player, StreamThatCannotGoBackPlaysOnceFromItsStart) {
    FakeBackend backend;
    Mp3Player player(backend);
    player.Open(Source("mpeg2-mono-id3.mp3", false));
    uint8_t ended = 0;
    player.Play(0, 0, &ended);
    ASSERT_TRUE(WaitFor([&] { return player.Mode() == PlayerMode::Ended; }));
    FakeBackend seekable;
    Mp3Player reference(seekable);
    reference.Open(Source("mpeg2-mono-id3.mp3"));
    reference.Play(0, 0, &ended);
    ASSERT_TRUE(WaitFor([&] { return reference.Mode() == PlayerMode::Ended; }));
    EXPECT_EQ(backend.decoded, seekable.decoded);
    EXPECT_EQ(CodeOf([&] { player.Restart(); }), ErrorCode::NonSeekable);
}

TEST(Mp3Player, PauseResumeAndStopWhilePlaying) {
    FakeBackend backend;
    backend.gated = true;
    Mp3Player player(backend);
    player.Open(Source("mpeg1-stereo-cbr.mp3"));
    uint8_t ended = 0;
    player.Play(0, 0, &ended);
    EXPECT_EQ(CodeOf([&] { player.Play(0, 0, &ended); }), ErrorCode::Mode);
    {
        std::unique_lock lock(backend.sink->m_);
        ASSERT_TRUE(backend.sink->cv_.wait_for(lock, std::chrono::seconds(30), [&] { return backend.sink->writes_ > 0; }));
    }
    player.Pause(true);
    EXPECT_EQ(player.Mode(), PlayerMode::Paused);
    EXPECT_EQ(CodeOf([&] { player.Pause(true); }), ErrorCode::Mode);
    player.Pause(false);
    EXPECT_EQ(player.Mode(), PlayerMode::Playing);
    EXPECT_EQ(CodeOf([&] { player.Pause(false); }), ErrorCode::Mode);
    player.Stop();
    EXPECT_EQ(player.Mode(), PlayerMode::Stopped);
    EXPECT_EQ(ended, 0);
    // Stopped while paused, and closed while playing: no hang either.
    player.Play(0, 0, &ended);
    player.Pause(true);
    player.Stop();
    player.Play(0, 0, &ended);
    player.Close();
    EXPECT_EQ(player.Mode(), PlayerMode::Closed);
    EXPECT_EQ(ended, 0);
}

TEST(Mp3Player, DecoderFailureEndsTheStream) {
    FakeBackend backend;
    backend.failAt = 3;
    Mp3Player player(backend);
    player.Open(Source("mpeg1-stereo-cbr.mp3"));
    uint8_t ended = 0;
    player.Play(0, 0, &ended);
    ASSERT_TRUE(WaitFor([&] { return player.Mode() == PlayerMode::Ended; }));
    EXPECT_EQ(ended, 1);
    EXPECT_EQ(player.PlaybackError(), ErrorCode::Decoder);
}

}  // namespace
}  // namespace qb::mp3
