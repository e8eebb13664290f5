// tile_map.cpp — layer set-up and chunk-culled drawing. A flipped cell is
// drawn through a matrix of its own (signs and a swap, no trigonometry),
// which changes no batch; plain cells keep the direct draw.
#include "framework/tile_map.h"

#include <algorithm>
#include <cmath>

#include "graphics/graphics_context.h"

void c_TileMap::Setup(Ref<c_TileSet> frames, int wide, int high) {
    tileSet = std::move(frames);
    tileWidth = tileSet ? static_cast<int>(tileSet->GetWidth()) : 0;
    tileHeight = tileSet ? static_cast<int>(tileSet->GetHeight()) : 0;
    wide = std::max(wide, 0);
    high = std::max(high, 0);
    std::size_t cells = static_cast<std::size_t>(wide) * static_cast<std::size_t>(high);
    if (cells == tiles.size())
        std::fill(tiles.begin(), tiles.end(), -1);
    else
        tiles = std::vector<int>(cells, -1);
    flips.clear();
    tilesWide = wide;
    tilesHigh = high;
    chunkCols = std::min(tilesWide, kMaxChunks);
    chunkRows = std::min(tilesHigh, kMaxChunks);
    chunkTilesWide = chunkCols > 0 ? (tilesWide + chunkCols - 1) / chunkCols : 0;
    chunkTilesHigh = chunkRows > 0 ? (tilesHigh + chunkRows - 1) / chunkRows : 0;
}

bool c_TileMap::CellAt(float x, float y, int& column, int& row) const {
    if (tileWidth <= 0 || tileHeight <= 0) return false;
    const int halfW = tileWidth * tilesWide / 2, halfH = tileHeight * tilesHigh / 2;
    column = static_cast<int>((x + static_cast<float>(halfW)) / static_cast<float>(tileWidth));
    row = static_cast<int>((y + static_cast<float>(halfH)) / static_cast<float>(tileHeight));
    return true;
}

void c_TileMap::SetFlip(std::size_t index, std::uint8_t flip) {
    if (index >= tiles.size()) return;
    if (flips.size() != tiles.size()) {
        if (flip == 0) return;
        flips.assign(tiles.size(), 0);
    }
    flips[index] = flip;
}

int c_TileMap::TileAt(int column, int row) const {
    if (column < 0 || row < 0 || column >= tilesWide || row >= tilesHigh) return -1;
    std::size_t index = static_cast<std::size_t>(row) * tilesWide + column;
    return index < tiles.size() ? tiles[index] : -1;
}

void c_TileMap::Draw() {
    // A tile set whose image is smaller than one tile has no frames to draw.
    if (!tileSet || !tileSet->texture || tileWidth <= 0 || tileHeight <= 0 || tileSet->GetFrameCount() <= 0) return;
    c_Image* image = tileSet->texture->image.get();
    if (!image) return;
    // `tiles` is public: a caller that resized it by hand draws nothing
    // rather than reading past its end.
    if (tiles.size() < static_cast<std::size_t>(tilesWide) * static_cast<std::size_t>(tilesHigh)) return;

    const auto m = ::GetMatrix();  // a, b, c, d, e, f
    const float left = -GetWidth() / 2, top = -GetHeight() / 2;
    const float chunkW = static_cast<float>(chunkTilesWide) * tileWidth;
    const float chunkH = static_cast<float>(chunkTilesHigh) * tileHeight;

    // One radius for every chunk: the longer transformed half-diagonal.
    const float hx = chunkW / 2, hy = chunkH / 2;
    const float r1 = std::hypot(hx * m[0] + hy * m[2], hx * m[1] + hy * m[3]);
    const float r2 = std::hypot(hx * m[0] - hy * m[2], hx * m[1] - hy * m[3]);
    cullCircle.radius = std::max(r1, r2);

    const auto scissor = ::GetScissor();  // x, y, w, h in target pixels
    const float halfW = scissor[2] / 2, halfH = scissor[3] / 2;
    const float clipX = scissor[0] + halfW, clipY = scissor[1] + halfH;
    const float clipRadius = std::hypot(halfW, halfH);

    image->SetImageHandle(tileWidth * 0.5f, tileHeight * 0.5f);
    for (int pass = 0; pass < 2; ++pass) {
        const bool opaquePass = pass == 0;
        for (int chunkRow = 0; chunkRow < chunkRows; ++chunkRow) {
            for (int chunkCol = 0; chunkCol < chunkCols; ++chunkCol) {
                const float localX = left + chunkCol * chunkW + hx, localY = top + chunkRow * chunkH + hy;
                cullCircle.center.x = localX * m[0] + localY * m[2] + m[4];
                cullCircle.center.y = localX * m[1] + localY * m[3] + m[5];
                const float cx = cullCircle.center.x, cy = cullCircle.center.y, r = cullCircle.radius;
                if (cx + r < clipX - halfW || cx - r > clipX + halfW || cy + r < clipY - halfH ||
                    cy - r > clipY + halfH)
                    continue;
                const float dx = cx - clipX, dy = cy - clipY;
                if (dx * dx + dy * dy >= (r + clipRadius) * (r + clipRadius)) continue;

                const int row0 = chunkRow * chunkTilesHigh, col0 = chunkCol * chunkTilesWide;
                const int row1 = std::min(row0 + chunkTilesHigh, tilesHigh);
                const int col1 = std::min(col0 + chunkTilesWide, tilesWide);
                for (int row = row0; row < row1; ++row) {
                    const std::size_t start = static_cast<std::size_t>(row) * tilesWide;
                    const int* line = tiles.data() + start;
                    const std::uint8_t* flipLine = flips.size() == tiles.size() ? flips.data() + start : nullptr;
                    const float y = top + (row + 0.5f) * tileHeight;
                    for (int col = col0; col < col1; ++col) {
                        if (line[col] == -1 || TileOpaque(line[col]) != opaquePass) continue;
                        tileSet->SelectFrame(line[col]);
                        const float x = left + (col + 0.5f) * tileWidth;
                        if (flipLine && flipLine[col] != 0) {
                            DrawFlipped(*image, x, y, flipLine[col]);
                        } else {
                            DrawImagePart(image, x, y, tileSet->sourceX, tileSet->sourceY, tileWidth, tileHeight, 0);
                        }
                    }
                }
            }
        }
    }
}

void c_TileMap::DrawFlipped(const c_Image& image, float x, float y, std::uint8_t flip) {
    // Maps the cell's own (centred) coordinates: x' = x·a + y·c, y' = x·b + y·d.
    const float h = (flip & kFlipHorizontal) ? -1.0f : 1.0f;
    const float v = (flip & kFlipVertical) ? -1.0f : 1.0f;
    ::PushMatrix();
    if (flip & kFlipDiagonal)
        ::Transform(0, v, h, 0, x, y);
    else
        ::Transform(h, 0, 0, v, x, y);
    DrawImagePart(&image, 0, 0, tileSet->sourceX, tileSet->sourceY, tileWidth, tileHeight, 0);
    ::PopMatrix();
}

bool c_TileMap::TileOpaque(int frame) {
    const c_Image* image = tileSet->texture->image.get();
    const gxtkSurface* surface = image->surface.get();
    if (!surface || image->frames.empty()) return false;
    if (opacityOf_ != surface || tileOpaque_.size() != static_cast<std::size_t>(tileSet->GetFrameCount())) {
        tileOpaque_.assign(static_cast<std::size_t>(tileSet->GetFrameCount()), -1);
        opacityOf_ = surface;
    }
    if (frame < 0 || static_cast<std::size_t>(frame) >= tileOpaque_.size()) return false;
    std::int8_t& known = tileOpaque_[static_cast<std::size_t>(frame)];
    if (known < 0) {
        tileSet->SelectFrame(frame);
        known = surface->RegionOpaque(image->frames[0].x + tileSet->sourceX, image->frames[0].y + tileSet->sourceY,
                                      tileWidth, tileHeight)
                    ? 1
                    : 0;
    }
    return known == 1;
}
