// player_char.h — c_PlayerChar, one of a level's two characters.
//
// The character reads the keyboard and moves itself horizontally (with
// acceleration, friction, speed caps, jumping and crouching) and picks its
// animation from its motion. Its vertical motion and its collision response
// are applied after the collision engine has run (ApplyGravity and
// ApplyCorrection, called by ApplyTwinMotion in twin_motion.h), because two
// linked characters share their ground contact and their pushes. One stage
// update therefore runs:
//
//   character->Update(16);                  // with the display tree
//   engine->Update(16);                     // resolves bodyBox, groundProbe
//   ApplyTwinMotion(*character, twin);      // twin null with one character
//
// Ownership: the character owns its two collision boxes, its absolute
// position vector (which the body box is relative to), the speech bubble
// (which the stage places in the world) and its marker. The boxes refer
// back to the character weakly.
#pragma once

#include "framework/absolute_gdo_vector.h"
#include "framework/collapsible_panel.h"
#include "framework/sprite.h"
#include "framework/tween.h"
#include "level/collision_box.h"

class c_PlayerChar final : public c_Sprite {
public:
    enum AnimState : int {
        kIdle = 0,
        kWalk = 1,
        kRun = 2,
        kJump = 3,
        kFall = 4,
        kCrouch = 5,
        kLanding = 6,
    };

    // Tuning, in pixels, pixels per second and per second squared.
    static constexpr float kAcceleration = 220;
    static constexpr float kGroundMaxSpeed = 220;
    static constexpr float kAirMaxSpeed = 150;
    static constexpr float kJumpSpeed = -190;
    static constexpr float kJumpRunSpeed = 150;
    // At and above this speed the character runs; above kFastRun faster.
    static constexpr float kRunSpeed = 110;
    static constexpr float kFastRun = 165;
    static constexpr float kStopSpeed = 2;
    // Gravity is applied in a fixed step whatever time elapsed.
    static constexpr float kGravityStep = 11.2f;
    static constexpr float kMaxFallSpeed = 400;
    static constexpr float kFixedStep = 0.016f;
    static constexpr int kFrameMs = 66;
    static constexpr int kFastFrameMs = 50;

    Ref<c_CollisionBox> bodyBox;
    // Set by ApplyGravity.
    bool grounded = true;
    bool hasKey = false;
    // Cleared by every Update; the stage sets it while the body touches a
    // door in that update.
    bool touchingDoor = false;
    int animState = kIdle;
    bool inputEnabled = true;
    Ref<c_SimpleAbsoluteGDOVector> absPosition;
    c_Vector velocity;  // px/s
    // 1 right, -1 left.
    int facing = 1;
    // Absolute centre, one pixel below the body: pushed up by the engine
    // while the character stands on something.
    Ref<c_CollisionBox> groundProbe;
    // An inactive character ignores the keyboard and is drawn darkened.
    bool active = true;
    // The arrow above the head of a character that can be switched; null
    // otherwise.
    Ref<c_Sprite> marker;
    // Bobs the marker between y -20 and -22.
    Ref<c_Tween> markerTween;
    // The speech bubble; the stage puts it in the character's world and
    // keeps it above the head.
    Ref<c_DialogBubble> bubble;

    c_PlayerChar() : c_Sprite(nullptr, 10) {}

    String ToString() const override { return u"c_PlayerChar"; }

    // Loads `sheet` cut in frameWidth x frameHeight frames at 10 frames per
    // second with the six animations, makes the boxes (owned by this
    // character) and the speech bubble, and, with `withMarker`, the arrow
    // marker. Call once, on a character made by New.
    void Setup(StringView sheet, int frameWidth, int frameHeight, bool withMarker);

    // The character's own step: animation, input, horizontal motion, facing
    // and the choice of animation. It does not move vertically.
    void Update(int elapsedMs) override;
    // The vertical step (fixed 16 ms): ground contact, gravity, then y.
    void ApplyGravity(bool onGround);
    // Moves the character by a push of the collision engine; a sideways
    // push stops its horizontal motion.
    void ApplyCorrection(c_Vector push);
    // Whether the engine pushed the ground probe up in its last update.
    bool StandsOnGround() const { return groundProbe && groundProbe->correction.y < 0; }
    void SetAnimState(int newState);
    // Shows `text` in the bubble for `ms` milliseconds.
    void Say(StringView text, int ms);

private:
    bool AnimationPlaying() const { return this->state == kPlaying; }
    // State 5 or 6 whose crouch frames are still showing.
    bool Squatting() const { return (animState == kCrouch || animState == kLanding) && AnimationPlaying(); }
    void ReadInput(float dt);
    void ChooseAnimation();
    void PlaceProbe();
};
