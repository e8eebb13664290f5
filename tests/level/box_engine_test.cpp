// The collision engine on hand-placed boxes: rectangle overlap and push-out,
// the grid of static boxes, obstacles, events and boxes leaving from inside
// them, and the merging of solid cells into rectangles.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <vector>

#include "framework/events.h"
#include "level/basic_box_engine.h"
#include "support/allocation_counter.h"

namespace {

// Records the contacts a box reports (and can act on them).
class ContactLog final : public Object, public c_EventListener {
public:
    struct Entry {
        int id;
        c_StaticBox* other;
        c_Vector push;
        c_Vector overlap;
    };
    std::vector<Entry> entries;
    std::function<void()> onContact;

    void OnEvent(Object*, int eventId, Object* data) override {
        auto* contact = static_cast<c_CollisionData*>(data);
        entries.push_back({eventId, contact->other.get(), contact->push, contact->overlap});
        if (onContact) onContact();
    }
};

class BoxEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearListeners();
        engine = New<c_BasicBoxEngine>();
        engine->Init(u"BASIC_BOX_ENGINE");
    }
    void TearDown() override { ClearListeners(); }

    Ref<ContactLog> Listen(c_CollisionBox* box) {
        auto log = New<ContactLog>();
        AddListener(log, box, kAnyEvent);
        return log;
    }

    Ref<c_BasicBoxEngine> engine;
};

void ExpectVector(c_Vector v, float x, float y) {
    EXPECT_FLOAT_EQ(v.x, x);
    EXPECT_FLOAT_EQ(v.y, y);
}

}  // namespace

TEST(Rectangle, CollideCases) {
    struct Case {
        const char* what;
        float ax, ay, aw, ah, bx, by, bw, bh;
        bool hit;
        float px, py, ox, oy;
    } cases[] = {
        {"edges touching on x", 0, 0, 10, 10, 10, 0, 10, 10, false, 0, 0, -1, -1},
        {"edges touching on y", 0, 0, 10, 10, 3, 10, 10, 10, false, 0, 0, -1, -1},
        {"apart", 0, 0, 10, 10, 50, 50, 10, 10, false, 0, 0, -1, -1},
        {"smaller x overlap pushes left", 0, 0, 10, 10, 8, 1, 10, 10, true, -2, 0, 2, 9},
        {"smaller x overlap pushes right", 8, 1, 10, 10, 0, 0, 10, 10, true, 2, 0, 2, 9},
        {"smaller y overlap pushes up", 1, 0, 10, 10, 0, 7, 10, 10, true, 0, -3, 9, 3},
        {"equal overlap resolves vertically", 0, 0, 10, 10, 6, 6, 10, 10, true, 0, -4, 4, 4},
        {"coincident centres: zero push", 0, 0, 10, 10, 0, 0, 20, 20, true, 0, 0, 15, 15},
        {"coincident y, x overlap smaller", 0, 0, 4, 20, 1, 0, 4, 20, true, -3, 0, 3, 20},
    };
    for (const auto& c : cases) {
        c_Rectangle a(c.ax, c.ay, c.aw, c.ah), b(c.bx, c.by, c.bw, c.bh);
        c_Vector push(99, 99), overlap(-1, -1);
        EXPECT_EQ(a.Collide(b, &push, &overlap), c.hit) << c.what;
        ExpectVector(push, c.px, c.py);
        ExpectVector(overlap, c.ox, c.oy);
        EXPECT_EQ(a.Collide(b), c.hit) << c.what << " without outputs";
    }
}

TEST(Rectangle, ObjectBoxIsRelativeToItsOwnerPosition) {
    auto position = New<c_Vector>(100, 50);
    auto box = MakeObjectBox(0, -4, 10, 8, position);
    EXPECT_TRUE(box->solid);
    EXPECT_TRUE(box->raisesEvents);
    EXPECT_EQ(box->userTag, 0);
    EXPECT_TRUE(box->owner.expired());
    ExpectVector(box->correction, 0, 0);
    EXPECT_FLOAT_EQ(box->halfWidth, 5);
    ExpectVector(box->AbsoluteCentre(), 100, 46);

    c_Rectangle wall(108, 46, 10, 8);
    c_Vector push;
    EXPECT_TRUE(box->Collide(wall, &push));
    ExpectVector(push, -2, 0);
    position->x = 0;
    EXPECT_FALSE(box->Collide(wall));
    ExpectVector(box->centre, 0, -4);  // the offset is left as it was
}

TEST_F(BoxEngineTest, GridCellsOfStaticBoxes) {
    EXPECT_EQ(engine->ColumnOf(0), 0);
    EXPECT_EQ(engine->ColumnOf(399.9f), 0);
    EXPECT_EQ(engine->ColumnOf(400), 1);
    EXPECT_EQ(engine->ColumnOf(-0.5f), -1);
    EXPECT_EQ(engine->ColumnOf(-400), -1);
    EXPECT_EQ(engine->ColumnOf(-400.5f), -2);
    EXPECT_EQ(engine->RowOf(-1e30f), engine->RowOf(-1e31f)) << "far coordinates stay in range";

    auto straddling = engine->AddStatic(New<c_StaticBox>(0, 0, 20, 20));
    auto inside = engine->AddStatic(New<c_StaticBox>(-500, 100, 10, 10));
    EXPECT_EQ(engine->AddStatic(nullptr), nullptr);
    engine->AddStatic(New<c_StaticBox>(NAN, 0, 10, 10));
    EXPECT_EQ(engine->CellCount(), 5u);
    for (auto [row, column] : {std::pair{-1, -1}, {-1, 0}, {0, -1}, {0, 0}})
        EXPECT_EQ(engine->StaticBoxesInCell(row, column), std::vector<Ref<c_StaticBox>>{straddling});
    EXPECT_EQ(engine->StaticBoxesInCell(0, -2), std::vector<Ref<c_StaticBox>>{inside});
    EXPECT_TRUE(engine->StaticBoxesInCell(5, 5).empty());
}

TEST_F(BoxEngineTest, StaticPassMovesTheRectangleAfterEachPush) {
    // A floor tile and the wall tile right of it, entered in that order. The
    // mover sinks into the floor by 2 and pokes 1 into the wall; once lifted
    // out of the floor it no longer touches the wall at all.
    auto floor = engine->AddStatic(New<c_StaticBox>(0, 10, 20, 10));
    auto wall = engine->AddStatic(New<c_StaticBox>(12, 10, 4, 10));
    auto position = New<c_Vector>(6, 2);
    auto mover = MakeObjectBox(0, 0, 10, 10, position);
    engine->AddMover(mover);
    auto log = Listen(mover.get());

    engine->Update(16);
    ExpectVector(mover->correction, 0, -2);
    ExpectVector(*position, 6, 0);  // the resolved position is written back
    ASSERT_EQ(log->entries.size(), 1u);
    EXPECT_EQ(log->entries[0].id, 101);
    EXPECT_EQ(log->entries[0].other, floor.get());
    ExpectVector(log->entries[0].push, 0, -2);
    ExpectVector(log->entries[0].overlap, 9, 2);

    // Resting exactly on the floor is no contact; the correction is reset.
    engine->Update(16);
    ExpectVector(mover->correction, 0, 0);
    EXPECT_EQ(log->entries.size(), 1u);
    (void)wall;
}

TEST_F(BoxEngineTest, StaticCellsAreVisitedTopToBottomLeftToRight) {
    // The mover straddles the four cells around (400, 400) and grazes a box
    // in each, near its left and right edges; every push is sideways and
    // keeps the next box in reach. The walk is row by row, columns left to
    // right, whatever order the boxes were entered in.
    auto bottomRight = engine->AddStatic(New<c_StaticBox>(448, 430, 6, 10));
    auto topLeft = engine->AddStatic(New<c_StaticBox>(352, 370, 6, 10));
    auto bottomLeft = engine->AddStatic(New<c_StaticBox>(352, 430, 6, 10));
    auto topRight = engine->AddStatic(New<c_StaticBox>(448, 370, 6, 10));
    auto mover = New<c_CollisionBox>(400, 400, 100, 100);  // no owner position: absolute
    mover->raisesEvents = true;
    engine->AddMover(mover);
    auto log = Listen(mover.get());
    engine->Update(16);
    std::vector<c_StaticBox*> order;
    for (auto& e : log->entries) order.push_back(e.other);
    EXPECT_EQ(order, (std::vector<c_StaticBox*>{topLeft.get(), topRight.get(), bottomLeft.get(), bottomRight.get()}));
    std::vector<float> pushes;
    for (auto& e : log->entries) pushes.push_back(e.push.x);
    EXPECT_EQ(pushes, (std::vector<float>{5, -10, 10, -10}));
    ExpectVector(mover->correction, -5, 0);
    ExpectVector(mover->centre, 400, 400);  // a box without owner position is not moved
}

TEST_F(BoxEngineTest, ObstaclesPushOnlyWhenSolidAndNeverThemselves) {
    auto moverPos = New<c_Vector>(0, 0);
    auto mover = MakeObjectBox(0, 0, 10, 10, moverPos);
    auto sensor = MakeObjectBox(0, 0, 10, 10, New<c_Vector>(-3, 0));  // a door: reports, never blocks
    sensor->solid = false;
    sensor->raisesEvents = false;
    auto crate = MakeObjectBox(0, 0, 10, 10, New<c_Vector>(8, 1));
    // The mover is also an obstacle (like a movable box) and must skip itself.
    engine->AddObstacle(mover);
    engine->AddObstacle(sensor);
    engine->AddObstacle(crate);
    engine->AddMover(mover);
    engine->AddMover(mover);  // registering twice changes nothing
    auto log = Listen(mover.get());

    engine->Update(16);
    ASSERT_EQ(log->entries.size(), 2u);
    EXPECT_EQ(log->entries[0].id, 100);
    EXPECT_EQ(log->entries[0].other, sensor.get());
    ExpectVector(log->entries[0].push, 7, 0);
    EXPECT_EQ(log->entries[1].id, 100);
    EXPECT_EQ(log->entries[1].other, crate.get());
    ExpectVector(log->entries[1].push, -2, 0);
    ExpectVector(mover->correction, -2, 0);
    ExpectVector(*moverPos, -2, 0);
    ExpectVector(sensor->correction, 0, 0);  // obstacles that are not movers are never resolved

    // Without raisesEvents the contacts are silent but the push still applies.
    mover->raisesEvents = false;
    moverPos->x = 0;
    engine->Update(16);
    EXPECT_EQ(log->entries.size(), 2u);
    ExpectVector(mover->correction, -2, 0);
}

TEST_F(BoxEngineTest, BoxesLeaveSafelyFromInsideTheirEvents) {
    auto mover = MakeObjectBox(0, 0, 10, 10, New<c_Vector>(0, 0));
    auto key = MakeObjectBox(0, 0, 6, 6, New<c_Vector>(2, 0));
    key->solid = false;
    auto wall = MakeObjectBox(0, 0, 10, 10, New<c_Vector>(8, 0));
    engine->AddObstacle(key);
    engine->AddObstacle(wall);
    engine->AddMover(mover);
    auto second = MakeObjectBox(0, 0, 10, 10, New<c_Vector>(100, 0));
    engine->AddMover(second);
    auto log = Listen(mover.get());
    // Picking the key up on contact removes it (and the other mover) at once.
    c_CollisionBox* keyBox = key.get();
    key.reset();  // from here on only the engine holds the key's box
    log->onContact = [&] {
        engine->RemoveObstacle(keyBox);
        engine->RemoveMover(second.get());
    };
    engine->Update(16);
    ASSERT_EQ(log->entries.size(), 2u);
    EXPECT_EQ(log->entries[1].other, wall.get()) << "the wall after the removed key is still tested";
    EXPECT_EQ(engine->obstacles, std::vector<Ref<c_CollisionBox>>{wall});
    EXPECT_EQ(engine->movers, std::vector<Ref<c_CollisionBox>>{mover});

    log->onContact = [&] { engine->Clear(); };
    engine->AddStatic(New<c_StaticBox>(0, 3, 40, 4));
    engine->Update(16);
    EXPECT_TRUE(engine->movers.empty());
    EXPECT_TRUE(engine->obstacles.empty());
    EXPECT_EQ(engine->CellCount(), 0u);
}

TEST(MergeSolidCells, GreedyRectangles) {
    using Rect = std::array<int, 4>;  // column, row, columns, rows
    struct Case {
        const char* what;
        int width, height;
        std::vector<int> cells;
        std::vector<Rect> want;
    } cases[] = {
        {"empty layer", 3, 2, {-1, -1, -1, -1, -1, -1}, {}},
        {"full block is one box", 3, 2, {0, 1, 2, 3, 4, 5}, {{0, 0, 3, 2}}},
        {"L: narrow column under a wide row",
         4,
         3,
         {7, 7, 7, 7, 7, -1, -1, -1, 7, -1, -1, -1},
         {{0, 0, 1, 3}, {1, 0, 3, 1}}},
        {"width shrinks to the narrowest row",
         3,
         3,
         {1, 1, 1, 1, 1, -1, 1, 1, 1},
         {{0, 0, 2, 3}, {2, 0, 1, 1}, {2, 2, 1, 1}}},
        {"gap splits a row; any value but -1 is solid", 5, 1, {0, -2, -1, 9, 9}, {{0, 0, 2, 1}, {3, 0, 2, 1}}},
    };
    for (const auto& c : cases) {
        std::vector<Rect> got;
        MergeSolidCells(c.cells.data(), c.width, c.height, [&](int column, int row, int columns, int rows) {
            got.push_back({column, row, columns, rows});
        });
        EXPECT_EQ(got, c.want) << c.what;
    }
}

TEST_F(BoxEngineTest, UpdatesAllocateNothing) {
    if (!AllocationCounter::Available()) GTEST_SKIP() << "the sanitizer owns operator new";
    // A floor across several grid cells, a wall, a crate on the floor, a
    // door-like sensor, and a mover that keeps walking into all of them and
    // reports every contact to a listener.
    for (int i = 0; i < 6; ++i) engine->AddStatic(New<c_StaticBox>(-1000 + i * 400.0f, 20, 400, 20));
    engine->AddStatic(New<c_StaticBox>(60, 0, 20, 40));
    auto crate = MakeObjectBox(0, 0, 16, 16, New<c_Vector>(30, 2));
    auto sensor = MakeObjectBox(0, 0, 28, 44, New<c_Vector>(10, -12));
    sensor->solid = false;
    auto position = New<c_Vector>(0, 6);
    auto mover = MakeObjectBox(0, 0, 10, 10, position);
    auto probe = New<c_CollisionBox>(0, 7, 8, 10);
    for (auto& box : {crate, sensor}) engine->AddObstacle(box);
    for (auto& box : {mover, crate, probe}) engine->AddMover(box);
    auto log = Listen(mover.get());
    log->entries.reserve(64);
    log->onContact = [&] {
        if (log->entries.size() > 32) log->entries.clear();
    };

    auto step = [&](int i) {
        position->x = static_cast<float>(i % 80);  // into the crate and the wall
        position->y = 6;
        engine->Update(16);
    };
    for (int i = 0; i < 100; ++i) step(i);
    ASSERT_FALSE(log->entries.empty());

    AllocationCounter allocations;
    for (int i = 0; i < 400; ++i) step(i);
    EXPECT_EQ(allocations.Stop(), 0);
}
