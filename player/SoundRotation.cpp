#include "player/SoundRotation.h"

#include "player/FileExtension.h"
#include "player/PlaybackRules.h"

#include <stdexcept>

namespace qb {

bool IsMp3Path(const std::string& path) { return HasExtension(path, ".mp3"); }

SoundRotation::SoundRotation(std::vector<std::string> sounds, bool randomOrder, Mp3Output* mp3, MciOutput& mci,
                             std::function<int32_t(int32_t)> random)
    : sounds_(std::move(sounds)), randomOrder_(randomOrder), mp3_(mp3), mci_(mci), random_(std::move(random)) {}

void SoundRotation::Start() {
    const auto count = static_cast<int32_t>(sounds_.size());
    if (count == 0) return;
    PlaySound(randomOrder_ ? random_(count) : 0);
}

void SoundRotation::PlaySound(int32_t index) {
    try {
        Switch(index);
    } catch (const std::exception&) {
        // A sound that cannot start ends the background sounds: with nothing
        // active, neither the end event nor the tick starts another.
        active_ = false;
    }
}

void SoundRotation::Switch(int32_t index) {
    current_ = index;
    if (active_) {
        if (kind_ == Kind::Mp3 && mp3_ && mp3_->GetPlayerMode() > 2) mp3_->Stop();
        if (kind_ == Kind::Mci) mci_.Close();
    }
    const std::string& path = sounds_.at(static_cast<size_t>(index));
    if (IsMp3Path(path)) {
        if (!mp3_) throw std::runtime_error("no MP3 player");
        mp3_->PlayFile(path);
        kind_ = Kind::Mp3;
    } else {
        mci_.Open(path);
        mci_.Play();
        kind_ = Kind::Mci;
    }
    active_ = true;
}

void SoundRotation::NextSound() {
    const auto count = static_cast<int32_t>(sounds_.size());
    if (count == 0) return;
    PlaySound(NextIndex(current_, count, randomOrder_, random_));
}

void SoundRotation::Tick() {
    if (!active_ || kind_ == Kind::Mp3) return;
    bool stopped = false;
    try {
        stopped = mci_.Stopped();
    } catch (const std::exception&) {
        return;  // a device that cannot answer is asked again next tick
    }
    if (!stopped) return;
    active_ = false;
    NextSound();
}

void SoundRotation::StopMp3() {
    if (mp3_ && mp3_->GetPlayerMode() > 2) mp3_->Stop();
}

}  // namespace qb
