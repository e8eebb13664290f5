// world_crossing.h — how a box that falls out of the bottom of its world
// drops in at the top of the other one.
//
// The two worlds of a level belong to the level stage, so boxes ask the
// stage now playing to move them (c_WorldCrossing). Only the level stage
// implements it; every other stage has no worlds and CurrentWorldCrossing()
// answers null. Tests can put a lookup of their own in place of the stage
// manager's (SetWorldCrossingSource).
#pragma once

#include <functional>

#include "framework/gdo.h"

class c_WorldCrossing {
public:
    virtual ~c_WorldCrossing() = default;
    // Moves `object` into the other world when it has fallen below the
    // bottom of its own; leaves anything else alone.
    virtual void CrossWorld(c_GDO& object) = 0;
};

// The crossing of the stage now playing (the stage manager's current stage
// when it implements c_WorldCrossing); null when there is none.
c_WorldCrossing* CurrentWorldCrossing();
// Replaces that lookup; null puts the stage manager's back.
void SetWorldCrossingSource(std::function<c_WorldCrossing*()> source);

// The crossing rule between two solid layers, each centred on its own
// origin: a child of `from` whose y lies below half of `from`'s height moves
// to the end of `to`'s children with y = -(height of `to`) / 2 (its top
// edge), x unchanged; likewise from `to` to `from`. True when it moved.
bool CrossBetweenLayers(c_GDO& object, c_GDO* from, c_GDO* to);
