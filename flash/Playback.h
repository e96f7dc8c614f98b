#pragma once
#include "flash/movie/Movie.h"
#include "flash/movie/StageRenderer.h"
#include "flash/render/Image.h"
#include "flash/sound/AudioOutput.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace qb::flash {

// Plays a movie on a thread of its own: ticks it at the movie's frame rate
// and draws each changed frame into a picture that the owner shows. The
// owner's calls take effect before they return, so a frame number read
// right after Load, Stop or Play already reflects them. Nothing runs while
// nothing changes: a halted or static movie leaves the thread asleep.
// The movie's sounds go to the host's output, opened by the playback thread
// once a sound starts and closed when the movie is stopped, halts on its
// last frame or is unloaded. A
// movie with stream sound keeps its frames in step with it: frames wait
// while too many of the stream's blocks wait to be heard.
class Playback {
public:
    // Called on the playback thread whenever a new picture is ready.
    using FrameReady = std::function<void()>;

    // Text in device fonts is drawn with `fonts`.
    explicit Playback(FrameReady onFrame = {}, sound::AudioHost audio = {},
                      std::shared_ptr<const movie::FontHost> fonts = movie::FontFilesHost());
    ~Playback();
    Playback(const Playback&) = delete;
    Playback& operator=(const Playback&) = delete;

    // Loads a movie file in place of the current one; false (and no movie,
    // the background alone) when it cannot be read or played.
    bool Load(const std::string& path);
    bool LoadBytes(std::vector<uint8_t> bytes);
    void Unload();

    void Play();
    void Stop();
    void SetLoop(bool loop);
    void SetQuality(render::Quality quality);
    // 0x00RRGGBB, or empty for the movie's own background colour.
    void SetBackground(std::optional<uint32_t> rgb);
    void SetSize(int width, int height);

    // 0-based current frame of the root timeline and its frame count; 0 and
    // 0 without a movie.
    int FrameNum() const { return frameNum_.load(); }
    int TotalFrames() const { return totalFrames_.load(); }
    bool Playing() const { return playing_.load(); }

    // Reads the latest picture (premultiplied 0xAARRGGBB pixels) under a lock.
    void WithPicture(const std::function<void(const render::Image&)>& read) const;
    // How many pictures were drawn so far (for tests and measurements).
    uint64_t FramesDrawn() const { return drawn_.load(); }
    // Whether the host's sound output is open (for tests).
    bool SoundOpen() const { return soundOpen_.load(); }

    // How many frames' blocks of stream sound may wait to be heard before
    // the frames wait for the sound.
    static constexpr size_t kMaxStreamAhead = 4;

private:
    using Clock = std::chrono::steady_clock;
    void Run();
    void Publish();  // frame numbers from the movie; mutex_ held
    void Wake();
    // Closes the sound output when asked to and opens it for a movie whose
    // sounds have started; the device calls run with the lock released.
    void UpdateOutput(std::unique_lock<std::mutex>& lock);
    void CloseOutput();  // mutex_ held: silences the mixer and asks for the close
    bool StreamBehind() const;

    FrameReady onFrame_;
    mutable std::mutex mutex_;  // the movie and the settings below
    std::condition_variable wake_;
    std::unique_ptr<movie::Movie> movie_;
    movie::StageRenderer renderer_;
    bool loop_ = true;
    std::optional<uint32_t> background_;
    int width_ = 0, height_ = 0;
    bool redraw_ = true;
    bool quit_ = false;
    Clock::duration interval_ = std::chrono::milliseconds(83);
    Clock::time_point nextTick_;
    render::Image back_;
    sound::AudioHost audio_;
    sound::Mixer mixer_;
    std::unique_ptr<sound::AudioOutput> output_;  // only the playback thread touches it
    uint64_t soundOwner_ = 0;
    bool closeOutput_ = false;
    bool outputRefused_ = false;  // no device this time: not asked again until the next stop or load
    std::atomic<bool> soundOpen_{false};

    mutable std::mutex pictureMutex_;
    render::Image front_;

    std::atomic<int> frameNum_{0}, totalFrames_{0};
    std::atomic<bool> playing_{false};
    std::atomic<uint64_t> drawn_{0};
    std::thread thread_;
};

}  // namespace qb::flash
