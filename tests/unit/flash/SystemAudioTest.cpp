// The movies' sound on Windows: MP3 inside movies through the system codec,
// and the wave output opening and closing around the mix.
#include "flash/sound/Mixer.h"
#include "mpegdll/FrameHeader.h"
#include "player/SystemAudio.h"
#include "platform/File.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace qb::test {
namespace {

std::vector<uint8_t> Fixture(const std::string& name) {
    auto bytes = ReadWholeFile(std::string(QB_SOUND_FIXTURES) + "/" + name);
    if (!bytes) throw std::runtime_error("missing fixture " + name);
    return *bytes;
}

// Frames and samples a frame, counted by walking the headers.
std::pair<size_t, int> CountFrames(const std::vector<uint8_t>& mp3) {
    size_t frames = 0, pos = 0;
    int samples = 0;
    while (pos + 4 <= mp3.size()) {
        auto h = mp3::ParseFrameHeader(std::span(mp3).subspan(pos));
        if (!h || h->frameBytes <= 4) {
            ++pos;
            continue;
        }
        ++frames;
        samples = h->samplesPerFrame;
        pos += static_cast<size_t>(h->frameBytes);
    }
    return {frames, samples};
}

size_t DecodedFrames(sound::SampleSource& s) {
    std::vector<int16_t> piece(1000 * static_cast<size_t>(s.Channels()));
    size_t total = 0;
    while (size_t n = s.Read(piece)) total += n;
    return total;
}

TEST(SystemMp3, DecodesTheFramesOfAMovieSound) {
    struct Case {
        const char* file;
        int rate, channels;
    };
    for (const Case& c : {Case{"mpeg1-stereo-cbr.mp3", 44100, 2}, Case{"mpeg2-mono-vbr.mp3", 22050, 1}}) {
        SCOPED_TRACE(c.file);
        const auto mp3 = Fixture(c.file);
        const auto [frames, perFrame] = CountFrames(mp3);
        ASSERT_GT(frames, 4u);
        auto source = SystemMp3Codec()->Open(mp3);
        ASSERT_TRUE(source);
        EXPECT_EQ(source->Rate(), c.rate);
        EXPECT_EQ(source->Channels(), c.channels);
        // The codec may keep its last frame or two to itself.
        const size_t decoded = DecodedFrames(*source);
        EXPECT_LE(decoded, frames * static_cast<size_t>(perFrame));
        EXPECT_GE(decoded, (frames - 2) * static_cast<size_t>(perFrame));
    }
}

TEST(SystemMp3, BlocksAppendedLaterDecodeAsOneStream) {
    const auto mp3 = Fixture("mpeg1-stereo-cbr.mp3");
    const auto [frames, perFrame] = CountFrames(mp3);
    // Cut between frames into three pieces, as a stream's blocks are.
    std::vector<size_t> cuts{0};
    for (size_t pos = 0, n = 0; pos + 4 <= mp3.size() && cuts.size() < 3; ++n) {
        auto h = mp3::ParseFrameHeader(std::span(mp3).subspan(pos));
        if (!h) break;
        pos += static_cast<size_t>(h->frameBytes);
        if (n % (frames / 3) == frames / 3 - 1) cuts.push_back(pos);
    }
    cuts.push_back(mp3.size());
    ASSERT_EQ(cuts.size(), 4u);
    const std::span<const uint8_t> all(mp3);
    auto feed = SystemMp3Codec()->Open(all.subspan(0, cuts[1]));
    ASSERT_TRUE(feed);
    size_t decoded = DecodedFrames(*feed);
    feed->Append(all.subspan(cuts[1], cuts[2] - cuts[1]));
    feed->Append(all.subspan(cuts[2]));
    EXPECT_EQ(feed->Pending(), 2u);
    decoded += DecodedFrames(*feed);
    EXPECT_LE(decoded, frames * static_cast<size_t>(perFrame));
    EXPECT_GE(decoded, (frames - 2) * static_cast<size_t>(perFrame));
}

TEST(SystemMp3, DamagedDataIsSilenceNotACrash) {
    auto mp3 = Fixture("mpeg1-stereo-cbr.mp3");
    EXPECT_EQ(SystemMp3Codec()->Open(std::vector<uint8_t>(3000, 0x55)), nullptr);
    // Cut in the middle of a frame, and garbage over the middle.
    mp3.resize(mp3.size() / 2 + 77);
    std::fill(mp3.begin() + static_cast<ptrdiff_t>(mp3.size() / 3), mp3.begin() + static_cast<ptrdiff_t>(mp3.size() / 3 + 500),
              0xFF);
    auto source = SystemMp3Codec()->Open(mp3);
    ASSERT_TRUE(source);
    DecodedFrames(*source);
}

TEST(SystemMp3, PlaysThroughTheMixerAsAnEventSound) {
    const auto mp3 = Fixture("mpeg1-stereo-cbr.mp3");
    // DefineSound's body: MP3, 44 kHz, 16-bit, stereo; claimed frames; seek
    // samples; the frames.
    std::vector<uint8_t> body{0x2F, 0, 0, 0, 0, 0, 0};
    body.insert(body.end(), mp3.begin(), mp3.end());
    auto def = std::make_shared<sound::SoundDef>(*sound::ReadDefineSound(body));
    sound::Mixer mixer(SystemMp3Codec());
    mixer.StartSound(1, 1, def, {});
    ASSERT_TRUE(mixer.Sounding());
    std::vector<int16_t> mix(2 * 44100);
    mixer.Mix(mix);
    EXPECT_TRUE(std::any_of(mix.begin(), mix.end(), [](int16_t s) { return s > 2000 || s < -2000; }));
}

TEST(WaveOutput, OpensAndClosesAroundTheMix) {
    sound::Mixer mixer;
    // Without a sound device there is no output, and the movie plays silent.
    for (int i = 0; i < 3; ++i) {
        auto output = OpenWaveOutput(mixer);
        if (!output) GTEST_SKIP() << "no sound device";
    }
}

}  // namespace
}  // namespace qb::test
