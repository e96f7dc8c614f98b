#include "ui/Timer.h"

namespace qb::ui {

QB_CLASS_INFO(Timer, Component) {
    Published<Timer>(info)
        .Boolean("Enabled", &Timer::Enabled, &Timer::SetEnabled)
        .Integer("Interval", &Timer::Interval, &Timer::SetInterval);
}

Timer::~Timer() { peer_.reset(); }

void Timer::SetEnabled(bool v) {
    if (v == enabled_) return;
    enabled_ = v;
    Update();
}

void Timer::SetInterval(unsigned ms) {
    if (ms == interval_) return;
    interval_ = ms;
    Update();
}

void Timer::SetOnTimer(NotifyEvent e) {
    onTimer_ = std::move(e);
    Update();
}

void Timer::Update() {
    peer_.reset();
    if (Loading()) return;
    if (enabled_ && interval_ != 0 && onTimer_) peer_ = CreateTimerPeer(*this);
}

void Timer::Tick() {
    if (onTimer_) onTimer_(*this);
}

}  // namespace qb::ui
