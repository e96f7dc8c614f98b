#pragma once
#include "player/SoundRotation.h"

#include <string>

namespace qb {

// Wave and MIDI files through the media control interface: one device per
// object, closed when the object goes. Failures throw qb::Exception with the
// interface's own description.
class TMediaPlayer : public MciOutput {
public:
    TMediaPlayer();
    ~TMediaPlayer() override;
    TMediaPlayer(const TMediaPlayer&) = delete;
    TMediaPlayer& operator=(const TMediaPlayer&) = delete;

    // The device type follows from the file; an open device is closed first.
    void Open(const std::string& path) override;
    void Play() override;
    void Close() override;
    // True once playback has run to its end (or was never started).
    bool Stopped() override;
    bool IsOpen() const { return open_; }

private:
    std::string Send(const std::string& command);

    std::string alias_;
    bool open_ = false;
    bool seenPlaying_ = false;
};

}  // namespace qb
