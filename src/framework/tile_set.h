// tile_set.h — c_TileSet, a texture cut into equal cells, of which the
// selected one is drawn centred on the origin.
//
// Cells are numbered row by row. `spacingX`/`spacingY` is the gap after each
// cell; with `marginIsSpacing` the first cell also starts that far in.
#pragma once

#include "framework/interfaces.h"
#include "framework/texture.h"

class c_TileSet : public Object, public c_DrawableCollection, public c_Resource {
public:
    Ref<c_Texture> texture;
    int tileWidth = 0;
    int tileHeight = 0;
    int spacingX = 0;
    int spacingY = 0;
    bool marginIsSpacing = false;
    int columns = 0;
    int rows = 0;
    int tileCount = 0;
    int currentTile = 0;
    // Top-left pixel of the selected cell on the image.
    int sourceX = 0;
    int sourceY = 0;

    // A texture without an image is the runtime error "TileSet::Couldn't
    // retrieve texture's image".
    c_TileSet(Ref<c_Texture> tiles, int cellWidth, int cellHeight, int gapX = 0, int gapY = 0,
              bool marginFromSpacing = false);

    String ToString() const override { return u"c_TileSet"; }

    bool IsVisible() override { return true; }
    void Draw() override;
    float GetWidth() override { return static_cast<float>(tileWidth); }
    float GetHeight() override { return static_cast<float>(tileHeight); }
    int GetFrameCount() override { return tileCount; }
    // Selects a cell; the index is clamped into the cells there are.
    void SelectFrame(int index) override;
    // Discards the texture.
    void Discard() override;
};
