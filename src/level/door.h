// door.h — c_Door, an exit door ("THE_DOOR", level -1) or a hub door that
// leads to a numbered level ("DOOR_" + level).
//
// The door's box is an obstacle that is neither solid nor raising events:
// a character can stand inside it, and the character's own contact event
// (100) tells the level stage it touches the door. Opening takes the box out
// of the engine; a door never closes again.
#pragma once

#include "framework/absolute_gdo_vector.h"
#include "framework/sprite.h"
#include "level/basic_box_engine.h"

class c_Door final : public c_Sprite {
public:
    static constexpr int kFrameWidth = 28;
    static constexpr int kFrameHeight = 44;
    // The level of an exit door.
    static constexpr int kExitLevel = -1;

    // -1 for the exit door, else the level it leads to.
    int level = kExitLevel;
    bool open = false;
    Ref<c_CollisionBox> box;
    Ref<c_BasicBoxEngine> engine;
    Ref<c_SimpleAbsoluteGDOVector> absPosition;

    c_Door() : c_Sprite(nullptr, 10) {}

    String ToString() const override { return u"c_Door"; }

    // Frames of "door.png", the animations "closed" (playing) and "open",
    // the box (an obstacle of `boxEngine`) and the level. Call once, on a
    // door made by New.
    void Init(const Ref<c_BasicBoxEngine>& boxEngine, int doorLevel);
    // Opens a closed door: its box leaves the engine and "open" plays.
    void OpenDoor();
    // The animation, then the absolute position the box follows.
    void Update(int elapsedMs) override;
};
