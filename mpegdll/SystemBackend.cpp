#include "mpegdll/WinParts.h"

#include <windows.h>

namespace qb::mp3 {
namespace {

class SystemPlayerBackend final : public PlayerBackend {
public:
    std::unique_ptr<FrameDecoder> MakeDecoder(const FrameHeader& first) override { return MakeAcmDecoder(first); }
    std::unique_ptr<PcmSink> MakeSink(int device, const std::string& file, PcmFormat format) override {
        if (device == kPcmFile) return MakePcmFileSink(file, format);
        return MakeWaveOutSink(format);
    }
    void SetCurrentThreadPriority(int priority) override { SetThreadPriority(GetCurrentThread(), priority); }
};

}  // namespace

PlayerBackend& SystemBackend() {
    static SystemPlayerBackend backend;
    return backend;
}

}  // namespace qb::mp3
