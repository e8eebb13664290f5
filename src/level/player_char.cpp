// player_char.cpp — see player_char.h.
#include "level/player_char.h"

#include <algorithm>
#include <cmath>

#include "framework/audio_manager.h"
#include "framework/ease.h"
#include "framework/game.h"
#include "framework/tile_set.h"
#include "host/input_device.h"

namespace {


constexpr c_RGB kActiveTint{255, 255, 255};
constexpr c_RGB kInactiveTint{64, 64, 64};

}  // namespace

void c_PlayerChar::Setup(StringView sheet, int frameWidth, int frameHeight, bool withMarker) {
    frames = New<c_TileSet>(GetTexture(sheet), frameWidth, frameHeight);
    frameDuration = 100;
    AddSequence(u"idle", {0}, false);
    AddSequenceRange(u"jump", 1, 3, false);
    AddSequenceRange(u"fall", 4, 5, false);
    AddSequence(u"crouch", {6, 0}, false);
    AddSequenceRange(u"run", 7, 13, true);
    AddSequenceRange(u"walk", 14, 20, true);

    absPosition = New<c_SimpleAbsoluteGDOVector>(this);
    velocity = c_Vector();
    facing = 1;
    const float w = static_cast<float>(frameWidth), h = static_cast<float>(frameHeight);
    bodyBox = MakeObjectBox(0, 0, w - 6, h, absPosition);
    bodyBox->owner = weak_from_this();
    groundProbe = New<c_CollisionBox>(0, 0, w - 8, h);
    groundProbe->owner = weak_from_this();
    PlaceProbe();
    active = true;
    grounded = true;
    hasKey = false;
    touchingDoor = false;
    inputEnabled = true;
    bubble = New<c_DialogBubble>(Game().textFont);

    if (withMarker) {
        marker = New<c_Sprite>(New<c_TileSet>(GetTexture(u"arrow_mark.png"), 9, 9), 10);
        marker->AddSequenceRange(u"spin", 0, 3, true);
        marker->Play(u"spin");
        marker->position.Set(1, -20);
        AddChild(marker);
        markerTween = New<c_Tween>(c_CubicEaseInOut::Shared(), -20.0f, -22.0f, 300, true, true);
        markerTween->Start();
    }
}

void c_PlayerChar::PlaceProbe() {
    if (!groundProbe || !absPosition) return;
    groundProbe->centre.Set(absPosition->x, absPosition->y + 1);
}

void c_PlayerChar::Update(int elapsedMs) {
    const float dt = static_cast<float>(elapsedMs) / 1000.0f;
    touchingDoor = false;
    if (marker) marker->visible = active;
    c_Sprite::Update(elapsedMs);
    if (marker && markerTween) {
        markerTween->Update(elapsedMs);
        marker->position.y = markerTween->value;
    }
    tint = active ? kActiveTint : kInactiveTint;

    if (active && inputEnabled) {
        ReadInput(dt);
    } else {
        velocity.x = 0;
    }
    if (std::fabs(velocity.x) < kStopSpeed) velocity.x = 0;

    position.x += velocity.x * dt;
    if (absPosition) absPosition->Refresh();
    PlaceProbe();

    if (velocity.x != 0) facing = velocity.x < 0 ? -1 : 1;
    scale.x = static_cast<float>(facing);
    frameDuration = kFrameMs;
    ChooseAnimation();
}

void c_PlayerChar::ReadInput(float dt) {
    int direction = 0;
    if (ActionDown(kActionRight)) direction = 1;
    if (ActionDown(kActionLeft)) direction = -1;

    // Also true with no direction held, so letting go brakes twice on the
    // ground and once in the air.
    if (direction != facing) velocity.x *= 0.5f;
    velocity.x += static_cast<float>(direction) * kAcceleration * dt;
    if (direction == 0 && grounded) velocity.x *= 0.5f;

    if (grounded) {
        if (ActionHit(kActionJump)) {
            velocity.y = kJumpSpeed;
            velocity.x = static_cast<float>(direction) * kJumpRunSpeed;
            grounded = false;
        } else if (ActionHit(kActionCrouch)) {
            velocity.x = 0;
            if (animState != kJump && !Squatting()) {
                Play(u"crouch");
                animState = kCrouch;
            }
        }
        velocity.x = std::clamp(velocity.x, -kGroundMaxSpeed, kGroundMaxSpeed);
    }
    if (!grounded) velocity.x = std::clamp(velocity.x, -kAirMaxSpeed, kAirMaxSpeed);
}

void c_PlayerChar::ChooseAnimation() {
    const float speed = std::fabs(velocity.x);
    if (grounded) {
        if (speed == 0) {
            if (animState == kIdle || animState == kJump || Squatting()) return;
            if (animState == kFall) {
                SetAnimState(kLanding);
                return;
            }
            Play(u"idle");
            animState = kIdle;
        } else if (speed < kRunSpeed) {
            if (animState == kWalk || animState == kJump || Squatting()) return;
            Play(u"walk");
            animState = kWalk;
        } else {
            if (speed > kFastRun) frameDuration = kFastFrameMs;
            if (animState == kRun || animState == kJump || Squatting()) return;
            Play(u"run");
            animState = kRun;
        }
    } else if (velocity.y <= 0) {
        if (animState == kJump || Squatting()) return;
        AudioManager::PlaySFX(u"JUMP");
        Play(u"jump");
        animState = kJump;
    } else {
        SetAnimState(kFall);
    }
}

void c_PlayerChar::SetAnimState(int newState) {
    if (newState == animState || Squatting()) return;
    // A jump only ends in a fall.
    if (animState == kJump && newState != kFall) return;
    switch (newState) {
        case kIdle:
            if (animState == kFall) {
                newState = kLanding;
                Play(u"crouch");
            } else {
                Play(u"idle");
            }
            break;
        case kWalk: Play(u"walk"); break;
        case kRun: Play(u"run"); break;
        case kJump:
            AudioManager::PlaySFX(u"JUMP");
            Play(u"jump");
            break;
        case kFall: Play(u"fall"); break;
        case kCrouch:
        case kLanding: Play(u"crouch"); break;
        default: break;
    }
    animState = newState;
}

void c_PlayerChar::ApplyGravity(bool onGround) {
    grounded = onGround;
    if (!grounded) {
        velocity.y = std::min(velocity.y + kGravityStep, kMaxFallSpeed);
    } else if (velocity.y >= 0) {
        velocity.y = 0;  // a rising character keeps its speed
    }
    position.y += velocity.y * kFixedStep;
    if (absPosition) absPosition->Refresh();
    PlaceProbe();
}

void c_PlayerChar::ApplyCorrection(c_Vector push) {
    position.x += push.x;
    position.y += push.y;
    if (push.x != 0) velocity.x = 0;
    if (absPosition) absPosition->Refresh();
    PlaceProbe();
}

void c_PlayerChar::Say(StringView text, int ms) {
    if (bubble) bubble->Show(text, ms);
}
