// The movies' own sound apart from any movie: decoders, sound records and
// the mixer, fed with bytes written here.
#include "flash/sound/AdpcmSource.h"
#include "flash/sound/Mixer.h"
#include "flash/sound/SoundDef.h"
#include "tests/support/SwfWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

namespace qb::test {
namespace {

// "10 0111 ..." as bytes, most significant bit first, padded with zeros.
Bytes BitsToBytes(const std::string& bits) {
    Bytes out;
    int n = 0;
    for (char c : bits) {
        if (c != '0' && c != '1') continue;
        if (n % 8 == 0) out.push_back(0);
        if (c == '1') out.back() |= static_cast<uint8_t>(0x80 >> (n % 8));
        ++n;
    }
    return out;
}

std::vector<int16_t> DecodeAll(sound::SampleSource& source) {
    std::vector<int16_t> all, piece(7 * static_cast<size_t>(source.Channels()));  // odd pieces cross packets
    while (size_t n = source.Read(piece)) all.insert(all.end(), piece.begin(), piece.begin() + n * source.Channels());
    return all;
}

std::vector<int16_t> DecodeSound(uint8_t format, uint32_t count, const Bytes& data) {
    ByteWriter body;
    body.U8(format).U32(count).Append(data);
    auto def = sound::ReadDefineSound(body.Data());
    if (!def) return {};
    auto source = def->Open(nullptr);
    return source ? DecodeAll(*source) : std::vector<int16_t>{};
}

constexpr uint8_t kAdpcmMono = 0x12, kAdpcmStereo = 0x13;  // ADPCM, 5.5 kHz, "16-bit"

// Worked by hand from the format description: step table from index 0
// (7, ...), index moves by the code size's table, the difference a sum of
// shifted steps. 4-bit codes: 0111 +11 (index 8, step 16), 0111 +30
// (index 16, step 34), 1000 -4 (index 15, step 31), 0100 +34 (index 17,
// step 37), 1011 -31.
const std::string kFourBit = "10 0000000000000000 000000 0111 0111 1000 0100 1011";
// 2-bit codes from -100 at index 10 (step 19): 01 +28, 11 -34, 10 -14, 00 +12.
const std::string kTwoBit = "00 1111111110011100 001010 01 11 10 00";
// 3-bit stereo: left 1000 at index 0, right -32000 at index 63 (step 3024);
// left 011 +11, right 111 -5292, held at the lowest sample.
const std::string kThreeBitStereo = "01 0000001111101000 000000 1000001100000000 111111 011 111";

TEST(Adpcm, DecodesHandWorkedVectors) {
    struct Case {
        const char* name;
        uint8_t format;
        std::string bits;
        uint32_t count;
        std::vector<int16_t> want;
    };
    const Case cases[] = {
        {"4-bit mono", kAdpcmMono, kFourBit, 6, {0, 11, 41, 37, 71, 40}},
        {"2-bit mono", kAdpcmMono, kTwoBit, 5, {-100, -72, -106, -120, -108}},
        {"3-bit stereo", kAdpcmStereo, kThreeBitStereo, 2, {1000, -32000, 1011, -32768}},
        // The claimed count ends the sound before the bits do.
        {"count first", kAdpcmMono, kFourBit, 3, {0, 11, 41}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DecodeSound(c.format, c.count, BitsToBytes(c.bits)), c.want);
    }
}

TEST(Adpcm, ReadsEachPacketsOwnStartingSample) {
    // Two packets of 2-bit codes: 4095 codes "00" after the first header,
    // then a second header that sets the sample to 1234 outright.
    std::string bits = "00 0000000000000000 000000";
    for (int i = 0; i < sound::AdpcmSource::kPacketFrames - 1; ++i) bits += "00";
    bits += "0000010011010010 000000";  // 1234, index 0
    // The count stops the codes the last byte's padding would give.
    const auto samples = DecodeSound(kAdpcmMono, sound::AdpcmSource::kPacketFrames + 1, BitsToBytes(bits));
    ASSERT_EQ(samples.size(), static_cast<size_t>(sound::AdpcmSource::kPacketFrames + 1));
    EXPECT_EQ(samples.back(), 1234);
}

TEST(Pcm, DecodesEachLayoutAndNeverMoreThanTheBytes) {
    struct Case {
        const char* name;
        uint8_t format;
        uint32_t count;
        Bytes data;
        std::vector<int16_t> want;
    };
    const Case cases[] = {
        {"8-bit unsigned", 0x30, 3, {0x80, 0xFF, 0x00}, {0, 127 << 8, -32768}},
        {"native order is little-endian", 0x02, 2, {0x34, 0x12, 0xFF, 0xFF}, {0x1234, -1}},
        {"16-bit stereo", 0x3F, 1, {0x01, 0x00, 0xFE, 0xFF}, {1, -2}},
        {"count below the bytes", 0x30, 1, {0x90, 0x90}, {0x10 << 8}},
        {"count far beyond the bytes", 0x30, 0xFFFFFFFF, {0x81, 0x82}, {1 << 8, 2 << 8}},
        {"half a frame left over", 0x3F, 9, {1, 0, 2, 0, 3}, {1, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DecodeSound(c.format, c.count, c.data), c.want);
    }
}

TEST(SoundDef, RefusesOrSilencesWhatItCannotRead) {
    // Too short for the format and count: no sound at all.
    EXPECT_FALSE(sound::ReadDefineSound(Bytes{0x30, 1, 0}));
    // Formats without a decoder here: MP3 without the host's codec, the
    // speech codecs, unknown numbers.
    for (uint8_t format : {0x2E, 0x4E, 0x6E, 0xBE, 0xFF}) {
        ByteWriter body;
        body.U8(format).U32(100).Append(Bytes(200, 0x55));
        auto def = sound::ReadDefineSound(body.Data());
        ASSERT_TRUE(def);
        EXPECT_EQ(def->Open(nullptr), nullptr) << int(format);
    }
    // ADPCM cut inside its first header or a code: what was whole plays.
    EXPECT_TRUE(DecodeSound(kAdpcmMono, 50, Bytes{0x80, 0x00}).empty());
    const Bytes whole = BitsToBytes(kFourBit);
    EXPECT_EQ(DecodeSound(kAdpcmMono, 50, Bytes(whole.begin(), whole.begin() + 4)), (std::vector<int16_t>{0, 11, 41}));
}

// A sound definition kept alive for the mixer.
std::shared_ptr<const sound::SoundDef> Sound(uint8_t format, uint32_t count, const Bytes& data) {
    struct Owned {
        Bytes bytes;
        sound::SoundDef def;
    };
    auto owned = std::make_shared<Owned>();
    ByteWriter body;
    body.U8(format).U32(count).Append(data);
    owned->bytes = body.Take();
    owned->def = *sound::ReadDefineSound(owned->bytes);
    return std::shared_ptr<const sound::SoundDef>(owned, &owned->def);
}

// 8-bit mono 5.5 kHz: every sample plays for 8 frames of the mix.
std::shared_ptr<const sound::SoundDef> Flat(uint8_t level, uint32_t samples) {
    return Sound(0x30, samples, Bytes(samples, level));
}

// Mixes `frames` stereo frames in pieces of an odd size.
std::vector<int16_t> Pull(sound::Mixer& mixer, size_t frames) {
    std::vector<int16_t> all, piece(2 * 333);
    while (all.size() < 2 * frames) {
        mixer.Mix(piece);
        all.insert(all.end(), piece.begin(), piece.end());
    }
    all.resize(2 * frames);
    return all;
}

// Stereo frames from the start until the mix falls silent for good.
size_t Heard(const std::vector<int16_t>& mix) {
    for (size_t i = mix.size(); i >= 2; i -= 2)
        if (mix[i - 1] != 0 || mix[i - 2] != 0) return i / 2;
    return 0;
}

TEST(Mixer, PlaysEachStartAsItsInfoSays) {
    struct Case {
        const char* name;
        sound::SoundInfo info;
        size_t heard;  // frames at 44.1 kHz
    };
    sound::SoundInfo loops;
    loops.LoopCount = 3;
    sound::SoundInfo cut;
    cut.InPoint = 800, cut.OutPoint = 4000;
    sound::SoundInfo cutLoops = cut;
    cutLoops.LoopCount = 2;
    sound::SoundInfo pastTheEnd;
    pastTheEnd.InPoint = 100000, pastTheEnd.LoopCount = 65535;
    const Case cases[] = {
        {"once", {}, 16000},
        {"three times", loops, 48000},
        {"between in and out points", cut, 3200},
        {"in and out points each time", cutLoops, 6400},
        {"in point past the end", pastTheEnd, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sound::Mixer mixer;
        mixer.StartSound(1, 7, Flat(0xC0, 2000), c.info);
        const auto mix = Pull(mixer, 60000);
        EXPECT_EQ(Heard(mix), c.heard);
        EXPECT_TRUE(std::all_of(mix.begin(), mix.begin() + 2 * c.heard, [](int16_t s) { return s == 0x40 << 8; }));
        EXPECT_FALSE(mixer.Sounding());
    }
}

TEST(Mixer, ResamplesEveryRateToTheSameLength) {
    // 4400 frames of the mix at each rate, 16-bit stereo: left and right apart.
    for (int rate = 0; rate < 4; ++rate) {
        SCOPED_TRACE(rate);
        const uint32_t frames = 4400 >> (3 - rate);
        ByteWriter data;
        for (uint32_t i = 0; i < frames; ++i) data.U16(1000).U16(static_cast<uint16_t>(-3000));
        sound::Mixer mixer;
        mixer.StartSound(1, 1, Sound(static_cast<uint8_t>(0x33 | rate << 2), frames, data.Data()), {});
        const auto mix = Pull(mixer, 8000);
        EXPECT_EQ(Heard(mix), 4400u);
        EXPECT_EQ(mix[0], 1000);
        EXPECT_EQ(mix[1], -3000);
    }
}

TEST(Mixer, InterpolatesBetweenSamples) {
    // 0 then 8192, at 5.5 kHz: eight steps of 1024 between them.
    ByteWriter data;
    data.U16(0).U16(8192);
    sound::Mixer mixer;
    mixer.StartSound(1, 1, Sound(0x32, 2, data.Data()), {});
    const auto mix = Pull(mixer, 16);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(mix[2 * i], 1024 * i);
    for (int i = 8; i < 16; ++i) EXPECT_EQ(mix[2 * i], 8192);
}

TEST(Mixer, AddsVoicesAndClipsTheSum) {
    sound::Mixer mixer;
    mixer.StartSound(1, 1, Flat(0xF0, 100), {});  // 0x70 << 8 = 28672 each
    mixer.StartSound(1, 2, Flat(0xF0, 100), {});
    mixer.StartSound(1, 3, Flat(0x10, 200), {});  // -28672
    mixer.StartSound(1, 4, Flat(0x10, 200), {});
    mixer.StartSound(1, 5, Flat(0x10, 200), {});
    const auto mix = Pull(mixer, 2000);
    EXPECT_EQ(mix[0], -28672);        // two up, three down
    EXPECT_EQ(mix[2 * 900], -32768);  // three down alone: clipped
    EXPECT_EQ(Heard(mix), 1600u);
}

TEST(Mixer, StopsAndRefusesRepeatsAsAsked) {
    sound::Mixer mixer;
    sound::SoundInfo once;
    once.NoMultiple = true;
    sound::SoundInfo stop;
    stop.SyncStop = true;
    mixer.StartSound(1, 1, Flat(0xC0, 100), {});
    mixer.StartSound(1, 1, Flat(0xC0, 100), once);  // already playing: not again
    EXPECT_EQ(mixer.Voices(), 1u);
    mixer.StartSound(1, 1, Flat(0xC0, 100), {});  // without the flag it may
    mixer.StartSound(1, 2, Flat(0xC0, 100), {});
    mixer.StartSound(2, 1, Flat(0xC0, 100), {});  // another movie's sound 1
    EXPECT_EQ(mixer.Voices(), 4u);
    mixer.StartSound(1, 1, nullptr, stop);  // stops this movie's sound 1, both starts
    EXPECT_EQ(mixer.Voices(), 2u);
    mixer.StopAllBut(2);
    EXPECT_EQ(mixer.Voices(), 1u);
    mixer.StopOwner(2);
    EXPECT_FALSE(mixer.Sounding());
    EXPECT_EQ(Heard(Pull(mixer, 100)), 0u);
}

TEST(Mixer, FollowsTheEnvelope) {
    sound::SoundInfo info;
    // Silent on the left; the right falls from full to nothing over 800 frames.
    info.Envelope = {{0, 0, 32768}, {800, 0, 0}};
    sound::Mixer mixer;
    mixer.StartSound(1, 1, Flat(0xC0, 200), info);
    const auto mix = Pull(mixer, 1600);
    EXPECT_EQ(mix[0], 0);
    EXPECT_EQ(mix[1], 16384);
    EXPECT_EQ(mix[2 * 400 + 1], 8192);
    EXPECT_EQ(mix[2 * 1000 + 1], 0);
}

TEST(Mixer, KeepsItsVoicesBounded) {
    sound::Mixer mixer;
    for (int i = 0; i < 1000; ++i) mixer.StartSound(1, static_cast<uint16_t>(i), Flat(0x81, 10), {});
    EXPECT_EQ(mixer.Voices(), sound::Mixer::kMaxVoices);
}

TEST(Mixer, PlaysAStreamBlockAfterBlockAndWaitsForLateOnes) {
    auto block = [](uint8_t high) {
        Bytes b(200);  // 100 frames of 16-bit mono at 5.5 kHz: 800 of the mix
        for (size_t i = 0; i < b.size(); i += 2) b[i + 1] = high;
        return b;
    };
    const Bytes first = block(0x10), second = block(0x20), late = block(0x30), later = block(0x40);
    const sound::StreamHead head = *sound::ReadStreamHead(Bytes{0x02, 0x32, 100, 0});
    sound::Mixer mixer;
    mixer.StreamBlock(1, 9, head, first, nullptr);
    EXPECT_EQ(Heard(Pull(mixer, 1000)), 0u);  // one block alone waits for the next
    mixer.StreamBlock(1, 9, head, second, nullptr);
    auto mix = Pull(mixer, 2000);
    EXPECT_EQ(Heard(mix), 1600u);
    EXPECT_EQ(mix[2 * 100], 0x1000);
    EXPECT_EQ(mix[2 * 900], 0x2000);
    // Blocks after a gap go on in the same voice.
    mixer.StreamBlock(1, 9, head, late, nullptr);
    mixer.StreamBlock(1, 9, head, later, nullptr);
    EXPECT_EQ(mixer.Voices(), 1u);
    mix = Pull(mixer, 2000);
    EXPECT_EQ(mix[2 * 100], 0x3000);
    EXPECT_EQ(mix[2 * 900], 0x4000);
    // A stream that stays dry ends.
    Pull(mixer, sound::Voice::kMaxDryFrames + 2000);
    EXPECT_FALSE(mixer.Sounding());
}

// A stand-in for the host's MP3 codec: each byte of "frames" is one mono
// 11 kHz sample of that byte times 256. It counts the decoders it made.
struct FakeMp3 : sound::Mp3Codec {
    struct Feed : sound::Mp3Feed {
        std::deque<std::span<const uint8_t>> pieces;
        double Rate() const override { return 11025; }
        int Channels() const override { return 1; }
        void Append(std::span<const uint8_t> frames) override { pieces.push_back(frames); }
        size_t Pending() const override { return pieces.size(); }
        size_t Read(std::span<int16_t> out) override {
            while (!pieces.empty() && pieces.front().empty()) pieces.pop_front();
            if (pieces.empty()) return 0;
            const size_t n = std::min(out.size(), pieces.front().size());
            for (size_t i = 0; i < n; ++i) out[i] = static_cast<int16_t>(pieces.front()[i] << 8);
            pieces.front() = pieces.front().subspan(n);
            return n;
        }
    };
    mutable int Opened = 0;
    std::unique_ptr<sound::Mp3Feed> Open(std::span<const uint8_t> frames) const override {
        ++Opened;
        auto feed = std::make_unique<Feed>();
        feed->Append(frames);
        return feed;
    }
};

constexpr uint8_t kMp3Mono11k = 0x26;

TEST(Mp3, EventSoundsSkipTheirSeekCountAndNeedTheHostsCodec) {
    Bytes data{0x40, 0x02};  // seek samples: not sound
    data.insert(data.end(), 100, 0x10);
    auto codec = std::make_shared<FakeMp3>();
    sound::Mixer withCodec(codec), without;
    withCodec.StartSound(1, 1, Sound(kMp3Mono11k, 100, data), {});
    without.StartSound(1, 1, Sound(kMp3Mono11k, 100, data), {});
    const auto mix = Pull(withCodec, 1000);
    EXPECT_EQ(Heard(mix), 400u);
    EXPECT_TRUE(std::all_of(mix.begin(), mix.begin() + 800, [](int16_t v) { return v == 0x1000; }));
    EXPECT_FALSE(without.Sounding());
}

TEST(Mp3, StreamBlocksGoThroughOneDecoder) {
    auto codec = std::make_shared<FakeMp3>();
    const sound::StreamHead head = *sound::ReadStreamHead(Bytes{0x02, kMp3Mono11k, 50, 0});
    std::vector<Bytes> blocks;
    for (uint8_t level : {0x10, 0x20, 0x30}) {
        Bytes b{50, 0, 0, 0};  // samples in the block, seek samples
        b.insert(b.end(), 50, level);
        blocks.push_back(b);
    }
    sound::Mixer mixer(codec);
    for (const Bytes& b : blocks) mixer.StreamBlock(1, 3, head, b, nullptr);
    const auto mix = Pull(mixer, 1000);
    EXPECT_EQ(codec->Opened, 1);
    EXPECT_EQ(Heard(mix), 600u);
    EXPECT_EQ(mix[2 * 100], 0x1000);
    EXPECT_EQ(mix[2 * 500], 0x3000);
    // With a codec at hand, streams of other codecs play as before.
    const sound::StreamHead pcm = *sound::ReadStreamHead(Bytes{0x02, 0x30, 50, 0});
    mixer.StreamBlock(1, 4, pcm, blocks[1], nullptr);
    mixer.StreamBlock(1, 4, pcm, blocks[2], nullptr);
    EXPECT_EQ(Heard(Pull(mixer, 1000)), 2 * 50 * 8u);  // 50 samples a block, as its head says
    EXPECT_EQ(codec->Opened, 1);
}

}  // namespace
}  // namespace qb::test
