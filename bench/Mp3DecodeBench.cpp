// bench_mp3_decode (Windows, under wine): how fast the decoder library's
// player decodes MP3 through the system codec, in seconds of audio per CPU
// second, and how soon after Play the first sound reaches the output.
// Compare with bench_mp3_ffmpeg, which times ffmpeg on the same file.
#include "mpegdll/Mp3Player.h"
#include "mpegdll/WinParts.h"
#include "tests/support/MemorySource.h"
#include "tests/support/TempDir.h"

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdio>

namespace {

using Clock = std::chrono::steady_clock;
using namespace qb::mp3;

// Takes the sound as fast as it comes and notes when the first arrived.
class NullSink final : public PcmSink {
public:
    explicit NullSink(std::atomic<int64_t>& firstNs) : firstNs_(firstNs) {}
    bool Write(std::span<const int16_t>) override {
        if (firstNs_ == 0) firstNs_ = Clock::now().time_since_epoch().count();
        return true;
    }
    bool Drain() override { return true; }
    void Pause(bool) override {}
    void Abort() override {}
    uint64_t PlayedFrames() override { return 0; }

private:
    std::atomic<int64_t>& firstNs_;
};

struct BenchBackend : PlayerBackend {
    std::unique_ptr<FrameDecoder> MakeDecoder(const FrameHeader& first) override { return MakeAcmDecoder(first); }
    std::unique_ptr<PcmSink> MakeSink(int, const std::string&, PcmFormat) override {
        return std::make_unique<NullSink>(firstNs);
    }
    void SetCurrentThreadPriority(int) override {}
    std::atomic<int64_t> firstNs{0};
};

double CpuSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto value = [](FILETIME t) { return (uint64_t(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 1e7; };
    return value(kernel) + value(user);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string file = argc > 1 ? argv[1] : QB_BENCH_MP3;
    // The short fixture 120 times over makes one stream of about a minute
    // (frames simply follow each other); three of them are played.
    const int passes = argc > 2 ? std::atoi(argv[2]) : 3;
    const auto one = qb::test::ReadBytes(file);
    std::vector<uint8_t> bytes;
    for (int i = 0; i < 120; ++i) bytes.insert(bytes.end(), one.begin(), one.end());
    BenchBackend backend;
    Mp3Player player(backend);
    double audioSeconds = 0, worstStartMs = 0;
    const double cpuBefore = CpuSeconds();
    const auto wallBefore = Clock::now();
    for (int i = 0; i < passes; ++i) {
        player.Open(std::make_unique<qb::test::MemorySource>(bytes));
        uint8_t ended = 0;
        backend.firstNs = 0;
        const auto playAt = Clock::now();
        player.Play(0, 0, &ended);
        while (player.Mode() != PlayerMode::Ended) Sleep(1);
        const double startMs = (backend.firstNs - playAt.time_since_epoch().count()) / 1e6;
        if (startMs > worstStartMs) worstStartMs = startMs;
        audioSeconds += player.LengthMs() / 1000.0;
    }
    const double cpu = CpuSeconds() - cpuBefore;
    const double wall = std::chrono::duration<double>(Clock::now() - wallBefore).count();
    std::printf("decoder library (system MP3 codec): %.1f s of audio, %.2f s CPU, %.2f s wall\n", audioSeconds, cpu,
                wall);
    std::printf("  %.0f s of audio per CPU second; first sound %.1f ms after Play at worst\n", audioSeconds / cpu,
                worstStartMs);
    return 0;
}
