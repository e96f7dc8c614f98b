#include "player/ThreadedTimer.h"

namespace qb {

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
