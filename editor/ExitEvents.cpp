#include "editor/ExitEvents.h"

namespace qb {

ExitToggleOutcome CheckExitToggle(ExitEvents now, ExitBox box) {
    ExitToggleOutcome out{now};
    if (!now.MouseMove && !now.MouseClick && !now.KeyPress) {
        out.Refused = true;
        switch (box) {
            case ExitBox::MouseMove: out.Events.MouseMove = true; break;
            case ExitBox::MouseClick: out.Events.MouseClick = true; break;
            case ExitBox::KeyPress: out.Events.KeyPress = true; break;
        }
    }
    // Only the mouse boxes carry the cursor rule; the key box has the first rule alone.
    if (box != ExitBox::KeyPress && !out.Events.MouseMove && !out.Events.MouseClick) out.ForceShowCursor = true;
    return out;
}

}  // namespace qb
