#include "flash/sound/BlockQueue.h"

namespace qb::sound {

void BlockQueue::Push(std::span<const uint8_t> block) {
    if (Waiting() >= kMaxBlocks) return;
    if (head_.Format.Is(Codec::Mp3)) {
        if (!mp3_) return;
        // Samples in the block and the seek count come before the frames.
        if (block.size() <= 4) return;
        const auto frames = block.subspan(4);
        if (feed_) feed_->Append(frames);
        else feed_ = mp3_->Open(frames);
        return;
    }
    auto source = head_.OpenBlock(block);
    if (!source) return;
    if (rate_ == 0) rate_ = source->Rate(), channels_ = source->Channels();
    if (source->Rate() != rate_ || source->Channels() != channels_) return;
    blocks_.push_back(std::move(source));
}

size_t BlockQueue::Read(std::span<int16_t> out) {
    if (waiting_ && Waiting() < kPrebuffer) return 0;
    waiting_ = false;
    if (feed_) {
        if (const size_t n = feed_->Read(out)) return n;
    }
    while (!blocks_.empty()) {
        if (const size_t n = blocks_.front()->Read(out)) return n;
        blocks_.pop_front();
    }
    waiting_ = true;
    return 0;
}

}  // namespace qb::sound
