#pragma once
#include "player/PlaybackRules.h"

#include <functional>

namespace qb {

// Which input ends the full-screen player, and when it may close. Nothing
// counts while a movie loads or the password dialog shows; the first mouse
// move after either only sets the origin that later moves are measured from.
class ExitRules {
public:
    struct Choices {
        bool MouseMove = true, MouseClick = true, KeyPress = true;
    };

    ExitRules() = default;
    explicit ExitRules(Choices choices) : choices_(choices) {}
    void SetChoices(Choices c) { choices_ = c; }

    void SetLoading(bool loading);
    bool Loading() const { return loading_; }
    bool ExitRequested() const { return exitRequested_; }

    // Each answers true when the player should ask to close now.
    bool MouseMoved(int32_t x, int32_t y);
    bool MouseDown() { return Request(choices_.MouseClick); }
    bool Key() { return Request(choices_.KeyPress); }
    bool Deactivated() { return Request(true); }

    // Whether a close may go through; asks verifyPassword only when an exit
    // was requested and nothing is loading. A refusal leaves the request
    // standing, so the next qualifying input asks again.
    bool CloseQuery(const std::function<bool()>& verifyPassword);

private:
    bool Request(bool allowed);

    Choices choices_;
    MouseOrigin origin_;
    bool loading_ = false;
    bool exitRequested_ = false;
};

}  // namespace qb
