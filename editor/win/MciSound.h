#pragma once
#include <string>

namespace qb {

// One wave or MIDI file played through the media control interface; the
// system picks the device by the file's extension. Closed in the destructor.
// FIXME: the full-screen player is getting a shared media player component;
// the editor moves over to it once it is there.
class MciSound {
public:
    MciSound() = default;
    ~MciSound();
    MciSound(const MciSound&) = delete;
    MciSound& operator=(const MciSound&) = delete;

    // Opens and starts the file; throws qb::Exception with the system's text.
    void Play(const std::string& path);
    void Stop();
    void Close();
    bool IsOpen() const { return open_; }
    // True once the device has come to its end (or nothing is open).
    bool Stopped();

private:
    bool open_ = false;
    bool seenPlaying_ = false;
};

}  // namespace qb
