#pragma once
#include "player/MovieControl.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace qb {

class MovieRotation;
class TThreadedTimer;
namespace ui {
class Form;
class Timer;
}  // namespace ui

// The timers a player window runs for its movies, made on the window under
// their design names: the fast end check (50 ms, raised priority), the slow
// one, and the pause on the last picture (2 s, window messages).
class MovieTimerSet : public MovieTimers {
public:
    // The checks go to whatever rotation `movies` holds when they tick.
    MovieTimerSet(ui::Form& owner, uint32_t slowInterval, const std::unique_ptr<MovieRotation>& movies,
                  std::function<void()> onInterval);

    void SetWatching(bool on) override;
    void SetInterval(bool on) override;
    void StopAll();

    TThreadedTimer& FastTimer;
    TThreadedTimer& SlowTimer;
    ui::Timer& IntervalTimer;
};

}  // namespace qb
