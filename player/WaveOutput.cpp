// The mix goes to the sound device through the decoder library's wave
// output (a few short buffers, refilled as the device frees them), fed by
// a thread of its own so that neither the window nor the movie waits on it.
#include "mpegdll/Mp3Error.h"
#include "mpegdll/WinParts.h"
#include "player/SystemAudio.h"

#include <atomic>
#include <thread>
#include <vector>

namespace qb {
namespace {

class WaveOutput final : public sound::AudioOutput {
public:
    WaveOutput(sound::Mixer& mixer, std::unique_ptr<mp3::PcmSink> sink) : mixer_(mixer), sink_(std::move(sink)) {
        thread_ = std::thread([this] { Feed(); });
    }

    ~WaveOutput() override {
        stop_ = true;
        sink_->Abort();  // a Write waiting for a free buffer returns at once
        thread_.join();
        sink_.reset();   // resets and closes the device
    }

private:
    void Feed() {
        // About 23 ms a piece, the device's buffers a little longer: the
        // sound is mixed shortly before it is heard.
        std::vector<int16_t> piece(2 * 1024);
        try {
            while (!stop_) {
                mixer_.Mix(piece);
                if (!sink_->Write(piece)) break;
            }
        } catch (const mp3::Mp3Error&) {
            // The device refused a buffer: the movie goes on silent.
        }
    }

    sound::Mixer& mixer_;
    std::unique_ptr<mp3::PcmSink> sink_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace

std::unique_ptr<sound::AudioOutput> OpenWaveOutput(sound::Mixer& mixer) {
    try {
        // A movie's sound goes with its pictures: about a sixth of a second
        // queued, where the background music keeps more against gaps.
        return std::make_unique<WaveOutput>(
            mixer, mp3::MakeWaveOutSink({sound::Mixer::kRate, sound::Mixer::kChannels}, {.Buffers = 4, .BufferMs = 40}));
    } catch (const mp3::Mp3Error&) {
        return nullptr;  // no sound device: the movie plays silent
    }
}

}  // namespace qb
