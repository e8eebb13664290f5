// key_item.cpp — a key's spinning sprite and non-solid, silent box, its
// bobbing up and down, and its pick-up (the "KEY" sound, out of the engine
// and out of the tree).
#include "level/key_item.h"

#include "framework/audio_manager.h"
#include "framework/ease.h"
#include "framework/tile_set.h"

void c_KeyItem::Init(const Ref<c_BasicBoxEngine>& boxEngine) {
    Prepare();
    Place(boxEngine);
}

void c_KeyItem::Prepare() {
    frames = New<c_TileSet>(GetTexture(u"key.png"), kFrameWidth, kFrameHeight);
    AddSequenceRange(u"spin", 0, 7, true);
    Play(u"spin");
    absPosition = New<c_SimpleAbsoluteGDOVector>();
    absPosition->SetTarget(this);
    box = MakeObjectBox(0, 0, GetWidth() - 4, GetHeight() - 4, absPosition);
    box->solid = false;
    box->raisesEvents = false;
    box->owner = weak_from_this();
    bobTween = New<c_Tween>();
}

void c_KeyItem::Place(const Ref<c_BasicBoxEngine>& boxEngine) {
    engine = boxEngine;
    if (engine) engine->AddObstacle(box);
}

void c_KeyItem::StartBobbing() {
    // Back and forth rather than restarting at the top, so the key never
    // jumps. The tween made by Prepare is set up again, not replaced.
    if (!bobTween) bobTween = New<c_Tween>();
    bobTween->Setup(c_QuadraticEaseInOut::Shared(), position.y - kBobAmplitude, position.y + kBobAmplitude, kBobMs,
                    true, true);
    bobTween->Start();
}

void c_KeyItem::PickUp() {
    AudioManager::PlaySFX(u"KEY");
    if (engine && box) engine->RemoveObstacle(box.get());
    RemoveFromParent();
}

void c_KeyItem::Update(int elapsedMs) {
    c_Sprite::Update(elapsedMs);
    if (bobTween) {
        bobTween->Update(elapsedMs);
        position.y = bobTween->value;
    }
    if (absPosition) absPosition->Refresh();
}
