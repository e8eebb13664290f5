// window_limits.cpp — see window_limits.h.
#include "level/window_limits.h"

Ref<c_WindowLimits> MakeWindowLimits(c_Window& window, c_GDO& area) {
    c_Vector centre = area.position;
    if (area.parent) {
        centre.x += area.parent->position.x;
        centre.y += area.parent->position.y;
    }
    const float halfAreaW = area.GetWidth() / 2, halfAreaH = area.GetHeight() / 2;
    const float halfWinW = window.GetWidth() / 2, halfWinH = window.GetHeight() / 2;
    window.limits = New<c_WindowLimits>(centre.x - halfAreaW + halfWinW, centre.x + halfAreaW - halfWinW,
                                        centre.y - halfAreaH + halfWinH, centre.y + halfAreaH - halfWinH);
    window.SetCameraX(0);
    window.SetCameraY(0);
    return window.limits;
}
