// standard_gamepad.h — a browser gamepad read as the game's pad layout.
//
// Browsers report a recognised pad in the W3C "standard" mapping: buttons
// 0-3 are the face buttons south, east, west, north, 4-7 the bumpers and
// triggers, 8 and 9 back and start, 10 and 11 the stick clicks, 12-15 the
// D-pad up, down, left, right and 16 the guide button; axes 0-3 are the two
// sticks with +y down. The web build's window system hands these over as a
// plain joystick (axes and pressed buttons, in that order), and this folds
// them into the same GamepadState the desktop's mapping database fills, so
// one set of game controls serves both.
#pragma once

#include <vector>

#include "host/platform.h"

// Fills `pad` from a standard-mapping reading. Missing axes read 0 and
// missing buttons released; the triggers, which the standard mapping makes
// buttons, read 1 held and -1 released, as the desktop's trigger axes rest.
void MapStandardGamepad(const std::vector<float>& axes, const std::vector<unsigned char>& buttons, GamepadState& pad);
