#include "player/win/MovieTimerSet.h"

#include "player/MovieRotation.h"
#include "player/ThreadedTimer.h"
#include "ui/Form.h"
#include "ui/Timer.h"

namespace qb {

MovieTimerSet::MovieTimerSet(ui::Form& owner, uint32_t slowInterval, const std::unique_ptr<MovieRotation>& movies,
                             std::function<void()> onInterval)
    : FastTimer(owner.Make<TThreadedTimer>("FastTimer")),
      SlowTimer(owner.Make<TThreadedTimer>("SlowTimer")),
      IntervalTimer(owner.Make<ui::Timer>("IntervalTimer")) {
    FastTimer.SetInterval(50);
    FastTimer.SetThreadPriority(TThreadPriority::tpHigher);
    FastTimer.SetOnTimer([&movies](ui::Component&) {
        if (movies) movies->FastTick();
    });
    SlowTimer.SetInterval(slowInterval);
    SlowTimer.SetThreadPriority(TThreadPriority::tpNormal);
    SlowTimer.SetOnTimer([&movies](ui::Component&) {
        if (movies) movies->SlowTick();
    });
    IntervalTimer.SetInterval(2000);
    IntervalTimer.SetEnabled(false);
    IntervalTimer.SetOnTimer([f = std::move(onInterval)](ui::Component&) { f(); });
}

void MovieTimerSet::SetWatching(bool on) {
    SlowTimer.SetEnabled(on);
    FastTimer.SetEnabled(on);
}

void MovieTimerSet::SetInterval(bool on) { IntervalTimer.SetEnabled(on); }

void MovieTimerSet::StopAll() {
    SetWatching(false);
    SetInterval(false);
}

}  // namespace qb
