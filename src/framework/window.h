// window.h — c_Window, a clipped camera view onto a stage's world.
//
// The window's `position` is the centre of its viewport on the virtual
// screen and `size` its extent; `camera` is the world point shown at the
// viewport's centre. The stage draws its world between BeginView and EndView
// of each window. A window has no children and owns nothing of the world.
//
// The camera can chase a target (Follow, or `followTarget` every update)
// and is held inside `limits` when they are set. A follow target is a
// shared vector: a c_SimpleAbsoluteGDOVector, or an aliasing Ref into the
// object that carries the position.
//
// `effects` post-process the finished view: its pixels are read back,
// handed to each processor, and drawn over the view with `effectAlpha`.
#pragma once

#include <array>
#include <vector>

#include "framework/gdo_base.h"

class c_Image;

// The range in which a window's camera centre may move.
class c_WindowLimits : public Object {
public:
    float minX = 0;
    float maxX = 0;
    float minY = 0;
    float maxY = 0;

    c_WindowLimits() = default;
    c_WindowLimits(float minX_, float maxX_, float minY_, float maxY_)
        : minX(minX_), maxX(maxX_), minY(minY_), maxY(maxY_) {}
    String ToString() const override { return u"c_WindowLimits"; }
};

class c_Window : public c_GDOBase, public c_Resource {
public:
    // Viewport width and height in virtual pixels.
    c_Vector size;
    // Top-left corner of the viewport in device pixels (worked out by
    // BeginView, without the screen offset).
    c_Vector screenOrigin;
    c_Vector camera;
    std::array<float, 6> savedMatrix{1, 0, 0, 1, 0, 0};
    // The screen's visible rectangle while the view narrows it to itself.
    std::array<float, 4> savedVisible{0, 0, 0, 0};
    bool effectsEnabled = false;
    std::vector<Ref<c_IntBufferProcessor>> effects;
    std::vector<std::int32_t> pixels;
    Ref<c_Image> effectImage;
    float effectAlpha = 1;
    Ref<c_WindowLimits> limits;
    // 1: circular dead zone; anything else: a dead zone per axis.
    int followMode = 0;
    Ref<c_Vector> followTarget;
    // Fraction of the remaining distance covered per update (0..1).
    float followFactor = 0;
    // Largest camera move per update.
    float followMaxStep = 0;
    // Distance under which the camera does not move.
    float deadZone = 0;

    c_Window(float width, float height) : size(width, height) {}
    ~c_Window() override;

    String ToString() const override { return u"c_Window"; }
    float GetWidth() override { return size.x; }
    float GetHeight() override { return size.y; }
    // Follows `followTarget` when set.
    void Update(int elapsedMs) override;
    void Discard() override {}

    // Clips and culls to the viewport (it is the screen's visible rectangle
    // until EndView) and sets the view matrix (the caller draws the world,
    // then calls EndView).
    void BeginView();
    void EndView();
    // Moves the camera toward (targetX, targetY); true when it stayed put.
    bool Follow(float targetX, float targetY, float factor, float maxStep, float deadZoneSize);
    // Set the camera (floored, or clamped into the limits when set); true
    // when the value was taken unchanged.
    bool SetCameraX(float x);
    bool SetCameraY(float y);

private:
    void ApplyEffects();
};
