// Tile layers: set-up and chunks, drawing the filled cells centred on the
// origin, skipping chunks outside the scissor, and the static boxes merged
// from a layer.
#include <gtest/gtest.h>

#include <unistd.h>

#include "framework/image_files.h"
#include "framework/render_fixture.h"
#include "framework/texture.h"
#include "framework/tile_map.h"
#include "level/basic_box_engine.h"

namespace {

constexpr std::size_t kQuad = 6;  // one tile reaches GL as two triangles

class TileMapTest : public ::testing::Test {
protected:
    // 16 × 16 cells; the sheet is 64 × 32 (8 cells).
    Ref<c_TileSet> Tiles() {
        return New<c_TileSet>(
            GetTexture(folder.Write("tiles.png", ImageFolder::Png(64, 32, [](int, int) { return 0xffffffffu; }))), 16,
            16);
    }

    // The number of tiles drawn by rendering `map` with the given scissor.
    std::size_t TilesDrawn(c_TileMap& map, float sx, float sy, float sw, float sh) {
        frame.Begin();
        SetScissor(sx, sy, sw, sh);
        map.Render();
        frame.End();
        return frame.Vertices().size() / kQuad;
    }

    RecordedFrame frame;
    ImageFolder folder;
};

}  // namespace

TEST_F(TileMapTest, SetupSizesAndChunks) {
    auto tiles = Tiles();
    struct Case {
        int wide, high;
        int chunkCols, chunkRows, chunkTilesWide, chunkTilesHigh;
    } cases[] = {
        {1, 5, 1, 4, 1, 2},   // one column: every row in the one chunk column
        {10, 3, 4, 3, 3, 1},  // the last chunk column holds a single column
        {4, 4, 4, 4, 1, 1},  {17, 9, 4, 4, 5, 3}, {0, 0, 0, 0, 0, 0}, {-2, 3, 0, 3, 0, 1},
    };
    for (const auto& c : cases) {
        c_TileMap map;
        map.Setup(tiles, c.wide, c.high);
        EXPECT_EQ(map.chunkCols, c.chunkCols) << c.wide << "x" << c.high;
        EXPECT_EQ(map.chunkRows, c.chunkRows) << c.wide << "x" << c.high;
        EXPECT_EQ(map.chunkTilesWide, c.chunkTilesWide) << c.wide << "x" << c.high;
        EXPECT_EQ(map.chunkTilesHigh, c.chunkTilesHigh) << c.wide << "x" << c.high;
        EXPECT_EQ(map.GetWidth(), 16.0f * map.tilesWide);
        EXPECT_EQ(map.tiles.size(), std::size_t(map.tilesWide * map.tilesHigh));
    }

    c_TileMap bare;
    bare.Setup(nullptr, 5, 5);
    EXPECT_EQ(bare.GetWidth(), 0);
    EXPECT_EQ(bare.GetHeight(), 0);
    EXPECT_EQ(bare.tiles.size(), 25u);
}

TEST_F(TileMapTest, SetupWithTheSameSizeKeepsTheArrayAndEmptiesIt) {
    c_TileMap map;
    map.Setup(Tiles(), 10, 3);
    map.tiles[7] = 3;
    const int* cells = map.tiles.data();
    map.Setup(map.tileSet, 10, 3);
    EXPECT_EQ(map.tiles.data(), cells);
    EXPECT_EQ(std::count(map.tiles.begin(), map.tiles.end(), -1), 30);
    map.Setup(map.tileSet, 11, 3);
    EXPECT_EQ(map.tiles.size(), 33u);
    EXPECT_EQ(map.TileAt(10, 2), -1);
    EXPECT_EQ(map.TileAt(11, 0), -1);  // outside the map
}

TEST_F(TileMapTest, DrawsFilledCellsCentredOnTheOrigin) {
    auto map = New<c_TileMap>();
    map->Setup(Tiles(), 10, 3);
    map->position.Set(100, 60);
    // Corners, the lone last column of the last chunk column, one inside.
    for (auto [col, row, cell] : {std::tuple{0, 0, 1}, {9, 0, 2}, {9, 2, 5}, {4, 1, 7}})
        map->tiles[row * 10 + col] = cell;
    frame.Begin();
    map->Render();
    frame.End();
    auto v = frame.Vertices();
    ASSERT_EQ(v.size(), 4 * kQuad);
    // The layer spans (20, 36) to (180, 84). Chunks go row by row, so cell
    // (9, 2), alone in the last chunk, comes last.
    Box first = BoundsOf(v, 0, kQuad), lastCell = BoundsOf(v, 3 * kQuad, kQuad);
    EXPECT_FLOAT_EQ(first.x0, 20);
    EXPECT_FLOAT_EQ(first.y0, 36);
    EXPECT_FLOAT_EQ(lastCell.x1, 180);
    EXPECT_FLOAT_EQ(lastCell.y1, 84);
    EXPECT_FLOAT_EQ(lastCell.x0, 164);
    // Frame 5 is cell (1, 1) of the 4 × 2 sheet.
    EXPECT_FLOAT_EQ(std::min({v[3 * kQuad].u, v[3 * kQuad + 1].u, v[3 * kQuad + 2].u}), 0.25f);
}

TEST_F(TileMapTest, FlippedCellsDrawTheirTileMirroredInTheSameBatch) {
    // Frame 5 is the sheet's cell at (16, 16); the layer's one cell is
    // centred on (100, 60). Where each corner of the tile lands, by the
    // editor's rule: swap x and y for the diagonal flip first, then mirror.
    auto map = New<c_TileMap>();
    map->Setup(Tiles(), 2, 1);
    map->position.Set(108, 60);  // cell 0 centred on (100, 60)
    map->tiles = {5, 5};
    for (std::uint8_t flip = 0; flip < 8; ++flip) {
        SCOPED_TRACE(int(flip));
        map->SetFlip(0, flip);
        frame.Begin();
        map->Render();
        frame.End();
        // Both cells, flipped or not, go to GL in one draw.
        ASSERT_EQ(frame.gl.draws.size(), 1u);
        const auto v = frame.Vertices();
        ASSERT_EQ(v.size(), 2 * kQuad);
        for (std::size_t i = 0; i < kQuad; ++i) {
            float sx = v[i].u * 64 - 24, sy = v[i].v * 32 - 24;  // source corner, from the tile's centre
            if (flip & c_TileMap::kFlipDiagonal) std::swap(sx, sy);
            if (flip & c_TileMap::kFlipHorizontal) sx = -sx;
            if (flip & c_TileMap::kFlipVertical) sy = -sy;
            EXPECT_FLOAT_EQ(v[i].x - 100, sx);
            EXPECT_FLOAT_EQ(v[i].y - 60, sy);
        }
        // The plain neighbour is untouched by its neighbour's matrix.
        Box plain = BoundsOf(v, kQuad, kQuad);
        EXPECT_FLOAT_EQ(plain.x0, 108);
        EXPECT_FLOAT_EQ(plain.y0, 52);
        EXPECT_FLOAT_EQ(std::min({v[kQuad].u, v[kQuad + 1].u, v[kQuad + 2].u}), 0.25f);
    }
    // A layer set up again has no flipped cell left.
    map->Setup(map->tileSet, 2, 1);
    EXPECT_TRUE(map->flips.empty());
}

TEST_F(TileMapTest, OpaqueTilesComeFirstAndDrawUnblended) {
    // Cells 0 and 2 of the sheet have one transparent pixel each.
    auto sheet = GetTexture(folder.Write("holes.png", ImageFolder::Png(64, 32, [](int x, int y) {
                                             return (x == 3 || x == 35) && y == 3 ? 0xffffff00u : 0xffffffffu;
                                         })));
    auto map = New<c_TileMap>();
    map->Setup(New<c_TileSet>(sheet, 16, 16), 4, 1);
    for (int col = 0; col < 4; ++col) map->tiles[std::size_t(col)] = col;
    map->position.Set(192, 48);
    map->scale.Set(6, 6);  // a run of opaque tiles large enough to go alone
    frame.Begin();
    map->Render();
    frame.End();
    ASSERT_EQ(frame.gl.drawCalls, 2);
    EXPECT_FALSE(frame.gl.draws[0].blend);
    EXPECT_TRUE(frame.gl.draws[1].blend);
    // Opaque cells 1 and 3, then 0 and 2: each cell keeps its place.
    const float lefts[4] = {96, 288, 0, 192};
    auto v = frame.Vertices();
    ASSERT_EQ(v.size(), 4 * kQuad);
    for (std::size_t i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(BoundsOf(v, i * kQuad, kQuad).x0, lefts[i]) << i;
}

TEST_F(TileMapTest, ChunksOutsideTheScissorAreSkipped) {
    auto map = New<c_TileMap>();
    map->Setup(Tiles(), 10, 3);
    std::fill(map->tiles.begin(), map->tiles.end(), 0);
    // Chunks are 3 × 1 tiles (48 × 16), culled by a circle of radius ~25.3.
    map->position.Set(200, 100);  // chunk columns centred at x 144, 192, 240, 288
    struct Case {
        const char* what;
        float x, y, w, h;
        std::size_t tiles;
    } cases[] = {
        {"whole target", 0, 0, 640, 480, 30},
        {"left strip: first chunk column", 0, 0, 150, 480, 9},
        {"top band: the circles of two chunk rows reach it", 0, 0, 640, 90, 20},
        {"far corner", 0, 0, 10, 10, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(TilesDrawn(*map, c.x, c.y, c.w, c.h), c.tiles) << c.what;

    // A chunk near a corner of the scissor that passes the edge tests but
    // misses the rectangle's circumscribed circle: chunk (0, 0) is centred at
    // (120, 120), 99 from the centre of a 100 × 100 scissor (96 would meet).
    map->position.Set(176, 136);
    EXPECT_EQ(TilesDrawn(*map, 0, 0, 100, 100), 0u);
}

TEST_F(TileMapTest, ATileSetSmallerThanATileDrawsNothing) {
    // An 8-pixel-wide picture cut in 16-pixel tiles has no frames.
    auto narrow = New<c_TileSet>(
        GetTexture(folder.Write("narrow.png", ImageFolder::Png(8, 32, [](int, int) { return 0xffffffffu; }))), 16, 16);
    auto map = New<c_TileMap>();
    map->Setup(narrow, 3, 2);
    std::fill(map->tiles.begin(), map->tiles.end(), 1);
    EXPECT_EQ(map->GetWidth(), 48);
    EXPECT_EQ(TilesDrawn(*map, 0, 0, 640, 480), 0u);
}

TEST(StaticBoxes, MergedFromTheLayerWhereItDraws) {
    c_BasicBoxEngine engine;
    engine.Init(u"BASIC_BOX_ENGINE");
    c_TileMap layer;
    layer.Setup(nullptr, 4, 3);
    layer.tileWidth = 16;
    layer.tileHeight = 8;
    layer.position.Set(100, 50);
    BuildStaticBoxes(engine, layer, 5, -5);
    EXPECT_EQ(engine.CellCount(), 0u) << "an empty layer adds nothing";

    // An L: a full top row over a column at the left.
    for (int i : {0, 1, 2, 3, 4, 8}) layer.tiles[i] = 0;
    BuildStaticBoxes(engine, layer, 5, -5);
    const auto& boxes = engine.StaticBoxesInCell(0, 0);
    ASSERT_EQ(boxes.size(), 2u);
    // The layer's top-left corner is at (105 - 32, 45 - 12) = (73, 33).
    EXPECT_FLOAT_EQ(boxes[0]->centre.x, 81);
    EXPECT_FLOAT_EQ(boxes[0]->centre.y, 45);
    EXPECT_FLOAT_EQ(boxes[0]->halfWidth, 8);
    EXPECT_FLOAT_EQ(boxes[0]->halfHeight, 12);
    EXPECT_FLOAT_EQ(boxes[1]->centre.x, 113);
    EXPECT_FLOAT_EQ(boxes[1]->centre.y, 37);
    EXPECT_FLOAT_EQ(boxes[1]->halfWidth, 24);
    EXPECT_FLOAT_EQ(boxes[1]->halfHeight, 4);
    EXPECT_TRUE(boxes[0]->owner.expired());
}
