// editor_art.h — pictures the level files point to for the Tiled editor: the
// icons of the object sets and, until the real tile art is present, a plain
// stand-in for the tile graphics (same frame layout, tile_table.h).
#pragma once

#include "datagen/common/canvas.h"

namespace datagen {

// The image of object set `set` (an index into kObjectSets): its frames side
// by side, each drawn standing on the frame's bottom edge, centred.
Canvas MakeObjectSetImage(int set);

// A flat-coloured tile image with every frame of the layout in tile_table.h.
// `alt` draws the second world's warmer palette.
Canvas MakeStandInTiles(bool alt);

}  // namespace datagen
