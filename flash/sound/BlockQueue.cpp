#include "flash/sound/BlockQueue.h"

namespace qb::sound {

void BlockQueue::Push(std::unique_ptr<SampleSource> block) {
    if (!block || block->Rate() != rate_ || block->Channels() != channels_) return;
    if (blocks_.size() >= kMaxBlocks) return;
    blocks_.push_back(std::move(block));
}

size_t BlockQueue::Read(std::span<int16_t> out) {
    if (waiting_ && blocks_.size() < kPrebuffer) return 0;
    waiting_ = false;
    while (!blocks_.empty()) {
        if (const size_t n = blocks_.front()->Read(out)) return n;
        blocks_.pop_front();
    }
    waiting_ = true;
    return 0;
}

}  // namespace qb::sound
