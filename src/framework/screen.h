// screen.h — where the game's virtual screen lies on the device.
//
// The stage manager letterboxes the virtual screen (320 × 180 and friends)
// into the window, again on every frame so a resized window is followed at
// once (FitVirtualScreen below is the rule): it sets the offset and scale below, applies the visible
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

// How a virtual screen is scaled into the device.
enum class ScreenFit {
    // The largest scale that fits, fractions included.
    Fractional,
    // The largest whole-number scale that fits, so every art pixel covers
    // the same square of device pixels; a device smaller than the virtual
    // screen falls back to the fractional fit.
    WholePixels,
};

struct ScreenPlacement {
    float scale = 1;
    // Device pixels of the picture's top-left corner; whole pixels for a
    // whole-number scale, so the picture's edges are sharp.
    float offsetX = 0;
    float offsetY = 0;
};

// Where a virtualWidth × virtualHeight screen lies, centred, on a
// deviceWidth × deviceHeight device.
ScreenPlacement FitVirtualScreen(float deviceWidth, float deviceHeight, float virtualWidth, float virtualHeight,
                                 ScreenFit fit);

// The process-wide screen mapping.
GameScreen& Screen();
