// game_keys.h — the game's key codes and its control actions, in one place.
//
// The host translates window-system keys into these codes (glfw_keys.cpp);
// game code asks for actions (ActionDown/ActionHit in input_device.h) rather
// than for keys, so a binding is changed here and nowhere else.
#pragma once

inline constexpr int kKeyEnter = 13;
inline constexpr int kKeyEscape = 27;
inline constexpr int kKeySpace = 32;
inline constexpr int kKeyLeft = 37;
inline constexpr int kKeyUp = 38;
inline constexpr int kKeyRight = 39;
inline constexpr int kKeyDown = 40;
inline constexpr int kKeyA = 65;
inline constexpr int kKeyD = 68;
inline constexpr int kKeyS = 83;
inline constexpr int kKeyW = 87;

// The control actions; each is down while either of its keys is.
enum GameAction : int {
    kActionUp = 0,       // Up or W: menu cursor up
    kActionDown = 1,     // Down or S: menu cursor down, crouch, enter a level door
    kActionLeft = 2,     // Left or A: walk left
    kActionRight = 3,    // Right or D: walk right
    kActionSwitch = 4,   // Space: switch character
    kActionPause = 5,    // Enter: pause menu
    kActionBack = 6,     // Escape: back, leave the title
    kActionJump = 7,     // Up or W, as kActionUp
    kActionConfirm = 8,  // Space or Enter: choose in menus and front-end screens
};
