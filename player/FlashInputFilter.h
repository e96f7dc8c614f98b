#pragma once
#include <cstdint>

namespace qb {

// What the Flash control does with a window message before handling it:
// the full-screen player has input passed on to itself, the other hosts
// keep the mouse away from the movie.
enum class InputRoute { Control, Parent, Drop };

struct InputFilterFlags {
    bool Active = false;
    bool ForwardMouseMove = false;
    bool ForwardMouseClick = false;
    bool ForwardKeys = false;
};

namespace msg {
inline constexpr uint32_t KeyFirst = 0x0100, KeyLast = 0x0108;
inline constexpr uint32_t MouseFirst = 0x0200, MouseLast = 0x020A;
inline constexpr uint32_t MouseMove = 0x0200, LButtonDown = 0x0201, RButtonDown = 0x0204, MButtonDown = 0x0207;
}  // namespace msg

// `parentExists`: the control's parent window is still there to post to.
inline InputRoute RouteInput(uint32_t message, const InputFilterFlags& f, bool parentExists) {
    if (!f.Active) return message >= msg::MouseFirst && message <= msg::MouseLast ? InputRoute::Drop : InputRoute::Control;
    const bool click = message == msg::LButtonDown || message == msg::RButtonDown || message == msg::MButtonDown;
    if ((message == msg::MouseMove && f.ForwardMouseMove) || (click && f.ForwardMouseClick))
        return parentExists ? InputRoute::Parent : InputRoute::Drop;
    if (message >= msg::KeyFirst && message <= msg::KeyLast && f.ForwardKeys && parentExists) return InputRoute::Parent;
    return InputRoute::Control;
}

}  // namespace qb
