#pragma once
#include "flash/sound/SampleSource.h"

#include <deque>
#include <memory>

namespace qb::sound {

// A streamed sound: the blocks its timeline hands over, frame by frame,
// played one after another. After running dry it waits until a couple of
// blocks are there again, so that a frame shown a little late is not heard
// as a gap.
class BlockQueue final : public SampleSource {
public:
    BlockQueue(double rate, int channels) : rate_(rate), channels_(channels) {}

    // Blocks of another rate or channel count than the first are dropped, as
    // are blocks beyond kMaxBlocks waiting (the timeline ran far ahead).
    void Push(std::unique_ptr<SampleSource> block);
    size_t Waiting() const { return blocks_.size(); }

    double Rate() const override { return rate_; }
    int Channels() const override { return channels_; }
    size_t Read(std::span<int16_t> out) override;
    bool Live() const override { return true; }

    static constexpr size_t kMaxBlocks = 64;
    static constexpr size_t kPrebuffer = 2;

private:
    double rate_;
    int channels_;
    std::deque<std::unique_ptr<SampleSource>> blocks_;
    bool waiting_ = true;
};

}  // namespace qb::sound
