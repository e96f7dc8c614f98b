// Frame headers, and cutting real (lame-made) files into frames.
#include "mpegdll/FrameReader.h"
#include "tests/support/MemorySource.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace qb::mp3 {
namespace {

std::vector<uint8_t> Fixture(const std::string& name) { return test::ReadBytes(std::string(QB_SOUND_FIXTURES) + "/" + name); }

struct Walk {
    int frames = 0;
    uint64_t samples = 0;
    uint64_t firstOffset = 0;
    std::optional<uint32_t> infoCount;
    std::optional<FrameHeader> first;
};

Walk WalkFrames(std::vector<uint8_t> bytes, size_t chunk = SIZE_MAX) {
    test::MemorySource src(std::move(bytes), true, chunk);
    FrameReader reader(src);
    Walk w;
    while (auto f = reader.Next()) {
        if (w.frames == 0) {
            w.first = f->header;
            w.firstOffset = reader.Offset() - f->bytes.size();
            w.infoCount = InfoFrameCount(*f);
        }
        ++w.frames;
        w.samples += f->header.samplesPerFrame;
    }
    return w;
}

TEST(FrameHeader, ParsesLayerThreeHeadersOfEveryVersion) {
    struct Case {
        uint8_t b[4];
        int version, kbps, rate, channels, bytes, samples;
    } cases[] = {
        {{0xFF, 0xFB, 0x90, 0x64}, 1, 128, 44100, 2, 417, 1152},
        {{0xFF, 0xFB, 0x92, 0x64}, 1, 128, 44100, 2, 418, 1152},  // padded
        {{0xFF, 0xFA, 0xE4, 0xC0}, 1, 320, 48000, 1, 960, 1152},  // with CRC
        {{0xFF, 0xF3, 0x48, 0xC4}, 2, 32, 16000, 1, 144, 576},
        {{0xFF, 0xE3, 0x18, 0xC4}, 25, 8, 8000, 1, 72, 576},
    };
    for (const auto& c : cases) {
        auto h = ParseFrameHeader(c.b);
        ASSERT_TRUE(h) << c.bytes;
        EXPECT_EQ(h->version, c.version);
        EXPECT_EQ(h->bitrateKbps, c.kbps);
        EXPECT_EQ(h->sampleRate, c.rate);
        EXPECT_EQ(h->channels, c.channels);
        EXPECT_EQ(h->frameBytes, c.bytes);
        EXPECT_EQ(h->samplesPerFrame, c.samples);
    }
}

TEST(FrameHeader, RefusesWhatIsNotALayerThreeFrame) {
    const uint8_t cases[][4] = {
        {0xFF, 0xFD, 0x90, 0x64},  // layer II
        {0xFF, 0xEB, 0x90, 0x64},  // reserved version
        {0xFF, 0xFB, 0xF0, 0x64},  // bad bitrate
        {0xFF, 0xFB, 0x00, 0x64},  // free format
        {0xFF, 0xFB, 0x9C, 0x64},  // reserved sample rate
        {0xFF, 0x7B, 0x90, 0x64},  // no sync
        {0x49, 0x44, 0x33, 0x03},  // "ID3"
    };
    for (const auto& c : cases) EXPECT_FALSE(ParseFrameHeader(c)) << int(c[1]) << " " << int(c[2]);
    EXPECT_FALSE(ParseFrameHeader(std::span<const uint8_t>(cases[0], 3)));
}

TEST(FrameReader, ReadsRealFilesWhole) {
    struct Case {
        const char* file;
        int version, rate, channels;
        bool info, tag;
        int ms;  // frames times frame length, as ffprobe counts them
    } cases[] = {
        {"mpeg1-stereo-cbr.mp3", 1, 44100, 2, false, false, 548},
        {"mpeg2-mono-vbr.mp3", 2, 22050, 1, true, false, 575},
        {"mpeg2-mono-id3.mp3", 2, 22050, 1, false, true, 574},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        for (size_t chunk : {size_t(SIZE_MAX), size_t(7)}) {
            Walk w = WalkFrames(Fixture(c.file), chunk);
            ASSERT_TRUE(w.first);
            EXPECT_EQ(w.first->version, c.version);
            EXPECT_EQ(w.first->sampleRate, c.rate);
            EXPECT_EQ(w.first->channels, c.channels);
            EXPECT_EQ(w.infoCount.has_value(), c.info);
            if (c.tag) {
                EXPECT_GT(w.firstOffset, 300u);
            } else {
                EXPECT_EQ(w.firstOffset, 0u);
            }
            const uint64_t frameMs = 1000u * w.first->samplesPerFrame / c.rate;
            const int64_t ms = int64_t(w.samples * 1000 / c.rate) - (c.info ? frameMs : 0);
            EXPECT_NEAR(ms, c.ms, frameMs + 1);
            if (c.info) {
                EXPECT_EQ(*w.infoCount, uint32_t(w.frames - 1));
            }
        }
    }
}

TEST(FrameReader, FindsFramesBehindAndBetweenGarbage) {
    const auto clean = Fixture("mpeg1-stereo-cbr.mp3");
    const Walk whole = WalkFrames(clean);
    // In front: a false frame header that no second frame follows.
    std::vector<uint8_t> bytes = {'j', 'u', 'n', 'k', 0xFF, 0xFB, 0x90, 0x64, 1, 2, 3, 0xFF, 0};
    const size_t junk = bytes.size();
    bytes.insert(bytes.end(), clean.begin(), clean.end());
    // In the middle: 100 bytes after the third frame.
    const size_t third = junk + 3 * size_t(whole.first->frameBytes);
    bytes.insert(bytes.begin() + std::ptrdiff_t(third), 100, 0x55);
    const Walk w = WalkFrames(bytes);
    EXPECT_EQ(w.firstOffset, junk);
    EXPECT_EQ(w.frames, whole.frames);
}

TEST(FrameReader, DropsATruncatedLastFrameAndFindsNothingInNonMp3) {
    auto bytes = Fixture("mpeg2-mono-vbr.mp3");
    const Walk whole = WalkFrames(bytes);
    bytes.resize(bytes.size() - 10);
    EXPECT_EQ(WalkFrames(bytes).frames, whole.frames - 1);

    const std::vector<std::vector<uint8_t>> notMp3 = {
        {},
        std::vector<uint8_t>(5000, 0),
        std::vector<uint8_t>(5000, 0xFF),
        {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'},
        {'I', 'D', '3', 3, 0, 0, 0, 0, 0x7F, 0x7F},  // a tag claiming far more than there is
    };
    for (const auto& b : notMp3) EXPECT_EQ(WalkFrames(b).frames, 0) << b.size();
}

}  // namespace
}  // namespace qb::mp3
