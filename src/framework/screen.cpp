// screen.cpp — see screen.h.
#include "framework/screen.h"

#include <algorithm>
#include <cmath>

GameScreen& Screen() {
    static GameScreen screen;
    return screen;
}

ScreenPlacement FitVirtualScreen(float deviceWidth, float deviceHeight, float virtualWidth, float virtualHeight,
                                 ScreenFit fit) {
    ScreenPlacement placement;
    if (virtualWidth <= 0 || virtualHeight <= 0) return placement;
    const float fractional = std::min(deviceWidth / virtualWidth, deviceHeight / virtualHeight);
    const float whole = std::floor(fractional);
    if (fit == ScreenFit::WholePixels && whole >= 1) {
        placement.scale = whole;
        placement.offsetX = std::floor((deviceWidth - whole * virtualWidth) / 2);
        placement.offsetY = std::floor((deviceHeight - whole * virtualHeight) / 2);
    } else {
        placement.scale = fractional;
        placement.offsetX = (deviceWidth - fractional * virtualWidth) / 2;
        placement.offsetY = (deviceHeight - fractional * virtualHeight) / 2;
    }
    return placement;
}
