#include "player/ThreadedTimer.h"

namespace qb {
namespace {

const TThreadPriority kPriorities[] = {TThreadPriority::tpIdle,   TThreadPriority::tpLowest, TThreadPriority::tpLower,
                                       TThreadPriority::tpNormal, TThreadPriority::tpHigher, TThreadPriority::tpHighest,
                                       TThreadPriority::tpTimeCritical};

}  // namespace

QB_CLASS_INFO(TThreadedTimer, ui::Component) {
    ui::Published<TThreadedTimer>(info)
        .Boolean("Enabled", &TThreadedTimer::Enabled, &TThreadedTimer::SetEnabled)
        .Integer("Interval", &TThreadedTimer::Interval, &TThreadedTimer::SetInterval)
        .Enumeration("ThreadPriority", &TThreadedTimer::PriorityIndex, &TThreadedTimer::SetPriorityIndex,
                     {"tpIdle", "tpLowest", "tpLower", "tpNormal", "tpHigher", "tpHighest", "tpTimeCritical"});
}

int TThreadedTimer::PriorityIndex() const {
    for (int i = 0; i < 7; ++i)
        if (kPriorities[i] == priority_) return i;
    return 3;
}

void TThreadedTimer::SetPriorityIndex(int index) {
    if (index >= 0 && index < 7) SetThreadPriority(kPriorities[index]);
}

TThreadedTimer::TThreadedTimer(TimerWorkerFactory& workers) : workers_(workers) {}

TThreadedTimer::~TThreadedTimer() {
    // The ending worker must not reach a handler of a half-destroyed timer.
    destroying_ = true;
    enabled_ = false;
    Rebuild();
}

void TThreadedTimer::SetEnabled(bool value) {
    if (value == enabled_) return;
    enabled_ = value;
    if (!worker_) Rebuild();
    if (!worker_) return;
    if (!value)
        worker_->Pause();
    else if ((interval_ & 0xFFFF) != 0)
        worker_->Resume();
}

void TThreadedTimer::SetInterval(uint32_t value) {
    if (value == interval_) return;
    interval_ = value;
    if (worker_) worker_->SetInterval(static_cast<uint16_t>(interval_ & 0xFFFF));
}

void TThreadedTimer::SetThreadPriority(TThreadPriority value) {
    if (value == priority_) return;
    priority_ = value;
    Rebuild();
}

void TThreadedTimer::Rebuild() {
    worker_.reset();
    if (interval_ != 0 && enabled_ && onTimer_)
        worker_ = workers_.Start(priority_, static_cast<uint16_t>(interval_ & 0xFFFF), [this] { WorkerTick(); });
}

void TThreadedTimer::WorkerTick() {
    if (destroying_ || !onTimer_ || !enabled_) return;
    // The handler may replace itself or disable the timer; keep the running
    // one alive until it returns.
    TimerEvent handler = onTimer_;
    handler(*this);
}

}  // namespace qb
