// preview.h — one picture of a level's two worlds for designers: world 1 on
// top, world 2 below, with a column ruler between them and the objects drawn
// at the size and place the game gives them. Written to build/preview, never
// read by the game.
#pragma once

#include "datagen/common/canvas.h"
#include "datagen/levels/level_source.h"

namespace datagen {

// `tiles` and `altTiles` are the tile images of world 1 and world 2.
Canvas RenderPreview(const LevelSource& level, const Canvas& tiles, const Canvas& altTiles);

}  // namespace datagen
