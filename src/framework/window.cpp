// window.cpp — see window.h.
#include "framework/window.h"

#include <algorithm>
#include <cmath>

#include "framework/screen.h"
#include "graphics/graphics_context.h"

namespace {

// Clamped the game's way: below the minimum gives the minimum even when the
// range is empty (minimum > maximum).
float ClampTo(float v, float lo, float hi) {
    if (v < lo) return lo;
    if (v > hi) return hi;
    return v;
}

}  // namespace

c_Window::~c_Window() = default;

void c_Window::Update(int) {
    if (followTarget) Follow(followTarget->x, followTarget->y, followFactor, followMaxStep, deadZone);
}

void c_Window::BeginView() {
    GameScreen& screen = Screen();
    screenOrigin.Set((position.x - size.x * 0.5f) * screen.scale.x, (position.y - size.y * 0.5f) * screen.scale.y);
    SetScissor(screenOrigin.x + screen.offset.x, screenOrigin.y + screen.offset.y, size.x * screen.scale.x,
               size.y * screen.scale.y);
    // What lies outside the view is culled, not only clipped: a stage draws
    // its whole tree into every view.
    savedVisible = {screen.visibleX, screen.visibleY, screen.visibleWidth, screen.visibleHeight};
    const std::array<float, 4> view = GetScissor();
    const float left = std::max(view[0], screen.visibleX), top = std::max(view[1], screen.visibleY);
    const float right = std::min(view[0] + view[2], screen.visibleX + screen.visibleWidth);
    const float bottom = std::min(view[1] + view[3], screen.visibleY + screen.visibleHeight);
    screen.SetVisibleRect(left, top, std::max(right - left, 0.0f), std::max(bottom - top, 0.0f));
    PushMatrix();
    // Whole pixels keep the tiles of a scrolling world from shimmering.
    Translate(std::ceil(position.x), std::ceil(position.y));
    Rotate(rotation);
    Scale(scale.x, scale.y);
    Translate(std::ceil(-camera.x), std::ceil(-camera.y));
    savedMatrix = GetMatrix();
}

void c_Window::EndView() {
    PopMatrix();
    if (effectsEnabled && !effects.empty()) ApplyEffects();
    GameScreen& screen = Screen();
    screen.SetVisibleRect(savedVisible[0], savedVisible[1], savedVisible[2], savedVisible[3]);
    SetScissor(screen.visibleX, screen.visibleY, screen.visibleWidth, screen.visibleHeight);
    screen.visibleInForce = true;
}

void c_Window::ApplyEffects() {
    // The view is read back in device pixels (its scissor rectangle) and
    // drawn back one device pixel per image pixel, so effects see the
    // picture as it is on screen at any letterbox scale.
    const GameScreen& screen = Screen();
    const int x = static_cast<int>(screenOrigin.x + screen.offset.x);
    const int y = static_cast<int>(screenOrigin.y + screen.offset.y);
    const int w = static_cast<int>(size.x * screen.scale.x);
    const int h = static_cast<int>(size.y * screen.scale.y);
    if (w <= 0 || h <= 0) return;
    const auto count = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
    if (pixels.size() != count) pixels.assign(count, 0);
    ReadPixels(std::span<int>(pixels.data(), pixels.size()), x, y, w, h, 0, w);
    for (const auto& effect : effects) {
        if (effect) effect->Process(pixels.data(), w, h);
    }
    if (!effectImage || effectImage->Width() != w || effectImage->Height() != h) {
        effectImage = CreateImage(w, h, 1, 0);
        if (!effectImage) return;
    }
    WritePixels(effectImage.get(), std::span<const int>(pixels.data(), pixels.size()), 0, 0, w, h, 0, w);
    const float previousAlpha = GetAlpha();
    SetAlpha(effectAlpha);
    PushMatrix();
    Translate(position.x - size.x * 0.5f, position.y - size.y * 0.5f);
    Scale(1.0f / screen.scale.x, 1.0f / screen.scale.y);
    DrawImage(effectImage.get(), 0, 0);
    PopMatrix();
    SetAlpha(previousAlpha);
}

bool c_Window::Follow(float targetX, float targetY, float factor, float maxStep, float deadZoneSize) {
    const float dx = targetX - camera.x;
    const float dy = targetY - camera.y;
    const float f = std::clamp(factor, 0.0f, 1.0f);
    const float z = std::max(deadZoneSize, 0.0f);
    const float s = maxStep;
    auto stepOf = [s](float distance) { return std::max(0.0f, std::min(distance, s)); };
    if (followMode == 1) {
        const float length = std::sqrt(dx * dx + dy * dy);
        // On the target there is no direction to move in.
        if (z > length || length == 0) return true;
        const float step = stepOf(length * f);
        SetCameraX(camera.x + dx * step / length);
        SetCameraY(camera.y + dy * step / length);
        return false;
    }
    if (std::fabs(dx) >= z || std::fabs(dy) >= z) {
        SetCameraX(camera.x + Sign(dx) * stepOf(f * std::fabs(dx)));
        SetCameraY(camera.y + Sign(dy) * stepOf(f * std::fabs(dy)));
        return false;
    }
    return true;
}

bool c_Window::SetCameraX(float x) {
    camera.x = std::floor(x);
    if (limits) camera.x = ClampTo(x, limits->minX, limits->maxX);
    return camera.x == x;
}

bool c_Window::SetCameraY(float y) {
    camera.y = std::floor(y);
    if (limits) camera.y = ClampTo(y, limits->minY, limits->maxY);
    return camera.y == y;
}
