// door.cpp — a door's sprite and its non-solid, silent box, opening (the
// box leaves the engine for good) and keeping the box's position current.
#include "level/door.h"

#include "framework/tile_set.h"

void c_Door::Init(const Ref<c_BasicBoxEngine>& boxEngine, int doorLevel) {
    frames = New<c_TileSet>(GetTexture(u"door.png"), kFrameWidth, kFrameHeight);
    AddSequence(u"closed", {0}, false);
    AddSequenceRange(u"open", 1, 10, false);
    engine = boxEngine;
    absPosition = New<c_SimpleAbsoluteGDOVector>();
    absPosition->SetTarget(this);
    box = MakeObjectBox(0, 0, GetWidth(), GetHeight(), absPosition);
    box->solid = false;
    box->raisesEvents = false;
    box->owner = weak_from_this();
    if (engine) engine->AddObstacle(box);
    level = doorLevel;
    open = false;
    Play(u"closed");
}

void c_Door::OpenDoor() {
    if (open) return;
    open = true;
    if (engine && box) engine->RemoveObstacle(box.get());
    Play(u"open");
}

void c_Door::Update(int elapsedMs) {
    c_Sprite::Update(elapsedMs);
    if (absPosition) absPosition->Refresh();
}
