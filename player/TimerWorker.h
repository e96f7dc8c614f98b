#pragma once
#include <cstdint>
#include <functional>
#include <memory>

namespace qb {

// Thread priority levels of the worker; the values are the system's.
enum class TThreadPriority : int8_t {
    tpIdle = -15,
    tpLowest = -2,
    tpLower = -1,
    tpNormal = 0,
    tpHigher = 1,
    tpHighest = 2,
    tpTimeCritical = 15,
};

// The thread that measures a threaded timer's period. It runs from creation
// and delivers each tick through the callback on the user-interface thread,
// waiting until the callback has returned before it starts the next period.
// Destroying it ends the thread; no tick is delivered afterwards.
class TimerWorker {
public:
    virtual ~TimerWorker() = default;
    // Applies from the next wait on.
    virtual void SetInterval(uint16_t milliseconds) = 0;
    // No tick is delivered from now on, not even one already measured.
    virtual void Pause() = 0;
    // Abandons the wait in progress (without a tick) and starts a full
    // period, so the first tick comes one whole interval from now.
    virtual void Resume() = 0;
};

class TimerWorkerFactory {
public:
    virtual ~TimerWorkerFactory() = default;
    virtual std::unique_ptr<TimerWorker> Start(TThreadPriority priority, uint16_t interval,
                                               std::function<void()> tick) = 0;
};

// Real threads that hand their ticks to the calling (user-interface) thread's
// message loop. Windows only.
TimerWorkerFactory& SystemTimerWorkers();

}  // namespace qb
