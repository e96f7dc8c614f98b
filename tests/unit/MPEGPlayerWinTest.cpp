// The sound component over the real QbMpegDll.dll and the system's MP3
// codec, decoding the lame-made fixtures into PCM files.
#include "player/MPEGPlayer.h"
#include "tests/support/TempDir.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <functional>

namespace qb {
namespace {

std::string Fixture(const std::string& name) { return std::string(QB_SOUND_FIXTURES) + "/" + name; }

bool PumpUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    return true;
}

std::vector<int16_t> Samples(const std::string& path) {
    auto bytes = test::ReadBytes(path);
    std::vector<int16_t> s(bytes.size() / 2);
    if (!s.empty()) std::memcpy(s.data(), bytes.data(), s.size() * 2);
    return s;
}

// Swings from clearly above zero to clearly below and back: twice the
// tone's frequency per second of tone. Near-silence (the codec's delay)
// counts neither as tone nor as swings.
double ToneHz(const std::vector<int16_t>& s, int rate) {
    const int kLevel = 2000;
    int swings = 0, side = 0;
    size_t first = 0, last = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        const int now = s[i] > kLevel ? 1 : s[i] < -kLevel ? -1 : 0;
        if (now == 0) continue;
        if (side == 0) first = i;
        if (side != 0 && now != side) {
            ++swings;
            last = i;
        }
        side = now;
    }
    return last > first ? swings / 2.0 / (double(last - first) / rate) : 0;
}

class MPEGPlayerWin : public ::testing::Test {
protected:
    void SetUp() override {
        player.PathToDLL = QB_MPEG_DLL_DIR;
        player.UseTimer = true;
        player.SetTimerFreq(100);
        player.LoadDLL();
        player.OnPlayEnd = [this](TMPEGPlayer&) { ++ends; };
    }
    void TearDown() override { player.UnloadDLL(); }

    // Plays into a PCM file until OnPlayEnd; the samples decoded.
    std::vector<int16_t> Decode(const std::string& pcm) {
        player.OutFilename = pcm;
        player.SetOutputDevice(TOutputDevice::pcmfile);
        const int before = ends;
        player.Play();
        EXPECT_TRUE(PumpUntil([&] { return ends > before; }));
        return Samples(pcm);
    }

    TMPEGPlayer player;
    test::TempDir dir;
    int ends = 0;
};

TEST_F(MPEGPlayerWin, DecodesEveryKindOfFixture) {
    struct Case {
        const char* file;
        int channels, rate, frames, spf, tones[2];  // tone of each channel (Hz)
        int lengthMs;  // without an information frame: from size and bitrate, end tag included
    } cases[] = {
        {"mpeg1-stereo-cbr.mp3", 2, 44100, 21, 1152, {440, 660}, 548},
        {"mpeg2-mono-vbr.mp3", 1, 22050, 22, 576, {330, 0}, 574},
        {"mpeg2-mono-id3.mp3", 1, 22050, 22, 576, {330, 0}, 606},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        player.SetStreamName(Fixture(c.file));
        const auto s = Decode(dir.File("out.pcm"));
        const size_t frames = s.size() / size_t(c.channels);
        EXPECT_GE(frames, size_t((c.frames - 2) * c.spf));
        EXPECT_LE(frames, size_t(c.frames * c.spf));
        EXPECT_NEAR(player.GetLength(), c.lengthMs, 27);
        for (int ch = 0; ch < c.channels; ++ch) {
            std::vector<int16_t> one;
            for (size_t i = size_t(ch); i < s.size(); i += size_t(c.channels)) one.push_back(s[i]);
            EXPECT_NEAR(ToneHz(one, c.rate), c.tones[ch], c.tones[ch] * 0.05) << "channel " << ch;
        }
        EXPECT_EQ(player.GetPlayerMode(), 2);  // ended: no Stop wanted
    }
}

TEST_F(MPEGPlayerWin, PlaysAgainAfterTheEndAndFromAStream) {
    player.SetStreamName(Fixture("mpeg2-mono-vbr.mp3"));
    const auto first = Decode(dir.File("a.pcm"));
    const auto again = Decode(dir.File("a.pcm"));  // Restart: the same file name again
    EXPECT_EQ(player.PlayedXTimes(), 3);
    EXPECT_EQ(first, again);

    // The same bytes through the stream callbacks.
    const auto bytes = test::ReadBytes(Fixture("mpeg2-mono-vbr.mp3"));
    size_t at = 0;
    int closes = 0;
    player.Close();
    player.FromStream = true;
    player.OnOpenStream = [&](bool& nonSeekable, void*& context) {
        nonSeekable = false;
        context = &at;
    };
    player.OnReadStream = [&](void* c, void* buf, int32_t want, int32_t& got, bool& res) {
        auto& pos = *static_cast<size_t*>(c);
        got = int32_t(std::min(size_t(want), bytes.size() - pos));
        std::memcpy(buf, bytes.data() + pos, size_t(got));
        pos += size_t(got);
        res = true;
    };
    player.OnSeekStream = [&](void* c, int32_t n, int32_t method, int32_t& res) {
        if (method != 0) return;
        *static_cast<size_t*>(c) = size_t(n);
        res = n;
    };
    player.OnGetStreamSize = [&](void*, int32_t& res) { res = int32_t(bytes.size()); };
    player.OnCloseStream = [&](void*) { ++closes; };
    EXPECT_EQ(Decode(dir.File("b.pcm")), first);
    EXPECT_EQ(Decode(dir.File("b.pcm")), first);  // rewound through the seek callback
    player.Close();
    EXPECT_EQ(closes, 1);
}

TEST_F(MPEGPlayerWin, BadInputGivesInputStreamErrors) {
    const std::vector<uint8_t> text = {'n', 'o', 't', ' ', 'a', 'n', ' ', 'm', 'p', '3'};
    auto mp3 = test::ReadBytes(Fixture("mpeg1-stereo-cbr.mp3"));
    std::vector<uint8_t> corrupt = mp3;
    for (size_t i = 600; i < corrupt.size(); i += 97) corrupt[i] ^= 0x5A;
    const std::vector<uint8_t> truncated(mp3.begin(), mp3.begin() + std::ptrdiff_t(mp3.size() / 2));

    for (const auto& [name, bytes] : std::vector<std::pair<std::string, std::vector<uint8_t>>>{
             {"empty.mp3", {}}, {"text.mp3", text}}) {
        player.SetStreamName(dir.Write(name, bytes));
        try {
            player.Play();
            ADD_FAILURE() << name << " played";
        } catch (const TMPEGError& e) {
            EXPECT_EQ(e.ErrorCode, 3) << name;
            EXPECT_STREQ(e.what(), "Input stream error");
        }
        EXPECT_FALSE(player.Opened());
    }
    player.SetStreamName(dir.File("missing.mp3"));
    EXPECT_THROW(player.Play(), TMPEGError);

    // Damaged or cut short: played as far as it goes, and ended.
    for (const auto& [name, bytes] : std::vector<std::pair<std::string, std::vector<uint8_t>>>{
             {"corrupt.mp3", corrupt}, {"truncated.mp3", truncated}}) {
        player.SetStreamName(dir.Write(name, bytes));
        EXPECT_FALSE(Decode(dir.File(name + ".pcm")).empty()) << name;
    }

    // Output that cannot be written.
    player.SetStreamName(Fixture("mpeg2-mono-vbr.mp3"));
    player.OutFilename = dir.File("no\\such\\dir\\out.pcm");
    player.SetOutputDevice(TOutputDevice::pcmfile);
    try {
        player.Play();
        ADD_FAILURE() << "played into nowhere";
    } catch (const TMPEGError& e) {
        EXPECT_EQ(e.ErrorCode, 5);
    }
}

TEST(MPEGPlayerWinLoad, MissingLibrary) {
    test::TempDir empty;
    TMPEGPlayer player;
    player.PathToDLL = empty.Path();
    try {
        player.LoadDLL();
        ADD_FAILURE() << "loaded";
    } catch (const TMPEGError& e) {
        EXPECT_EQ(e.ErrorCode, 0);
        EXPECT_STREQ(e.what(), "Can't load MPEG library");
    }
}

}  // namespace
}  // namespace qb
