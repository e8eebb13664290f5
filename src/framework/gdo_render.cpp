// gdo_render.cpp — drawing a display tree (see gdo.h) and the culling test.
#include <algorithm>
#include <array>
#include <cmath>

#include "framework/color_stack.h"
#include "framework/gdo.h"
#include "framework/screen.h"
#include "graphics/graphics_context.h"

bool c_GDO::Render() {
    if (!IsVisible()) return false;
    PushMatrix();
    const float parentAlpha = GetAlpha();

    // Drawing at local point p lands at parent(T · S · R · p).
    Translate(position.x, position.y);
    if (scale.x != 1 || scale.y != 1) Scale(scale.x, scale.y);
    if (rotation != 0) Rotate(rotation);

    if (!alwaysDraw) {
        const std::array<float, 6> m = GetMatrix();
        UpdateBoundingCircle(m.data());
        if (!IsOnScreen(boundingCircle)) {
            PopMatrix();
            return false;
        }
    }

    colorstack::PushColor();
    colorstack::SetColor(tint.r, tint.g, tint.b);
    SetAlpha(std::clamp(alpha * parentAlpha, 0.0f, 1.0f));

    Draw();
    for (std::size_t i = 0; i < children.size(); ++i) {
        Ref<c_GDO> child = children[i];
        if (child->IsVisible()) child->Render();
    }

    SetAlpha(parentAlpha);
    PopMatrix();
    colorstack::PopColor();
    return true;
}

bool IsOnScreen(const c_Circle& circle) {
    const GameScreen& screen = Screen();
    float x = 0, y = 0, w = 0, h = 0;
    if (screen.visibleInForce) {
        x = screen.visibleX;
        y = screen.visibleY;
        w = screen.visibleWidth;
        h = screen.visibleHeight;
    } else if (const gxtkGraphics* device = GetGraphicsDevice()) {
        w = static_cast<float>(device->Width());
        h = static_cast<float>(device->Height());
    } else {
        return true;  // nothing to measure against (and nothing draws)
    }
    const float hw = w * 0.5f;
    const float hh = h * 0.5f;
    const float cx = x + hw;
    const float cy = y + hh;
    const float r = circle.radius;
    const c_Vector& c = circle.center;
    // Touching counts as inside.
    if (cx - hw > c.x + r || c.x - r > cx + hw) return false;
    if (cy - hh > c.y + r || c.y - r > cy + hh) return false;
    const float dx = c.x - cx;
    const float dy = c.y - cy;
    const float reach = r + std::sqrt(hw * hw + hh * hh);
    return dx * dx + dy * dy < reach * reach;
}
