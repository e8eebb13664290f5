// basic_box_engine.h — the level's collision engine.
//
// Every update each registered moving box ("mover") is pushed out of the
// level's static boxes and then out of the solid boxes in `obstacles`, by
// minimum-overlap separation; the total push is left in the box's
// `correction` for its owner to fold into its own motion, and the resolved
// absolute position is written into the box's owner position. The engine
// knows nothing of velocity or gravity.
//
// Static boxes are kept in a grid of 400 x 400 pixel cells, so a mover only
// tests the boxes of the cells it overlaps. BuildStaticBoxes turns the solid
// cells of a tile layer into a few merged rectangles.
//
// Events (source: the mover, data: the engine's c_CollisionData), raised only
// for movers with `raisesEvents`: 101 for each static contact, 100 for each
// contact with an obstacle (solid or not).
//
// Boxes may be added and removed from inside those events: a box removed
// while the engine updates leaves an empty slot that is skipped and dropped
// when the update ends. The update itself allocates nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <unordered_map>
#include <vector>

#include "framework/cog.h"
#include "level/collision_box.h"

class c_TileMap;

inline constexpr int kCollisionEventObstacle = 100;
inline constexpr int kCollisionEventStatic = 101;

class c_BasicBoxEngine final : public c_Cog {
public:
    // Size of a grid cell in pixels.
    static constexpr int kCellSize = 400;

    // Boxes tested against movers. Entries may be null (skipped).
    std::vector<Ref<c_CollisionBox>> obstacles;
    // The contact record handed to every collision event.
    Ref<c_CollisionData> contact;
    c_Vector pushScratch;
    c_Vector overlapScratch;
    // Working copies in absolute coordinates.
    c_Rectangle moverRect;
    c_Rectangle otherRect;
    // Boxes resolved each update, in order. Entries may be null (skipped).
    std::vector<Ref<c_CollisionBox>> movers;
    int cellWidth = kCellSize;
    int cellHeight = kCellSize;

    String ToString() const override { return u"c_BasicBoxEngine"; }

    // Names and enables the cog and resets everything to an empty engine.
    void Init(StringView cogName);

    // Enters a static box into every grid cell its rectangle touches and
    // returns it. Null, and boxes with a non-finite position or size, are not
    // entered.
    Ref<c_StaticBox> AddStatic(Ref<c_StaticBox> box);

    // Registration. A box that is already in the list is not added twice.
    void AddMover(const Ref<c_CollisionBox>& box);
    void AddObstacle(const Ref<c_CollisionBox>& box);
    void RemoveMover(const c_CollisionBox* box);
    void RemoveObstacle(const c_CollisionBox* box);

    // Resolves every mover, in list order. The elapsed time is not used.
    void Update(int elapsedMs) override;
    // Empties the grid and both lists.
    void Clear();
    void Discard() override { Clear(); }

    // The static boxes listed in one grid cell (empty when it has none).
    const std::vector<Ref<c_StaticBox>>& StaticBoxesInCell(int row, int column) const;
    // The number of grid cells that hold boxes.
    std::size_t CellCount() const { return grid_.size(); }
    // The cell that contains a coordinate (negative coordinates give
    // negative cells).
    int ColumnOf(float x) const;
    int RowOf(float y) const;

private:
    void Resolve(c_CollisionBox& mover);
    static std::uint64_t CellKey(int row, int column);
    void RemoveFrom(std::vector<Ref<c_CollisionBox>>& list, const c_CollisionBox* box);

    // Cells keyed by (row, column); a cell without boxes has no entry.
    std::unordered_map<std::uint64_t, std::vector<Ref<c_StaticBox>>> grid_;
    // The range of cells that hold boxes, so a mover far from everything
    // visits no cell at all.
    int minRow_ = 0, maxRow_ = -1, minColumn_ = 0, maxColumn_ = -1;
    int updating_ = 0;
    unsigned clears_ = 0;
    bool holes_ = false;
};

// Greedy merging of the solid cells of a `width` x `height` grid (row-major,
// -1 = empty, anything else solid): scanning rows top to bottom and columns
// left to right, each unvisited solid cell starts a rectangle that grows down
// while the cell below is free, its width shrinking to the narrowest row.
// `emit`(column, row, columns, rows) receives each rectangle in cells.
void MergeSolidCells(const int* cells, int width, int height,
                     const std::function<void(int column, int row, int columns, int rows)>& emit);

// Adds the merged solid cells of a tile layer as static boxes, placed where
// the layer draws them (centred on its position) plus the offset.
void BuildStaticBoxes(c_BasicBoxEngine& engine, const c_TileMap& tileMap, float offsetX, float offsetY);
