#pragma once
#include "flash/sound/Mp3Codec.h"
#include "flash/sound/SampleSource.h"
#include "flash/sound/SoundDef.h"

#include <deque>
#include <memory>
#include <span>

namespace qb::sound {

// A streamed sound: the blocks its timeline hands over, frame by frame,
// played one after another (MP3 blocks through one decoder). After running
// dry it waits until a couple of blocks are there again, so that a frame
// shown a little late is not heard as a gap.
class BlockQueue final : public SampleSource {
public:
    BlockQueue(const StreamHead& head, const Mp3Codec* mp3) : head_(head), mp3_(mp3) {}

    // Blocks beyond kMaxBlocks waiting (the timeline ran far ahead) and
    // blocks that cannot be decoded are dropped.
    void Push(std::span<const uint8_t> block);
    // Whether any block could be decoded so far.
    bool Valid() const { return head_.Format.Is(Codec::Mp3) ? feed_ != nullptr : rate_ > 0; }

    double Rate() const override { return feed_ ? feed_->Rate() : rate_; }
    int Channels() const override { return feed_ ? feed_->Channels() : channels_; }
    size_t Read(std::span<int16_t> out) override;
    bool Live() const override { return true; }

    static constexpr size_t kMaxBlocks = 64;
    static constexpr size_t kPrebuffer = 2;

    // Blocks given and not yet wholly played.
    size_t Waiting() const { return feed_ ? feed_->Pending() : blocks_.size(); }

private:
    StreamHead head_;
    const Mp3Codec* mp3_;  // only for MP3 streams
    std::unique_ptr<Mp3Feed> feed_;
    std::deque<std::unique_ptr<SampleSource>> blocks_;
    double rate_ = 0;
    int channels_ = 0;
    bool waiting_ = true;
};

}  // namespace qb::sound
