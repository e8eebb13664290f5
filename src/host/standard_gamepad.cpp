// standard_gamepad.cpp — see standard_gamepad.h.
#include "host/standard_gamepad.h"

#include <cstddef>

namespace {

// The standard mapping's button for each pad button, in the pad layout's
// order (platform.h).
constexpr int kStandardButton[kGamepadButtonCount] = {
    0,   // A: south
    1,   // B: east
    2,   // X: west
    3,   // Y: north
    4,   // left bumper
    5,   // right bumper
    8,   // back (select)
    9,   // start
    16,  // guide
    10,  // left stick click
    11,  // right stick click
    12,  // D-pad up
    15,  // D-pad right
    13,  // D-pad down
    14,  // D-pad left
};
constexpr int kStandardLeftTrigger = 6;
constexpr int kStandardRightTrigger = 7;

}  // namespace

void MapStandardGamepad(const std::vector<float>& axes, const std::vector<unsigned char>& buttons, GamepadState& pad) {
    auto held = [&](int i) { return static_cast<std::size_t>(i) < buttons.size() && buttons[i] != 0; };
    auto axis = [&](int i) { return static_cast<std::size_t>(i) < axes.size() ? axes[i] : 0.0f; };
    for (int b = 0; b < kGamepadButtonCount; ++b) pad.buttons[b] = held(kStandardButton[b]);
    pad.axes[kGamepadLeftX] = axis(0);
    pad.axes[kGamepadLeftY] = axis(1);
    pad.axes[kGamepadRightX] = axis(2);
    pad.axes[kGamepadRightY] = axis(3);
    pad.axes[kGamepadLeftTrigger] = held(kStandardLeftTrigger) ? 1.0f : -1.0f;
    pad.axes[kGamepadRightTrigger] = held(kStandardRightTrigger) ? 1.0f : -1.0f;
}
