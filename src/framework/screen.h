// screen.h — where the game's virtual screen lies on the device.
//
// The stage manager letterboxes the virtual screen (320 × 180 and friends)
// into the window: it sets the offset and scale below, applies the visible
// rectangle as the scissor (and marks it in force) while a stage draws, and
// clears the mark when it resets the scissor to the whole device. Windows
// (framework/window.h) place their viewports with these values, and culling
// tests against the visible rectangle while it is in force.
#pragma once

#include "framework/geometry.h"

struct GameScreen {
    // Device pixels of the virtual screen's top-left corner.
    c_Vector offset;
    // Device pixels per virtual pixel.
    c_Vector scale{1, 1};
    // The device area the virtual screen covers.
    float visibleX = 0;
    float visibleY = 0;
    float visibleWidth = 0;
    float visibleHeight = 0;
    // Whether the visible rectangle is the scissor right now.
    bool visibleInForce = false;

    void SetVisibleRect(float x, float y, float width, float height) {
        visibleX = x;
        visibleY = y;
        visibleWidth = width;
        visibleHeight = height;
    }
};

// The process-wide screen mapping.
GameScreen& Screen();
