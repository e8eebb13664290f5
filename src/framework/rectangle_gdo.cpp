// rectangle_gdo.cpp — see rectangle_gdo.h.
#include "framework/rectangle_gdo.h"

#include "graphics/graphics_context.h"

void c_RectangleGDO::Draw() {
    const float hw = width / 2;
    const float hh = height / 2;
    if (outlineOnly) {
        DrawLine(-hw, -hh, hw, -hh);
        DrawLine(hw, -hh, hw, hh);
        DrawLine(hw, hh, -hw, hh);
        DrawLine(-hw, hh, -hw, -hh);
    } else {
        DrawRect(-hw, -hh, width, height);
    }
}
