// object_sets.h — the tile sets that stand for the level's objects.
//
// The game recognises an object by its tile set's name and its frame in that
// set ("ObjectSet_2" is a key), so names and frame orders are fixed. The
// images are editor icons only; the game draws the objects with its own art.
// A set's tile width matters to the game too: it places an object's centre
// half a tile right of the object's x (Tiled anchors tile objects at their
// bottom-left corner).
#pragma once

#include <array>

#include "datagen/levels/level_source.h"

namespace datagen {

struct ObjectSetInfo {
    const char* name;
    int tileWidth, tileHeight;
    int count;          // frames, in one row
    const char* image;  // file name of the editor image (data/editor/)
};

// In the order the maps list them, after the tile graphics.
inline constexpr std::array<ObjectSetInfo, 4> kObjectSets = {{
    {"ObjectSet", 16, 16, 9, "objectset.png"},
    {"FlowerSet", 16, 16, 1, "flowerset.png"},
    {"WaterSet", 16, 16, 3, "waterset.png"},
    {"TreeSet", 40, 56, 4, "treeset.png"},  // the tree images' size
}};

struct ObjectTile {
    int set;    // index into kObjectSets
    int frame;  // frame within the set
};

inline ObjectTile ObjectTileOf(const PlacedObject& obj) {
    switch (obj.kind) {
        case ObjectKind::Flower: return {1, 0};
        case ObjectKind::WaterTop: return {2, 0};
        case ObjectKind::WaterBody: return {2, 1};
        case ObjectKind::WaterBottom: return {2, 2};
        case ObjectKind::Tree: return {3, obj.variant - 1};
        default: return {0, static_cast<int>(obj.kind)};  // Spawn .. Trigger are frames 0 .. 8
    }
}

}  // namespace datagen
