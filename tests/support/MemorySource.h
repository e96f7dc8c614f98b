#pragma once
#include "mpegdll/ByteSource.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace qb::test {

// Bytes in memory as a stream; optionally one that cannot go back, or that
// hands out only a few bytes per read.
class MemorySource final : public mp3::ByteSource {
public:
    explicit MemorySource(std::vector<uint8_t> bytes, bool seekable = true, size_t chunk = SIZE_MAX)
        : bytes_(std::move(bytes)), seekable_(seekable), chunk_(chunk) {}
    size_t Read(std::span<uint8_t> buffer) override {
        const size_t n = std::min({buffer.size(), bytes_.size() - at_, chunk_});
        if (n > 0) std::memcpy(buffer.data(), bytes_.data() + at_, n);
        at_ += n;
        return n;
    }
    bool Rewind() override {
        if (!seekable_) return false;
        at_ = 0;
        return true;
    }
    std::optional<uint64_t> Size() override {
        if (!seekable_) return std::nullopt;
        return bytes_.size();
    }

private:
    std::vector<uint8_t> bytes_;
    size_t at_ = 0;
    bool seekable_;
    size_t chunk_;
};

}  // namespace qb::test
