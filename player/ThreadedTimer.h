#pragma once
#include "player/TimerWorker.h"
#include "ui/Component.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace qb {

// A timer whose period is measured on a worker thread of its own (so a busy
// window message queue does not stretch it) while OnTimer still runs on the
// user-interface thread. The worker blocks until the handler has returned,
// so at most one tick per timer is ever pending and late ticks are never
// caught up.
class TThreadedTimer : public ui::Component {
    QB_CLASS(TThreadedTimer)
public:
    using TimerEvent = ui::NotifyEvent;

    // Workers come from the factory; the default is the system's threads.
    explicit TThreadedTimer(TimerWorkerFactory& workers = SystemTimerWorkers());
    ~TThreadedTimer() override;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);

    // Milliseconds; the worker waits for the low 16 bits of it.
    uint32_t Interval() const { return interval_; }
    void SetInterval(uint32_t value);

    TThreadPriority ThreadPriority() const { return priority_; }
    void SetThreadPriority(TThreadPriority value);

    const TimerEvent& OnTimer() const { return onTimer_; }
    void SetOnTimer(TimerEvent handler) { onTimer_ = std::move(handler); }

    bool HasWorker() const { return worker_ != nullptr; }

    // ThreadPriority as the position of its name in the published list.
    int PriorityIndex() const;
    void SetPriorityIndex(int index);

private:
    void Rebuild();
    void WorkerTick();

    TimerWorkerFactory& workers_;
    bool enabled_ = false;
    uint32_t interval_ = 1000;
    TThreadPriority priority_ = TThreadPriority::tpNormal;
    TimerEvent onTimer_;
    std::unique_ptr<TimerWorker> worker_;
    bool destroying_ = false;
};

}  // namespace qb
