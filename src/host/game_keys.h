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

// Gamepad controls, from whichever pad (the input device folds every
// connected pad into these): the directions are the D-pad or the left stick;
// the face buttons go by position (south is A on most pads).
inline constexpr int kPadLeft = 448;
inline constexpr int kPadRight = 449;
inline constexpr int kPadUp = 450;
inline constexpr int kPadDown = 451;
inline constexpr int kPadSouth = 452;
inline constexpr int kPadEast = 453;
inline constexpr int kPadWest = 454;
inline constexpr int kPadNorth = 455;
inline constexpr int kPadStart = 456;

// The control actions; each is down while any of its keys is. A pad has
// fewer buttons than a keyboard, so one pad button drives two actions that
// are never read on the same screen: A jumps in a level and confirms in a
// menu, B crouches in a level and backs out of a menu.
enum GameAction : int {
    kActionUp = 0,       // Up or W, pad up: menu cursor up
    kActionDown = 1,     // Down or S, pad down: menu cursor down
    kActionLeft = 2,     // Left or A, pad left: walk left
    kActionRight = 3,    // Right or D, pad right: walk right
    kActionSwitch = 4,   // Space, pad X or Y: switch character
    kActionPause = 5,    // Enter, pad Start: pause menu
    kActionBack = 6,     // Escape, pad B: back, leave the title
    kActionJump = 7,     // Up or W (as kActionUp), pad A
    kActionConfirm = 8,  // Space or Enter, pad A or Start: choose in menus and front-end screens
    kActionCrouch = 9,   // Down or S (as kActionDown), pad down or B: crouch, enter a level door
};
