#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qb {

// The shared MP3 player as the background sounds use it.
class Mp3Output {
public:
    virtual ~Mp3Output() = default;
    virtual int32_t GetPlayerMode() = 0;  // above 2 while playing or paused
    virtual void Stop() = 0;
    virtual void PlayFile(const std::string& path) = 0;
};

// The media control interface device for wave and MIDI files.
class MciOutput {
public:
    virtual ~MciOutput() = default;
    virtual void Open(const std::string& path) = 0;
    virtual void Play() = 0;
    virtual void Close() = 0;
    virtual bool Stopped() = 0;
};

// The full-screen player's background sounds, one after another: MP3 files
// through the shared player (whose end event calls NextSound), the others
// through the media device, whose end the 100 ms tick notices.
class SoundRotation {
public:
    enum class Kind { None = 0, Mp3 = 1, Mci = 2 };

    // mp3: null when the decoder library is missing; MP3 entries then fail.
    SoundRotation(std::vector<std::string> sounds, bool randomOrder, Mp3Output* mp3, MciOutput& mci,
                  std::function<int32_t(int32_t)> random);

    // The first sound, at random or the first of the list.
    void Start();
    // Any error is ignored, and it ends the sequence: nothing is retried and
    // no later sound starts.
    void PlaySound(int32_t index);
    void NextSound();
    void Tick();
    // The player closes: the MP3 stops (the media device closes with its window).
    void StopMp3();

    bool Active() const { return active_; }
    Kind ActiveKind() const { return kind_; }
    int32_t CurrentSound() const { return current_; }

private:
    void Switch(int32_t index);

    std::vector<std::string> sounds_;
    bool randomOrder_;
    Mp3Output* mp3_;
    MciOutput& mci_;
    std::function<int32_t(int32_t)> random_;
    int32_t current_ = 0;
    bool active_ = false;
    Kind kind_ = Kind::None;
};

bool IsMp3Path(const std::string& path);

}  // namespace qb
