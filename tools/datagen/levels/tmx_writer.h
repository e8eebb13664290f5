// tmx_writer.h — writes a level as a Tiled map in the subset the game loads.
//
// Layers, in file order: base_1, solid_1, front_1 (world 1) then base_2,
// solid_2, front_2 (world 2). Each world skips the other's base layer, and
// the other layers require their world's base layer, so one file gives two
// worlds. Object groups are bound to a layer by their "layer" property:
// gameplay objects to the solid layer, scenery to the base layer. World 2's
// layers are shifted down in the editor (layer offsets, which the game
// ignores) so the two worlds show one above the other.
#pragma once

#include <string>

#include "datagen/levels/level_source.h"

namespace datagen {

// The first gid of the tile graphics and of each object set, in file order.
struct GidLayout {
    int tilesFirst = 1;
    int setFirst[4] = {};
};
GidLayout MakeGidLayout();

// Where the game will put an object: its centre x and bottom y in map pixels
// from the map's top-left corner.
struct ObjectPlace {
    int centreX, bottomY;
};
ObjectPlace PlaceOf(const PlacedObject& obj);

// Image files the map's tile sets name. The game reads only `tiles` (through
// its scrambled twin); the others are for the editor.
struct TmxImages {
    std::string tiles;
    std::string sets[4];  // in the order of kObjectSets
};
// Paths for a map in the data folder, and for its editor copy in data/editor
// (where a plain copy of the tile image lives beside it).
TmxImages GameMapImages();
TmxImages EditorMapImages();

// `note` goes into the comment at the top of the file.
std::string WriteTmx(const LevelSource& level, const TmxImages& images, const std::string& note);

}  // namespace datagen
