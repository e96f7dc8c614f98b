#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace qb::mp3 {

// Where the compressed bytes come from: a file, or the caller's stream
// callbacks. Read errors throw Mp3Error(Input).
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Up to buffer.size() bytes; 0 at the end.
    virtual size_t Read(std::span<uint8_t> buffer) = 0;
    // Back to the first byte; false when the source cannot go back.
    virtual bool Rewind() = 0;
    // Total size when known.
    virtual std::optional<uint64_t> Size() = 0;
};

// Opens a file; throws Mp3Error(Input) when it cannot be opened.
std::unique_ptr<ByteSource> OpenFileSource(const std::string& path);

}  // namespace qb::mp3
