// level_host.h — what the map loader and the contact handling need from the
// level stage that plays the map.
//
// The level stage implements it; tests implement it with a small stand-in.
// It is an interface (no Object base): the stage's own object identity is
// reached through EventSource/ListenerRef.
#pragma once

#include "framework/interfaces.h"
#include "host/object.h"

class c_BasicBoxEngine;
class c_LevelSettings;
class c_TileMap;
class c_WorldCrossing;

class c_LevelHost : public c_EventListener {
public:
    // The level's collision engine; boxes, keys and doors register with it.
    virtual Ref<c_BasicBoxEngine> BoxEngine() = 0;
    // Receives the spawn point of the map.
    virtual c_LevelSettings& Settings() = 0;
    // The "solid_1" (world 1) or "solid_2" (world 2) layer; null while the
    // world has none.
    virtual c_TileMap* SolidLayer(int world) = 0;
    // What moves a box between the worlds; the loader gives it to every box
    // it makes. The host owns the boxes, so it outlives them.
    virtual c_WorldCrossing* WorldCrossing() = 0;
    // The number of the level being played (0 the hub).
    virtual int Level() const = 0;
    // Starts the fade that leaves the level for `nextLevel` (nothing while
    // one already runs).
    virtual void StartExit(int durationMs, int red, int green, int blue, int nextLevel) = 0;
    // The stage as the sender of its own events (event 12321 of the event
    // raisers) and as a registered listener.
    virtual Object* EventSource() = 0;
    virtual Ref<c_EventListener> ListenerRef() = 0;
};
