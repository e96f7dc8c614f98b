#pragma once
#include "player/MovieControl.h"

#include <cstdint>
#include <functional>

namespace qb {

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
    MovieTimerSet(ui::Form& owner, uint32_t slowInterval, std::function<void()> onFast, std::function<void()> onSlow,
                  std::function<void()> onInterval);

    void SetWatching(bool on) override;
    void SetInterval(bool on) override;
    void StopAll();

    TThreadedTimer& FastTimer;
    TThreadedTimer& SlowTimer;
    ui::Timer& IntervalTimer;
};

}  // namespace qb
