// Arbitrary bytes as an MP3 stream, read in chunks of a size the input
// chooses: every frame handed out must be whole and be what its header
// says, and opening the stream must end in a length or an input error.
#include "mpegdll/FrameReader.h"
#include "mpegdll/Mp3Player.h"
#include "tests/support/MemorySource.h"

#include <cstdlib>

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

struct NoBackend : qb::mp3::PlayerBackend {
    std::unique_ptr<qb::mp3::FrameDecoder> MakeDecoder(const qb::mp3::FrameHeader&) override { return nullptr; }
    std::unique_ptr<qb::mp3::PcmSink> MakeSink(int, const std::string&, qb::mp3::PcmFormat) override {
        return nullptr;
    }
    void SetCurrentThreadPriority(int) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const size_t chunk = 1 + data[0] % 64;
    std::vector<uint8_t> bytes(data + 1, data + size);
    {
        qb::test::MemorySource source(bytes, true, chunk);
        qb::mp3::FrameReader reader(source);
        uint64_t last = 0;
        while (auto frame = reader.Next()) {
            Check(frame->bytes.size() == size_t(frame->header.frameBytes));
            auto again = qb::mp3::ParseFrameHeader(frame->bytes);
            Check(again && again->frameBytes == frame->header.frameBytes);
            Check(reader.Offset() > last && reader.Offset() <= bytes.size());
            last = reader.Offset();
            (void)qb::mp3::InfoFrameCount(*frame);
        }
    }
    NoBackend backend;
    qb::mp3::Mp3Player player(backend);
    try {
        player.Open(std::make_unique<qb::test::MemorySource>(bytes, data[0] & 0x80, chunk));
        Check(player.LengthMs() >= 0);
    } catch (const qb::mp3::Mp3Error& e) {
        Check(e.Code() == qb::mp3::ErrorCode::Input || e.Code() == qb::mp3::ErrorCode::NonSeekable);
    }
    return 0;
}
