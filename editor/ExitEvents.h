#pragma once

namespace qb {

// The three user actions that may end the screensaver, as the option boxes show them.
struct ExitEvents {
    bool MouseMove = true, MouseClick = true, KeyPress = true;
    bool operator==(const ExitEvents&) const = default;
};
enum class ExitBox { MouseMove, MouseClick, KeyPress };

struct ExitToggleOutcome {
    ExitEvents Events;         // what the boxes must show now
    bool Refused = false;      // the user is told that one event must stay
    bool ForceShowCursor = false;
};

// The user has just toggled `box` (already reflected in `now`). A screensaver
// nothing ends is refused by checking the box again; one that no mouse action
// ends keeps the cursor visible, so the user can see that the mouse is dead.
ExitToggleOutcome CheckExitToggle(ExitEvents now, ExitBox box);

}  // namespace qb
