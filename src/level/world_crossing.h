// world_crossing.h — how a box that falls out of the bottom of its world
// drops in at the top of the other one.
//
// The two worlds of a level belong to the level stage, so a box asks the
// stage that placed it to move it (c_WorldCrossing): the map loader hands
// each box its level host's crossing when it makes the box. Only the level
// stage implements it; tests give a box a crossing of their own.
#pragma once

#include "framework/gdo.h"

class c_WorldCrossing {
public:
    virtual ~c_WorldCrossing() = default;
    // Moves `object` into the other world when it has fallen below the
    // bottom of its own; leaves anything else alone.
    virtual void CrossWorld(c_GDO& object) = 0;
};

// The crossing rule between two solid layers, each centred on its own
// origin: a child of `from` whose y lies below half of `from`'s height moves
// to the end of `to`'s children with y = -(height of `to`) / 2 (its top
// edge), x unchanged; likewise from `to` to `from`. True when it moved.
bool CrossBetweenLayers(c_GDO& object, c_GDO* from, c_GDO* to);
