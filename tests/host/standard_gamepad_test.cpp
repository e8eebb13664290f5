// The browser's standard gamepad layout folded into the game's pad layout:
// every button lands on its own control, the sticks keep their axes, and the
// triggers (buttons in the browser) read as the desktop's trigger axes.
#include "host/standard_gamepad.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<unsigned char> Pressed(int button, int count = 17) {
    std::vector<unsigned char> buttons(static_cast<std::size_t>(count), 0);
    if (button >= 0 && button < count) buttons[static_cast<std::size_t>(button)] = 1;
    return buttons;
}

}  // namespace

TEST(StandardGamepad, EachBrowserButtonDrivesItsOwnPadButton) {
    struct Case {
        int browserButton;
        int padButton;
    };
    const Case cases[] = {
        {0, kGamepadA},          {1, kGamepadB},           {2, kGamepadX},       {3, kGamepadY},
        {4, kGamepadLeftBumper}, {5, kGamepadRightBumper}, {8, kGamepadBack},    {9, kGamepadStart},
        {10, kGamepadLeftThumb}, {11, kGamepadRightThumb}, {12, kGamepadDpadUp}, {13, kGamepadDpadDown},
        {14, kGamepadDpadLeft},  {15, kGamepadDpadRight},  {16, kGamepadGuide},
    };
    for (const Case& c : cases) {
        GamepadState pad;
        MapStandardGamepad({}, Pressed(c.browserButton), pad);
        for (int b = 0; b < kGamepadButtonCount; ++b)
            EXPECT_EQ(pad.buttons[b], b == c.padButton) << "browser button " << c.browserButton << ", pad button " << b;
        EXPECT_EQ(pad.axes[kGamepadLeftTrigger], -1.0f);
        EXPECT_EQ(pad.axes[kGamepadRightTrigger], -1.0f);
    }
}

TEST(StandardGamepad, SticksKeepTheirAxesAndTriggersReadAsAxes) {
    std::vector<unsigned char> triggers(17, 0);
    triggers[6] = triggers[7] = 1;
    GamepadState pad;
    MapStandardGamepad({0.5f, -1.0f, 0.25f, 0.75f}, triggers, pad);
    EXPECT_EQ(pad.axes[kGamepadLeftX], 0.5f);
    EXPECT_EQ(pad.axes[kGamepadLeftY], -1.0f);
    EXPECT_EQ(pad.axes[kGamepadRightX], 0.25f);
    EXPECT_EQ(pad.axes[kGamepadRightY], 0.75f);
    EXPECT_EQ(pad.axes[kGamepadLeftTrigger], 1.0f);
    EXPECT_EQ(pad.axes[kGamepadRightTrigger], 1.0f);
    for (int b = 0; b < kGamepadButtonCount; ++b) EXPECT_FALSE(pad.buttons[b]) << "triggers are no pad button";

    // A pad reporting fewer axes and buttons reads the missing ones at rest,
    // and clears what an earlier reading held.
    MapStandardGamepad({0.5f}, Pressed(0, 4), pad);
    EXPECT_EQ(pad.axes[kGamepadLeftY], 0.0f);
    EXPECT_EQ(pad.axes[kGamepadLeftTrigger], -1.0f);
    EXPECT_TRUE(pad.buttons[kGamepadA]);
    EXPECT_FALSE(pad.buttons[kGamepadDpadUp]);
}
