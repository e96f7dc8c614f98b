#pragma once
#include <string>

namespace qb {

// MP3 goes through the shared MP3 player, everything else through the media
// control interface; the extension alone decides, in any letter case.
enum class SoundKind { Mp3, Mci };
SoundKind SoundKindOf(const std::string& path);

// Which entry of the editor's sound list is playing. The index follows its
// entry when entries trade places or entries before it are deleted, so the
// Stop button and the end of playback always reach the sound that plays.
class PlayingSound {
public:
    bool Playing() const { return playing_; }
    int Index() const { return playing_ ? index_ : -1; }
    SoundKind Kind() const { return kind_; }

    void Start(int index, SoundKind kind);
    void Stop() { playing_ = false; }

    // Entries a and b traded places.
    void Exchanged(int a, int b);
    // Entry i is about to be deleted; true when it is the playing one, which
    // the caller must close first (playing is then over).
    bool Deleting(int i);

private:
    bool playing_ = false;
    int index_ = -1;
    SoundKind kind_ = SoundKind::Mp3;
};

}  // namespace qb
