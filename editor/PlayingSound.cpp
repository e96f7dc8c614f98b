#include "editor/PlayingSound.h"

#include "editor/FileNames.h"

namespace qb {

SoundKind SoundKindOf(const std::string& path) { return HasExtension(path, ".mp3") ? SoundKind::Mp3 : SoundKind::Mci; }

void PlayingSound::Start(int index, SoundKind kind) {
    playing_ = true;
    index_ = index;
    kind_ = kind;
}

void PlayingSound::Exchanged(int a, int b) {
    if (!playing_) return;
    if (index_ == a) index_ = b;
    else if (index_ == b) index_ = a;
}

bool PlayingSound::Deleting(int i) {
    if (!playing_) return false;
    if (i == index_) {
        playing_ = false;
        return true;
    }
    if (i < index_) --index_;
    return false;
}

}  // namespace qb
