#pragma once
#include "mpegdll/ByteSource.h"

#include <vector>

namespace qb::mp3 {

// Lets the player look at the start of a stream when it is opened and
// still play it from its first byte when the stream cannot go back:
// everything read before Replay() is read again after it.
class ReplaySource final : public ByteSource {
public:
    // Keeps at most `limit` bytes; a stream that needed more to be looked at
    // must go back to its start by itself.
    explicit ReplaySource(std::unique_ptr<ByteSource> inner, size_t limit = 4 << 20)
        : inner_(std::move(inner)), limit_(limit) {}

    // Back to the first byte for playing; false when that is impossible.
    bool Replay();
    size_t Read(std::span<uint8_t> buffer) override;
    bool Rewind() override;
    std::optional<uint64_t> Size() override { return inner_->Size(); }

private:
    std::unique_ptr<ByteSource> inner_;
    std::vector<uint8_t> recorded_;
    size_t at_ = 0;
    size_t limit_;
    bool recording_ = true;
    bool overflowed_ = false;
};

}  // namespace qb::mp3
