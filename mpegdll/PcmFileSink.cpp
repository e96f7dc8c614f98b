#include "mpegdll/Mp3Error.h"
#include "mpegdll/PlayerParts.h"
#include "platform/File.h"

#include <atomic>

namespace qb::mp3 {
namespace {

class PcmFileSink final : public PcmSink {
public:
    PcmFileSink(File file, PcmFormat format) : file_(std::move(file)), channels_(format.channels) {}

    bool Write(std::span<const int16_t> samples) override {
        if (aborted_) return false;
        // Little-endian 16-bit, whatever the host.
        bytes_.resize(samples.size() * 2);
        for (size_t i = 0; i < samples.size(); ++i) {
            const auto s = static_cast<uint16_t>(samples[i]);
            bytes_[2 * i] = static_cast<uint8_t>(s & 0xFF);
            bytes_[2 * i + 1] = static_cast<uint8_t>(s >> 8);
        }
        if (!file_.Write(bytes_)) throw Mp3Error(ErrorCode::Output, "cannot write the PCM file");
        frames_ += samples.size() / static_cast<size_t>(channels_);
        return !aborted_;
    }
    bool Drain() override {
        if (!file_.Flush()) throw Mp3Error(ErrorCode::Output, "cannot write the PCM file");
        return !aborted_;
    }
    void Pause(bool) override {}
    void Abort() override { aborted_ = true; }
    uint64_t PlayedFrames() override { return frames_; }

private:
    File file_;
    int channels_;
    std::vector<uint8_t> bytes_;
    std::atomic<bool> aborted_{false};
    std::atomic<uint64_t> frames_{0};
};

}  // namespace

std::unique_ptr<PcmSink> MakePcmFileSink(const std::string& path, PcmFormat format) {
    if (path.empty()) throw Mp3Error(ErrorCode::Output, "no PCM file named");
    File f = File::Open(path, File::Mode::Create);
    if (!f) throw Mp3Error(ErrorCode::Output, "cannot create the PCM file");
    return std::make_unique<PcmFileSink>(std::move(f), format);
}

}  // namespace qb::mp3
