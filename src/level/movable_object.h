// movable_object.h — the level's boxes.
//
// c_MovableObject falls under gravity, rests on whatever the collision
// engine pushes it out of, slides away when a character walks into it
// (PushBox) unless something holds it, stops flush against what it slides
// into, and blocks characters and other boxes. It runs before the engine
// in each stage update, so it folds in the push (`correction`) of the
// engine's previous run. c_BreakableBox shatters on a hard landing: it stops
// blocking, raises kBoxBrokeEvent (the level stage puts a key there) and
// hides itself when the "break" animation ends.
//
// Ownership: a box owns its collision box and the absolute-position vector
// that box is relative to; the collision box refers back to its owner
// weakly. The engine is shared (the stage owns it); the box only holds it to
// register and unregister its collision box. The box's world crossing (the
// level stage) is a raw pointer: the stage owns the box through its tree,
// so it outlives it, and the box must not keep it alive.
#pragma once

#include "framework/absolute_gdo_vector.h"
#include "framework/sprite.h"
#include "level/basic_box_engine.h"
#include "level/world_crossing.h"

// Raised by a breakable box (as the source, no data) when it breaks.
inline constexpr int kBoxBrokeEvent = 101010;

class c_MovableObject : public c_Sprite {
public:
    static constexpr float kGravity = 700;       // px/s²
    static constexpr float kMaxFallSpeed = 400;  // px/s
    // A landing faster than this (px/s) is a hard one.
    static constexpr float kHardLanding = 100;
    // Horizontal speed kept per update.
    static constexpr float kFriction = 0.75f;
    // Below this horizontal speed (px/s) the box stops.
    static constexpr float kStopSpeed = 3;
    // Horizontal speed (px/s) a push gives.
    static constexpr float kPushSpeed = 300;
    // How far ahead (px) BlockedTowards looks, and how far up the box's side
    // (px) something must overlap it to block it.
    static constexpr float kBlockProbe = 0.1f;
    static constexpr float kBlockOverlap = 1;

    c_Vector velocity;  // px/s
    Ref<c_SimpleAbsoluteGDOVector> absPosition;
    Ref<c_CollisionBox> box;
    Ref<c_BasicBoxEngine> engine;
    // Asked after every move whether the box has left its world; null: the
    // box stays in its layer whatever happens.
    c_WorldCrossing* worldCrossing = nullptr;

    c_MovableObject() : c_Sprite(nullptr, 10) {}

    String ToString() const override { return u"c_MovableObject"; }

    // Starts the sprite on `tiles` at 10 frames per second with the
    // animation "idle" (frame 0) playing, makes the box (solid, silent,
    // the sprite's size) and registers it with `boxEngine` as an obstacle
    // and a mover, and keeps `crossing` as its world crossing. Call once, on
    // an object made by New.
    void Init(Ref<c_DrawableCollection> tiles, const Ref<c_BasicBoxEngine>& boxEngine,
              c_WorldCrossing* crossing = nullptr);

    // Gravity or landing, friction, the engine's last push, and the world
    // crossing.
    void Update(int elapsedMs) override;

    // Whether the box, as it stands, touches a static box or another solid
    // obstacle on its side towards `direction` (its sign: right when
    // positive), so that it cannot be pushed that way.
    bool BlockedTowards(float direction) const;

    // A hard landing: the "BOXFALL" sound.
    virtual void OnLand();
};

class c_BreakableBox final : public c_MovableObject, public c_EventListener {
public:
    static constexpr int kFrameWidth = 77;
    static constexpr int kFrameHeight = 23;

    // Set by the first hard landing; a broken box never breaks again.
    bool broken = false;

    String ToString() const override { return u"c_BreakableBox"; }

    // The movable box on "box_break.png" (77 x 23 frames) with the "break"
    // animation (frames 1 to 8), listening to its own animation ends; its
    // box shrinks to the 16 x 16 crate drawn in the frame, 2 pixels left of
    // and 4 below the frame's centre.
    void Init(const Ref<c_BasicBoxEngine>& boxEngine, c_WorldCrossing* crossing = nullptr);

    // Breaks: the "break" animation, no longer an obstacle (it still rests
    // on the ground as a mover), "BOXBREAK", and kBoxBrokeEvent.
    void OnLand() override;
    // Hides the box when "break" has played.
    void OnEvent(Object* source, int eventId, Object* data) override;
};

// A character walked into `target`; `amount` is the negated horizontal push
// the character received. A non-zero amount sends the box sliding away at
// kPushSpeed unless it is blocked that way; "PUSH" plays when it starts a
// push (the box was not already sliding that way), not while one goes on.
void PushBox(c_MovableObject& target, float amount);

// The box whose collision box a contact hit; null when it hit anything else.
// (The level stage pushes it when the character that hit it stands.)
Ref<c_MovableObject> ContactBox(const c_CollisionData& contact);
