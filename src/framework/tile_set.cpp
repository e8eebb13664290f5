// tile_set.cpp — see tile_set.h.
#include "framework/tile_set.h"

#include <algorithm>

#include "graphics/graphics_context.h"
#include "host/files.h"
#include "host/runtime_error.h"

c_TileSet::c_TileSet(Ref<c_Texture> tiles, int cellWidth, int cellHeight, int gapX, int gapY, bool marginFromSpacing)
    : texture(std::move(tiles)),
      tileWidth(cellWidth),
      tileHeight(cellHeight),
      spacingX(gapX),
      spacingY(gapY),
      marginIsSpacing(marginFromSpacing) {
    if (!texture || !texture->image) {
        ReadingFile reading(texture ? FixDataPath(texture->path) : String());
        RuntimeError("TileSet::Couldn't retrieve texture's image");
    }
    const int stepX = tileWidth + spacingX;
    const int stepY = tileHeight + spacingY;
    // A cell size that does not advance cuts no cells (rather than dividing
    // by zero).
    columns = stepX > 0 ? texture->image->Width() / stepX : 0;
    rows = stepY > 0 ? texture->image->Height() / stepY : 0;
    tileCount = columns * rows;
}

void c_TileSet::SelectFrame(int index) {
    // An image narrower or shorter than one cell cuts no cells: there is
    // nothing to select (and no column count to divide by).
    if (tileCount <= 0 || columns <= 0 || rows <= 0) return;
    index = std::clamp(index, 0, std::min(tileCount, columns * rows) - 1);
    currentTile = index;
    const int column = index % columns;
    const int row = (index - column) / columns;
    const int marginX = marginIsSpacing ? spacingX : 0;
    const int marginY = marginIsSpacing ? spacingY : 0;
    sourceX = (tileWidth + spacingX) * column + marginX;
    sourceY = (tileHeight + spacingY) * row + marginY;
}

void c_TileSet::Draw() {
    if (!texture || !texture->image || tileCount <= 0 || columns <= 0 || rows <= 0) return;
    c_Image* image = texture->image.get();
    image->SetImageHandle(tileWidth * 0.5f, tileHeight * 0.5f);
    DrawImagePart(image, 0, 0, sourceX, sourceY, tileWidth, tileHeight, 0);
}

void c_TileSet::Discard() {
    if (texture) texture->Discard();
    texture = nullptr;
}
