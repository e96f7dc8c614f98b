#pragma once
#include <memory>

#include "ui/Component.h"

namespace qb::ui {

class TimerPeer {
public:
    virtual ~TimerPeer() = default;
};

// A window-message timer: OnTimer runs on the user-interface thread every
// Interval milliseconds while Enabled (and an interval and handler are set).
class Timer : public Component {
    QB_CLASS(Timer)
public:
    ~Timer() override;
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);
    unsigned Interval() const { return interval_; }
    void SetInterval(unsigned ms);
    void SetOnTimer(NotifyEvent e);
    // Called by the window system for every tick.
    void Tick();
    bool Running() const { return peer_ != nullptr; }

protected:
    void Loaded() override { Update(); }

private:
    void Update();
    NotifyEvent onTimer_;
    bool enabled_ = true;
    unsigned interval_ = 1000;
    std::unique_ptr<TimerPeer> peer_;
};

std::unique_ptr<TimerPeer> CreateTimerPeer(Timer& timer);

}  // namespace qb::ui
