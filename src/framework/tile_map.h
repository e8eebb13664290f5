// tile_map.h — c_TileMap, one tile layer of a level: a grid of cells, each a
// frame of one tile set (-1 = empty), drawn centred on the layer's origin.
//
// The map loader fills `tiles` directly (row-major, index = row × tilesWide
// + column); the collision engine and the snow read it. Drawing culls per
// chunk: the layer is cut into at most 4 × 4 chunks, and a chunk whose
// bounding circle misses the scissor rectangle costs nothing. A cell may be
// drawn mirrored or turned (the map editor's flips); the collision engine
// sees only its frame.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/gdo.h"
#include "framework/tile_set.h"

class c_TileMap : public c_GDO {
public:
    // Most chunks per axis.
    static constexpr int kMaxChunks = 4;
    // Flip bits of a cell: mirrored across its diagonal (x and y swapped)
    // first, then left to right, then top to bottom.
    static constexpr std::uint8_t kFlipHorizontal = 1;
    static constexpr std::uint8_t kFlipVertical = 2;
    static constexpr std::uint8_t kFlipDiagonal = 4;

    int tilesWide = 0;
    int tilesHigh = 0;
    std::vector<int> tiles;
    // Flip bits per cell, indexed like `tiles`; empty while no cell is
    // flipped, so a plain layer draws every cell the direct way.
    std::vector<std::uint8_t> flips;
    int chunkCols = 0;
    int chunkRows = 0;
    int chunkTilesWide = 0;
    int chunkTilesHigh = 0;
    Ref<c_TileSet> tileSet;
    // The tile set's frame size, copied when it is assigned (0 without one).
    int tileWidth = 0;
    int tileHeight = 0;
    // Scratch circle of the chunk visibility test.
    c_Circle cullCircle;

    String ToString() const override { return u"c_TileMap"; }

    // Assigns the tile set, sizes `tiles` (the same array is kept when the
    // size does not change) with every cell empty, and works out the chunks.
    // Negative sizes count as 0. No cell is flipped afterwards.
    void Setup(Ref<c_TileSet> frames, int wide, int high);

    // Sets a cell's flip bits (ignored outside `tiles`).
    void SetFlip(std::size_t index, std::uint8_t flip);

    // The layer's size in pixels (0 × 0 without a tile set).
    float GetWidth() override { return static_cast<float>(tileWidth) * tilesWide; }
    float GetHeight() override { return static_cast<float>(tileHeight) * tilesHigh; }

    // The cell under a point of the layer's own (centred) space, truncated
    // toward zero; it may lie outside the map. False without a tile size.
    bool CellAt(float x, float y, int& column, int& row) const;

    // The cell's frame, or -1 for an empty cell or one outside the map.
    int TileAt(int column, int row) const;

    // Draws the cells of the visible chunks in the current local space:
    // cells whose tile is wholly opaque first, then the others. Cells never
    // overlap, so the order does not show; the opaque run can then be drawn
    // without blending.
    void Draw() override;

private:
    // One cell whose tile is flipped, centred on (x, y).
    void DrawFlipped(const c_Image& image, float x, float y, std::uint8_t flip);
    // Whether tile `frame` is wholly opaque, worked out once per surface.
    bool TileOpaque(int frame);
    std::vector<std::int8_t> tileOpaque_;
    const void* opacityOf_ = nullptr;
};
