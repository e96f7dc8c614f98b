#include "flash/sound/Voice.h"

#include <algorithm>
#include <cmath>

namespace qb::sound {

Voice::Voice(Opener open, SoundInfo info) : open_(std::move(open)), info_(std::move(info)) {
    passesLeft_ = std::max<uint32_t>(1, info_.LoopCount);
    done_ = !StartPass();
}

bool Voice::StartPass() {
    if (passesLeft_ == 0) return false;
    --passesLeft_;
    source_ = open_ ? open_() : nullptr;
    if (!source_ || source_->Channels() < 1 || source_->Channels() > 2 || !(source_->Rate() >= 1000) ||
        source_->Rate() > 192000)
        return false;
    step_ = static_cast<uint64_t>(std::llround(source_->Rate() / kOutputRate * 4294967296.0));
    buffer_.resize(1024 * static_cast<size_t>(source_->Channels()));
    bufferPos_ = bufferLen_ = 0;
    frac_ = 0;
    position_ = 0;
    passOutput_ = 0;
    // The in point skips source frames unheard; a skip past the end ends the pass.
    if (info_.InPoint) {
        const uint64_t skip = static_cast<uint64_t>(*info_.InPoint * (source_->Rate() / kOutputRate));
        std::array<int, 2> scratch{};
        for (uint64_t i = 0; i < skip; ++i)
            if (!Fetch(scratch)) break;
        position_ = *info_.InPoint;
    }
    live_ = source_->Live();
    starved_ = false;
    if (!Fetch(a_)) {
        if (!live_) return false;
        starved_ = true;
        return true;
    }
    haveB_ = Fetch(b_);
    if (!haveB_) b_ = a_;
    return true;
}

bool Voice::Resume() {
    std::array<int, 2> next{};
    if (!Fetch(next)) return false;
    starved_ = false;
    dry_ = 0;
    a_ = next;
    haveB_ = Fetch(b_);
    if (!haveB_) b_ = a_;
    frac_ &= 0xFFFFFFFFu;
    return true;
}

bool Voice::Fetch(std::array<int, 2>& frame) {
    const int channels = source_->Channels();
    if (bufferPos_ >= bufferLen_) {
        bufferLen_ = source_->Read(buffer_) * static_cast<size_t>(channels);
        bufferPos_ = 0;
        if (bufferLen_ == 0) return false;
    }
    frame[0] = buffer_[bufferPos_];
    frame[1] = buffer_[bufferPos_ + static_cast<size_t>(channels) - 1];
    bufferPos_ += static_cast<size_t>(channels);
    return true;
}

std::array<int, 2> Voice::Level(uint64_t position) const {
    const auto& env = info_.Envelope;
    if (env.empty()) return {32768, 32768};
    if (position <= env.front().Position) return {env.front().Left, env.front().Right};
    for (size_t i = 1; i < env.size(); ++i) {
        const auto& p = env[i - 1];
        const auto& q = env[i];
        if (position > q.Position) continue;
        const double t = q.Position > p.Position ? double(position - p.Position) / (q.Position - p.Position) : 1.0;
        return {static_cast<int>(p.Left + (q.Left - p.Left) * t), static_cast<int>(p.Right + (q.Right - p.Right) * t)};
    }
    return {env.back().Left, env.back().Right};
}

bool Voice::MixInto(std::span<int32_t> out) {
    const size_t frames = out.size() / 2;
    size_t i = 0;
    while (!done_ && i < frames) {
        if (starved_ && !Resume()) {
            dry_ += frames - i;
            if (dry_ > kMaxDryFrames) done_ = true;
            break;
        }
        if (info_.OutPoint && position_ >= *info_.OutPoint) {
            // Out point reached: the pass is over, as at the sound's end.
            if (passOutput_ == 0 || !StartPass()) done_ = true;
            continue;
        }
        const int64_t f = static_cast<int64_t>(frac_ >> 16);  // 16 bits of the fraction are plenty
        const int left = static_cast<int>(a_[0] + ((b_[0] - a_[0]) * f >> 16));
        const int right = static_cast<int>(a_[1] + ((b_[1] - a_[1]) * f >> 16));
        const auto level = Level(position_);
        out[2 * i] += left * level[0] >> 15;
        out[2 * i + 1] += right * level[1] >> 15;
        ++i;
        ++position_;
        ++passOutput_;
        frac_ += step_;
        while (frac_ >= (uint64_t{1} << 32)) {
            if (!haveB_) {
                if (live_) {
                    starved_ = true;
                    break;
                }
                // Past the last frame: the next pass, or the end.
                if (!StartPass()) done_ = true;
                break;
            }
            frac_ -= uint64_t{1} << 32;
            a_ = b_;
            haveB_ = Fetch(b_);
            if (!haveB_) b_ = a_;
        }
    }
    return !done_;
}

}  // namespace qb::sound
