// level_settings.h — c_LevelSettings, what a level's map file says about
// the level (its map properties and the characters' spawn point).
#pragma once

#include "framework/geometry.h"
#include "host/object.h"

class c_LevelSettings final : public Object {
public:
    // 1: one character and one full-height window; 0: two half-height
    // windows from the start; anything else: two windows that slide in when
    // the level's event raiser fires.
    int gameMode = 0;
    // "snow" turns on snow and snow dust.
    String weather;
    // Chooses the parallax background.
    int bgType = 0;
    // The characters stay linked and cannot be switched.
    bool forcedSync = false;
    // Where both characters start, each in the solid layer of its own world.
    c_Vector spawn;

    String ToString() const override { return u"c_LevelSettings"; }
};
