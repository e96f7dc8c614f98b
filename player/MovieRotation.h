#pragma once
#include "player/MovieControl.h"
#include "player/PlaybackRules.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qb {

// How a player plays its list of movies one after another.
struct MovieRotationConfig {
    MovieEndWatch::Kind Kind = MovieEndWatch::Kind::FullScreen;
    std::vector<std::string> Movies;
    bool RandomOrder = true;
    // False: every movie plays from a silenced working copy (the preview always does).
    bool MovieBgSound = true;
    bool AutoPlay = false;
    // Full screen only: 0 the movie's own size, 1 fit to the screen, 2 the control fills the window.
    int32_t MovieSize = 2;
    int32_t ScreenWidth = 0, ScreenHeight = 0;
    std::string BlankMovie;   // loaded before every movie
    std::string WorkingCopy;  // where projector movies and silenced copies go
};

// One player's movies: loads each into the control, watches for its end
// through the timers' ticks, pauses on the last picture and goes on with the
// next. A list of one movie loops inside the control instead.
class MovieRotation {
public:
    // `random(n)`: a uniform number in 0..n-1. `onLoading(true/false)` brackets
    // each load of the full-screen player (input is ignored meanwhile); when a
    // load throws, the caller reports the error and ends the bracket itself.
    MovieRotation(MovieRotationConfig config, MovieControl& control, MovieTimers& timers,
                  std::function<int32_t(int32_t)> random, std::function<void(bool)> onLoading = {});

    // The first movie, at random or the first of the list; nothing for an empty list.
    void Start();
    void LoadMovie(int32_t index);
    void EndMovie();
    void FastTick();
    void SlowTick();
    // The pause is over: the next movie.
    void IntervalTick();
    // The window is going: no more checks.
    void Halt() { watching_ = false; }

    int32_t CurrentMovie() const { return current_; }
    bool Watching() const { return watching_; }
    int32_t EndMargin() const { return watch_.EndMargin(); }
    const std::vector<std::string>& Movies() const { return config_.Movies; }

private:
    void LoadFullScreen(int32_t index);
    void LoadPreview(int32_t index);
    void StartPlaying();
    bool Guarded() const;

    MovieRotationConfig config_;
    MovieControl& control_;
    MovieTimers& timers_;
    std::function<int32_t(int32_t)> random_;
    std::function<void(bool)> onLoading_;
    MovieEndWatch watch_;
    int32_t current_ = 0;
    bool watching_ = false;
};

// Projector files (".exe" in any letter case) always play from a working copy.
bool IsProjectorPath(const std::string& path);

}  // namespace qb
