#include "flash/sound/Mixer.h"

#include <algorithm>

namespace qb::sound {

void Mixer::StartSound(uint64_t owner, uint16_t id, std::shared_ptr<const SoundDef> sound, const SoundInfo& info) {
    if (info.SyncStop) {
        StopSound(owner, id);
        return;
    }
    if (!sound) return;
    std::lock_guard lock(mutex_);
    auto same = [&](const Playing& p) { return p.Owner == owner && p.Stream == 0 && p.Id == id; };
    if (info.NoMultiple && std::any_of(playing_.begin(), playing_.end(), same)) return;
    if (playing_.size() >= kMaxVoices) return;
    const Mp3Codec* mp3 = mp3_.get();
    auto voice = std::make_unique<Voice>([sound, mp3] { return sound->Open(mp3); }, info);
    if (voice->Done()) return;  // nothing we can decode: silence
    playing_.push_back({owner, id, 0, nullptr, sound, std::move(voice)});
}

void Mixer::StopSound(uint64_t owner, uint16_t id) {
    std::lock_guard lock(mutex_);
    std::erase_if(playing_, [&](const Playing& p) { return p.Owner == owner && p.Stream == 0 && p.Id == id; });
}

void Mixer::StreamBlock(uint64_t owner, uint64_t stream, const StreamHead& head, std::span<const uint8_t> block,
                        std::shared_ptr<const void> keep) {
    std::lock_guard lock(mutex_);
    for (Playing& p : playing_) {
        if (p.Owner == owner && p.Stream == stream && !p.Sound->Done()) {
            p.Queue->Push(block);
            return;
        }
    }
    if (playing_.size() >= kMaxVoices) return;
    auto queue = std::make_unique<BlockQueue>(head, mp3_.get());
    queue->Push(block);
    if (!queue->Valid()) return;  // nothing we can decode: silence
    BlockQueue* raw = queue.get();
    // A stream plays once; its queue is handed to the voice's first pass.
    auto holder = std::make_shared<std::unique_ptr<SampleSource>>(std::move(queue));
    auto voice = std::make_unique<Voice>([holder] { return std::move(*holder); }, SoundInfo{});
    if (voice->Done()) return;
    playing_.push_back({owner, 0, stream, raw, std::move(keep), std::move(voice)});
}

void Mixer::StopOwner(uint64_t owner) {
    std::lock_guard lock(mutex_);
    std::erase_if(playing_, [&](const Playing& p) { return p.Owner == owner; });
}

void Mixer::StopAllBut(uint64_t owner) {
    std::lock_guard lock(mutex_);
    std::erase_if(playing_, [&](const Playing& p) { return p.Owner != owner; });
}

void Mixer::StopAll() {
    std::lock_guard lock(mutex_);
    playing_.clear();
}

bool Mixer::Sounding() const {
    std::lock_guard lock(mutex_);
    return !playing_.empty();
}

size_t Mixer::StreamBacklog(uint64_t owner) const {
    std::lock_guard lock(mutex_);
    size_t most = 0;
    for (const Playing& p : playing_)
        if (p.Owner == owner && p.Queue) most = std::max(most, p.Queue->Waiting());
    return most;
}

size_t Mixer::Voices() const {
    std::lock_guard lock(mutex_);
    return playing_.size();
}

void Mixer::Mix(std::span<int16_t> out) {
    std::vector<Playing> finished;  // freed outside the lock
    {
        std::lock_guard lock(mutex_);
        accumulator_.assign(out.size(), 0);
        for (Playing& p : playing_) p.Sound->MixInto(accumulator_);
        for (auto it = playing_.begin(); it != playing_.end();) {
            if (it->Sound->Done()) {
                finished.push_back(std::move(*it));
                it = playing_.erase(it);
            } else {
                ++it;
            }
        }
        for (size_t i = 0; i < out.size(); ++i)
            out[i] = static_cast<int16_t>(std::clamp<int32_t>(accumulator_[i], -32768, 32767));
    }
}

}  // namespace qb::sound
