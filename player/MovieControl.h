#pragma once
#include "player/PlaybackRules.h"

#include <cstdint>
#include <string>

namespace qb {

// What the players ask of the Flash control they show movies in; the
// windows hand over the real control, the tests a scripted one.
class MovieControl {
public:
    virtual ~MovieControl() = default;
    // Loads the movie in place of the current one; reading gives the path.
    virtual void SetMovie(const std::string& path) = 0;
    virtual std::string Movie() const = 0;
    virtual void SetLoop(bool loop) = 0;
    virtual int32_t TotalFrames() const = 0;
    virtual int32_t FrameNum() const = 0;
    virtual void Play() = 0;
    virtual void Stop() = 0;
    virtual void SetBounds(const Bounds& b) = 0;
};

// The timers a player runs for its movies: the fast and slow end checks
// together, and the pause on the last picture before the next movie.
class MovieTimers {
public:
    virtual ~MovieTimers() = default;
    virtual void SetWatching(bool on) = 0;
    virtual void SetInterval(bool on) = 0;
};

}  // namespace qb
