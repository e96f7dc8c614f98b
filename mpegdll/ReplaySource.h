#pragma once
#include "mpegdll/ByteSource.h"

#include <vector>

namespace qb::mp3 {

// Lets the player look at the start of a stream when it is opened and
// still play it from its first byte when the stream cannot go back:
// everything read before Replay() is read again after it.
class ReplaySource final : public ByteSource {
public:
    explicit ReplaySource(std::unique_ptr<ByteSource> inner) : inner_(std::move(inner)) {}

    void Replay() {
        recording_ = false;
        at_ = 0;
    }
    size_t Read(std::span<uint8_t> buffer) override;
    bool Rewind() override;
    std::optional<uint64_t> Size() override { return inner_->Size(); }

private:
    std::unique_ptr<ByteSource> inner_;
    std::vector<uint8_t> recorded_;
    size_t at_ = 0;
    bool recording_ = true;
};

}  // namespace qb::mp3
