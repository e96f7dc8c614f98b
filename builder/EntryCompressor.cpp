#include "builder/EntryCompressor.h"

#include "app/Errors.h"

#include <zlib.h>

#include <array>
#include <memory>
#include <vector>

namespace qb::zip {

namespace {

constexpr size_t kFirstBlock = 32 * 1024;  // the deflate window: what "the first block" may hold
constexpr size_t kChunk = 8 * 1024;

uint16_t FlagsForLevel(int level) {
    if (level >= 8) return 2;
    if (level == 1 || level == 2) return 4;
    return 0;
}

struct DeflateStream {
    z_stream z{};
    explicit DeflateStream(int level) {
        // -15: raw deflate, no zlib header, as zip entries hold it.
        if (deflateInit2(&z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
            throw Exception("Out of memory for compression");
    }
    ~DeflateStream() { deflateEnd(&z); }
    DeflateStream(const DeflateStream&) = delete;
    DeflateStream& operator=(const DeflateStream&) = delete;
};

// Feeds `in` to the stream and hands every full output buffer to the sink.
uint64_t Pump(DeflateStream& s, std::span<const uint8_t> in, int flush, const DataSink& out,
              const std::function<void()>& afterBlock) {
    std::array<uint8_t, kChunk> buffer;
    uint64_t written = 0;
    s.z.next_in = const_cast<Bytef*>(in.data());
    s.z.avail_in = static_cast<uInt>(in.size());
    int rc;
    do {
        s.z.next_out = buffer.data();
        s.z.avail_out = static_cast<uInt>(buffer.size());
        rc = deflate(&s.z, flush);
        if (rc == Z_STREAM_ERROR) throw Exception("Compression failed");
        const size_t produced = buffer.size() - s.z.avail_out;
        if (produced) {
            out(std::span<const uint8_t>(buffer.data(), produced));
            written += produced;
            if (afterBlock) afterBlock();
        }
    } while (s.z.avail_out == 0 || (flush == Z_FINISH && rc != Z_STREAM_END));
    return written;
}

uint32_t Crc(uint32_t crc, std::span<const uint8_t> bytes) {
    return static_cast<uint32_t>(crc32(crc, bytes.data(), static_cast<uInt>(bytes.size())));
}

}  // namespace

bool LooksLikeText(std::span<const uint8_t> bytes) {
    size_t binary = 0, printable = 0;
    for (uint8_t b : bytes) (b <= 6 || b >= 128 ? binary : printable)++;
    return binary <= printable / 4;
}

CompressedData CompressEntry(File& input, int level, const DataSink& out, const std::function<void()>& afterBlock) {
    CompressedData result;
    result.Crc = Crc(0, {});
    std::vector<uint8_t> first(kFirstBlock);
    first.resize(input.Read(first));
    result.UncompressedSize = first.size();
    result.Crc = Crc(result.Crc, first);
    result.Text = LooksLikeText(first);

    std::vector<uint8_t> chunk(kFirstBlock);
    chunk.resize(first.size() == kFirstBlock ? input.Read(chunk) : 0);

    if (level <= 0) {
        result.Method = 0;
        result.Text = false;
        out(first);
        uint64_t total = first.size();
        while (!chunk.empty()) {
            out(chunk);
            total += chunk.size();
            result.Crc = Crc(result.Crc, chunk);
            if (afterBlock) afterBlock();
            chunk.resize(kFirstBlock);
            chunk.resize(input.Read(chunk));
        }
        result.UncompressedSize = result.CompressedSize = total;
        return result;
    }

    result.Flags = FlagsForLevel(level);
    DeflateStream stream(level);
    if (chunk.empty()) {
        // The whole file fits the first block: compress it apart, then keep
        // whichever of packed and plain bytes is shorter (plain when equal).
        std::vector<uint8_t> packed;
        const DataSink collect = [&](std::span<const uint8_t> b) { packed.insert(packed.end(), b.begin(), b.end()); };
        Pump(stream, first, Z_FINISH, collect, nullptr);
        if (packed.size() >= first.size()) {
            result.Method = 0;
            out(first);
            result.CompressedSize = first.size();
        } else {
            result.Method = 8;
            out(packed);
            result.CompressedSize = packed.size();
        }
        return result;
    }

    result.Method = 8;
    uint64_t packed = Pump(stream, first, Z_NO_FLUSH, out, afterBlock);
    while (!chunk.empty()) {
        result.Crc = Crc(result.Crc, chunk);
        result.UncompressedSize += chunk.size();
        packed += Pump(stream, chunk, Z_NO_FLUSH, out, afterBlock);
        chunk.resize(kFirstBlock);
        chunk.resize(input.Read(chunk));
    }
    packed += Pump(stream, {}, Z_FINISH, out, afterBlock);
    result.CompressedSize = packed;
    return result;
}

}  // namespace qb::zip
