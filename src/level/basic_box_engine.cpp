// basic_box_engine.cpp — grid of static boxes, per-mover resolution, and the
// greedy merging of solid tiles.
#include "level/basic_box_engine.h"

#include <algorithm>
#include <cmath>

#include "framework/events.h"
#include "framework/tile_map.h"

namespace {

// Cell indices are kept well inside the int range so that ranges and keys
// never overflow, whatever coordinates a runaway object reaches.
constexpr double kCellLimit = 1 << 30;

int CellOf(float coordinate, int cellSize) {
    double cell = std::floor(static_cast<double>(coordinate) / cellSize);
    return static_cast<int>(std::clamp(cell, -kCellLimit, kCellLimit));
}

bool Finite(const c_Rectangle& r) {
    return std::isfinite(r.centre.x) && std::isfinite(r.centre.y) && std::isfinite(r.halfWidth) &&
           std::isfinite(r.halfHeight);
}

const std::vector<Ref<c_StaticBox>>& NoBoxes() {
    static const std::vector<Ref<c_StaticBox>> none;
    return none;
}

}  // namespace

// ---- set-up and registration ------------------------------------------------

void c_BasicBoxEngine::Init(StringView cogName) {
    name = String(cogName);
    enabled = true;
    contact = New<c_CollisionData>();
    pushScratch = c_Vector();
    overlapScratch = c_Vector();
    moverRect.Set(0, 0, 0, 0);
    otherRect.Set(0, 0, 0, 0);
    cellWidth = kCellSize;
    cellHeight = kCellSize;
    Clear();
}

std::uint64_t c_BasicBoxEngine::CellKey(int row, int column) {
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(row)) << 32) | static_cast<std::uint32_t>(column);
}

int c_BasicBoxEngine::ColumnOf(float x) const { return CellOf(x, cellWidth); }

int c_BasicBoxEngine::RowOf(float y) const { return CellOf(y, cellHeight); }

Ref<c_StaticBox> c_BasicBoxEngine::AddStatic(Ref<c_StaticBox> box) {
    if (!box || !Finite(*box)) return box;
    int row0 = RowOf(box->centre.y - box->halfHeight), row1 = RowOf(box->centre.y + box->halfHeight);
    int col0 = ColumnOf(box->centre.x - box->halfWidth), col1 = ColumnOf(box->centre.x + box->halfWidth);
    for (int row = row0; row <= row1; ++row)
        for (int col = col0; col <= col1; ++col) grid_[CellKey(row, col)].push_back(box);
    if (maxRow_ < minRow_) {
        minRow_ = row0, maxRow_ = row1, minColumn_ = col0, maxColumn_ = col1;
    } else {
        minRow_ = std::min(minRow_, row0), maxRow_ = std::max(maxRow_, row1);
        minColumn_ = std::min(minColumn_, col0), maxColumn_ = std::max(maxColumn_, col1);
    }
    return box;
}

const std::vector<Ref<c_StaticBox>>& c_BasicBoxEngine::StaticBoxesInCell(int row, int column) const {
    auto it = grid_.find(CellKey(row, column));
    return it == grid_.end() ? NoBoxes() : it->second;
}

void c_BasicBoxEngine::AddMover(const Ref<c_CollisionBox>& box) {
    if (box && std::find(movers.begin(), movers.end(), box) == movers.end()) movers.push_back(box);
}

void c_BasicBoxEngine::AddObstacle(const Ref<c_CollisionBox>& box) {
    if (box && std::find(obstacles.begin(), obstacles.end(), box) == obstacles.end()) obstacles.push_back(box);
}

void c_BasicBoxEngine::RemoveFrom(std::vector<Ref<c_CollisionBox>>& list, const c_CollisionBox* box) {
    if (!box) return;
    if (updating_ > 0) {
        // The update walks these lists by index: leave a hole instead.
        for (auto& entry : list)
            if (entry.get() == box) entry = nullptr, holes_ = true;
        return;
    }
    std::erase_if(list, [box](const Ref<c_CollisionBox>& entry) { return entry.get() == box; });
}

void c_BasicBoxEngine::RemoveMover(const c_CollisionBox* box) { RemoveFrom(movers, box); }

void c_BasicBoxEngine::RemoveObstacle(const c_CollisionBox* box) { RemoveFrom(obstacles, box); }

void c_BasicBoxEngine::Clear() {
    if (updating_ > 0) {
        for (auto& entry : movers) entry = nullptr;
        for (auto& entry : obstacles) entry = nullptr;
        holes_ = true;
    } else {
        movers.clear();
        obstacles.clear();
    }
    grid_.clear();
    ++clears_;
    minRow_ = 0, maxRow_ = -1, minColumn_ = 0, maxColumn_ = -1;
}

// ---- update -----------------------------------------------------------------

void c_BasicBoxEngine::Update(int) {
    if (!contact) contact = New<c_CollisionData>();
    ++updating_;
    // By index against the live length: event listeners may add boxes.
    for (std::size_t i = 0; i < movers.size(); ++i) {
        Ref<c_CollisionBox> mover = movers[i];  // kept alive through its own events
        if (mover) Resolve(*mover);
    }
    if (--updating_ == 0 && holes_) {
        std::erase(movers, nullptr);
        std::erase(obstacles, nullptr);
        holes_ = false;
    }
}

void c_BasicBoxEngine::Resolve(c_CollisionBox& mover) {
    mover.correction = c_Vector(0, 0);
    moverRect.halfWidth = mover.halfWidth;
    moverRect.halfHeight = mover.halfHeight;
    moverRect.centre = mover.AbsoluteCentre();

    // Static pass: the cell range is taken once, before any push; each test
    // sees the rectangle as moved by the tests before it.
    if (Finite(moverRect) && maxRow_ >= minRow_) {
        int row0 = std::max(RowOf(moverRect.centre.y - moverRect.halfHeight), minRow_);
        int row1 = std::min(RowOf(moverRect.centre.y + moverRect.halfHeight), maxRow_);
        int col0 = std::max(ColumnOf(moverRect.centre.x - moverRect.halfWidth), minColumn_);
        int col1 = std::min(ColumnOf(moverRect.centre.x + moverRect.halfWidth), maxColumn_);
        const unsigned clears = clears_;
        for (int row = row0; row <= row1 && clears == clears_; ++row) {
            for (int col = col0; col <= col1 && clears == clears_; ++col) {
                auto cell = grid_.find(CellKey(row, col));
                if (cell == grid_.end()) continue;
                // A reference survives rehashing when a listener adds statics;
                // a Clear() from inside an event ends the pass instead.
                const std::vector<Ref<c_StaticBox>>& boxes = cell->second;
                for (std::size_t i = 0; clears == clears_ && i < boxes.size(); ++i) {
                    if (moverRect.Collide(*boxes[i], &pushScratch, &overlapScratch)) {
                        contact->other = boxes[i];
                        contact->push = pushScratch;
                        contact->overlap = overlapScratch;
                        mover.correction.x += pushScratch.x;
                        mover.correction.y += pushScratch.y;
                        if (mover.raisesEvents) RaiseEvent(&mover, kCollisionEventStatic, contact.get());
                    }
                    moverRect.centre.x += pushScratch.x;
                    moverRect.centre.y += pushScratch.y;
                }
            }
        }
    }

    // Dynamic pass against the obstacles; only solid ones push.
    for (std::size_t i = 0; i < obstacles.size(); ++i) {
        const Ref<c_CollisionBox>& entry = obstacles[i];
        if (!entry || entry.get() == &mover) continue;
        Ref<c_CollisionBox> other = entry;  // listeners may drop it from the list
        otherRect.halfWidth = other->halfWidth;
        otherRect.halfHeight = other->halfHeight;
        otherRect.centre = other->AbsoluteCentre();
        if (moverRect.Collide(otherRect, &pushScratch, &overlapScratch)) {
            contact->other = other;
            contact->push = pushScratch;
            contact->overlap = overlapScratch;
            if (mover.raisesEvents) RaiseEvent(&mover, kCollisionEventObstacle, contact.get());
        }
        if (other->solid) {
            moverRect.centre.x += pushScratch.x;
            moverRect.centre.y += pushScratch.y;
            mover.correction.x += pushScratch.x;
            mover.correction.y += pushScratch.y;
        }
    }

    if (mover.ownerPosition) {
        mover.ownerPosition->x = moverRect.centre.x - mover.centre.x;
        mover.ownerPosition->y = moverRect.centre.y - mover.centre.y;
    }
}

// ---- static geometry from tile layers ---------------------------------------

void MergeSolidCells(const int* cells, int width, int height,
                     const std::function<void(int column, int row, int columns, int rows)>& emit) {
    if (!cells || width <= 0 || height <= 0) return;
    std::vector<char> visited(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    auto at = [width](int column, int row) { return static_cast<std::size_t>(row) * width + column; };
    auto open = [&](int column, int row) { return !visited[at(column, row)] && cells[at(column, row)] != -1; };
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            if (!open(column, row)) continue;
            int right = width;
            int below = row;
            while (below < height && open(column, below)) {
                int j = column;
                while (j < right && open(j, below)) ++j;
                right = j;
                ++below;
            }
            for (int r = row; r < below; ++r)
                for (int c = column; c < right; ++c) visited[at(c, r)] = 1;
            emit(column, row, right - column, below - row);
        }
    }
}

void BuildStaticBoxes(c_BasicBoxEngine& engine, const c_TileMap& tileMap, float offsetX, float offsetY) {
    const int wide = tileMap.tilesWide, high = tileMap.tilesHigh;
    if (static_cast<long long>(wide) * high > static_cast<long long>(tileMap.tiles.size())) return;
    const float tw = static_cast<float>(tileMap.tileWidth), th = static_cast<float>(tileMap.tileHeight);
    const float originX = tileMap.position.x + offsetX, originY = tileMap.position.y + offsetY;
    const float left = originX - wide * tw / 2, top = originY - high * th / 2;
    MergeSolidCells(tileMap.tiles.data(), wide, high, [&](int column, int row, int columns, int rows) {
        float w = columns * tw, h = rows * th;
        engine.AddStatic(New<c_StaticBox>(left + column * tw + w / 2, top + row * th + h / 2, w, h));
    });
}
