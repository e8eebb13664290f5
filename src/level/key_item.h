// key_item.h — c_KeyItem, a spinning key lying in a level (from the map, or
// from a breakable box). A character picks it up by touching its box, which
// is an obstacle that is neither solid nor raising events (the character's
// own contact event reports the touch).
#pragma once

#include "framework/absolute_gdo_vector.h"
#include "framework/sprite.h"
#include "framework/tween.h"
#include "level/basic_box_engine.h"

class c_KeyItem final : public c_Sprite {
public:
    static constexpr int kFrameWidth = 19;
    static constexpr int kFrameHeight = 17;
    // The idle bob: ±3 pixels around the resting y, 900 ms each way.
    static constexpr float kBobAmplitude = 3;
    static constexpr int kBobMs = 900;

    Ref<c_SimpleAbsoluteGDOVector> absPosition;
    Ref<c_CollisionBox> box;
    Ref<c_BasicBoxEngine> engine;
    // Null until StartBobbing.
    Ref<c_Tween> bobTween;
    // Said by the character that picks the key up (already translated);
    // empty says nothing.
    String message;

    c_KeyItem() : c_Sprite(nullptr, 10) {}

    String ToString() const override { return u"c_KeyItem"; }

    // Frames of "key.png" spinning, and the box (4 pixels smaller than the
    // frame each way) as an obstacle of `boxEngine`. Call once, on a key
    // made by New.
    void Init(const Ref<c_BasicBoxEngine>& boxEngine);
    // Init in two halves: Prepare makes everything (at a level's load, for a
    // key a box will drop), Place joins the engine (when the key appears),
    // so a key that appears during play allocates nothing.
    void Prepare();
    void Place(const Ref<c_BasicBoxEngine>& boxEngine);
    // Bobs around the current y from now on.
    void StartBobbing();
    // "KEY"; the box leaves the engine and the key leaves its parent.
    void PickUp();
    // The animation, the bob, then the absolute position the box follows.
    void Update(int elapsedMs) override;
};
