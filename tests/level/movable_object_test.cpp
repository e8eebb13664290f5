// Boxes: falling, landing, sliding, breaking and crossing between worlds.
#include <gtest/gtest.h>

#include <cmath>

#include "level/world_crossing.h"
#include "level_world.h"

using namespace level_test;

namespace {

class EventCount final : public Object, public c_EventListener {
public:
    int count = 0;
    void OnEvent(Object*, int, Object*) override { ++count; }
};

// The level stage's side of world crossing, over two layers.
class TwoWorlds final : public c_WorldCrossing {
public:
    c_GDO* first = nullptr;
    c_GDO* second = nullptr;
    int calls = 0;
    void CrossWorld(c_GDO& object) override {
        ++calls;
        CrossBetweenLayers(object, first, second);
    }
};

}  // namespace

TEST(MovableObject, LandsOnceAndRests) {
    // v at landing = sqrt(2 · 700 · height): 4 pixels stay under 100 px/s.
    struct Case {
        const char* what;
        float height;
        int landings;
    };
    for (const Case& c : {Case{"resting", 0, 0}, Case{"low drop", 4, 0}, Case{"high drop", 60, 1}}) {
        SCOPED_TRACE(c.what);
        LevelWorld world;
        world.Ground(0, 9, kColumns, 1);
        auto box = world.AddBox(0, LevelWorld::StandingY(9, 16) - c.height);
        int sounds = 0;
        for (int i = 0; i < 100; ++i) {
            world.Step();
            sounds += world.CountPlayed(u"BOXFALL");
        }
        EXPECT_EQ(sounds, c.landings);
        // At rest the box sinks 1 px/s into the ground and is pushed back.
        EXPECT_FLOAT_EQ(box->velocity.y, 1);
        EXPECT_NEAR(box->position.y, LevelWorld::StandingY(9, 16), 0.05f);
    }
}

TEST(MovableObject, WallContactBrakesAFall) {
    LevelWorld world;
    world.Ground(10, 0, 1, 10);  // a wall whose left face is at x 0
    auto box = world.AddBox(-7.5f, -60);
    box->velocity.y = 200;
    world.Step();
    world.Step();  // the engine's push from the wall arrives
    EXPECT_FLOAT_EQ(box->velocity.y, 1);
    EXPECT_EQ(world.CountPlayed(u"BOXFALL"), 1);
    EXPECT_FLOAT_EQ(box->position.x, -8);
}

TEST(MovableObject, PushedBoxSlidesAndStops) {
    LevelWorld world;
    world.Ground(0, 9, kColumns, 1);
    auto box = world.AddBox(0, LevelWorld::StandingY(9, 16));
    world.Steps(3);
    world.Played();

    PushBox(*box, 0);
    EXPECT_FLOAT_EQ(box->velocity.x, 0);
    EXPECT_TRUE(world.Played().empty());

    PushBox(*box, -0.5f);
    EXPECT_FLOAT_EQ(box->velocity.x, -300);
    PushBox(*box, 2);
    EXPECT_FLOAT_EQ(box->velocity.x, 300);
    EXPECT_EQ(world.CountPlayed(u"PUSH"), 2);

    float expected = 300;
    int updates = 0;
    while (box->velocity.x != 0) {
        expected *= 0.75f;
        if (expected < 3) expected = 0;
        const float x = box->position.x;
        world.Step();
        ASSERT_FLOAT_EQ(box->velocity.x, expected);
        ASSERT_NEAR(box->position.x - x, expected * 0.016f, 1e-4f);
        ASSERT_LT(++updates, 30);
    }
    // 225, 168.75, ... 3.007, then 2.255 stops it.
    EXPECT_EQ(updates, 17);
    EXPECT_NEAR(box->position.x, 14.256f, 0.001f);
}

TEST(MovableObject, ABoxAgainstAWallIsNotPushedAndRestsFlush) {
    // A wall whose left face is at x 80: a box of 16 rests against it at 72,
    // and a character (body 10 wide) against that box at 59.
    struct Case {
        const char* what;
        float boxX;
    };
    for (const Case& c : {Case{"resting against the wall", 72}, Case{"pushed up to the wall", 20}}) {
        SCOPED_TRACE(c.what);
        LevelWorld world;
        world.Ground(0, 9, kColumns, 1);
        world.Ground(15, 0, 1, 9);
        auto box = world.AddBox(c.boxX, LevelWorld::StandingY(9, 16));
        auto hero = world.AddCharacter(c.boxX - 30, LevelWorld::StandingY(9, 25));
        world.Steps(3);
        world.Played();
        world.Hold(kKeyRight);
        // Each shove that sets the resting box moving is one sound.
        int sounds = 0, starts = 0, inWall = 0;
        for (int i = 0; i < 600 && !(box->velocity.x == 0 && std::fabs(box->position.x - 72) < 0.01f); ++i) {
            const float before = box->velocity.x;
            world.Step();
            sounds += world.CountPlayed(u"PUSH");
            if (before == 0 && box->velocity.x != 0) ++starts;
            if (box->position.x > 72.01f) ++inWall;
        }
        ASSERT_NEAR(box->position.x, 72, 0.01f);
        EXPECT_EQ(sounds, starts);
        EXPECT_EQ(starts > 0, c.boxX != 72);
        // Only the update in which it slides into the wall shows it there;
        // the next one stops it flush.
        EXPECT_LE(inWall, 1);
        // Leaning on it now moves nothing and plays nothing.
        for (int i = 0; i < 60; ++i) {
            world.Step();
            ASSERT_EQ(world.CountPlayed(u"PUSH"), 0) << "update " << i;
            ASSERT_NEAR(box->position.x, 72, 0.01f) << "update " << i;
            ASSERT_FLOAT_EQ(box->velocity.x, 0) << "update " << i;
            ASSERT_LE(hero->position.x, 59.01f) << "update " << i;
        }
        EXPECT_NEAR(hero->position.x, 59, 0.01f);
    }
}

TEST(MovableObject, BlockedOnlyByWhatStandsBesideIt) {
    // Ground on row 8 merges into two static boxes that meet at x -80 (the
    // left one reaches down into row 9); a one-tile step stands at x 80.
    struct Case {
        const char* what;
        float x;
        bool secondBox;  // another box to the right, touching it
        bool right, left;
    };
    const Case cases[] = {
        {"in the open", 0, false, false, false},
        {"on the seam between two ground boxes", -88, false, false, false},
        {"against the step", 72, false, true, false},
        {"against another box", 0, true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LevelWorld world;
        world.Ground(0, 8, kColumns, 1);
        world.Ground(0, 9, 5, 1);
        world.Ground(15, 7, 5, 1);
        auto box = world.AddBox(c.x, LevelWorld::StandingY(8, 16));
        if (c.secondBox) world.AddBox(c.x + 16, LevelWorld::StandingY(8, 16));
        world.Steps(5);
        // As the box stands before the engine lifts it out of the ground it
        // sank into (a character resolved before the box pushes it so).
        box->absPosition->Refresh();
        EXPECT_EQ(box->BlockedTowards(1), c.right);
        EXPECT_EQ(box->BlockedTowards(-1), c.left);
    }
}

TEST(MovableObject, APushThatGoesOnIsOneSound) {
    LevelWorld world;
    world.Ground(0, 9, kColumns, 1);
    auto box = world.AddBox(-100, LevelWorld::StandingY(9, 16));
    world.Steps(3);
    world.Played();
    // Pushed again and again while it slides: one push.
    for (int i = 0; i < 10; ++i) {
        PushBox(*box, 1);
        world.Step();
        ASSERT_FLOAT_EQ(box->velocity.x, 225);
    }
    EXPECT_EQ(world.CountPlayed(u"PUSH"), 1);
    ASSERT_TRUE(world.StepUntil([&] { return box->velocity.x == 0; }));
    // Once it has stopped, a push starts a new one.
    PushBox(*box, 1);
    EXPECT_EQ(world.CountPlayed(u"PUSH"), 1);
    EXPECT_FLOAT_EQ(box->velocity.x, 300);
}

TEST(BreakableBox, BreaksOnlyOnAHardLandingAndStopsBlocking) {
    struct Case {
        const char* what;
        float height;
        bool breaks;
    };
    for (const Case& c : {Case{"low drop", 4, false}, Case{"high drop", 60, true}}) {
        SCOPED_TRACE(c.what);
        LevelWorld world;
        world.Ground(0, 9, kColumns, 1);
        // The crate sits 4 px below the frame's centre, 2 px left of it.
        auto box = world.AddBreakableBox(0, LevelWorld::StandingY(9, 16) - 4 - c.height);
        EXPECT_FLOAT_EQ(box->box->halfWidth, 8);
        EXPECT_FLOAT_EQ(box->box->centre.x, -2);
        EXPECT_FLOAT_EQ(box->box->centre.y, 4);
        auto broke = New<EventCount>();
        AddListener(broke, box.get(), kBoxBrokeEvent);

        int sounds = 0;
        bool hidden = false;
        for (int i = 0; i < 150; ++i) {
            world.Step();
            sounds += world.CountPlayed(u"BOXBREAK");
            hidden = hidden || !box->visible;
        }
        EXPECT_EQ(broke->count, c.breaks ? 1 : 0);
        EXPECT_EQ(sounds, c.breaks ? 1 : 0);
        EXPECT_EQ(hidden, c.breaks);
        EXPECT_EQ(box->sequenceName, c.breaks ? u"break" : u"idle");
        // Still resting on the ground either way.
        EXPECT_NEAR(box->position.y, LevelWorld::StandingY(9, 16) - 4, 0.05f);

        // A character walking right passes through a broken box; an intact
        // one blocks it and is pushed along.
        auto hero = world.AddCharacter(-40, LevelWorld::StandingY(9, 25));
        world.Hold(kKeyRight);
        world.Steps(60);
        if (c.breaks) {
            EXPECT_FLOAT_EQ(box->position.x, 0);
            EXPECT_GT(hero->position.x, 20);
        } else {
            EXPECT_GT(box->position.x, 10);
            EXPECT_LE(hero->position.x + 5, box->position.x - 10 + 0.01f);
        }
        world.Release(kKeyRight);
        world.Steps(30);

        // Dropped again: an intact box breaks now, a broken one never again
        // (it would leave a second key).
        box->position.y -= 60;
        world.Steps(60);
        EXPECT_EQ(broke->count, 1);
    }
}

TEST(MovableObject, FallsIntoTheOtherWorld) {
    LevelWorld world;
    auto second = New<c_GDOWithSize>();
    second->width = 200;
    second->height = 100;
    second->position.Set(0, 2000);
    // Updated before the first world, so the box does not move again in the
    // update in which it arrives.
    world.root->AddChild(second, 0);
    TwoWorlds worlds;
    worlds.first = world.layer.get();
    worlds.second = second.get();

    // Off the bottom of world 1 (half height 80) with some sideways speed.
    auto box = world.AddBox(30, 70);
    box->worldCrossing = &worlds;
    box->velocity.Set(100, 300);
    float speed = 0;
    world.StepUntil([&] { return box->parent != world.layer.get() || (speed = box->velocity.y, false); }, 10);
    ASSERT_EQ(box->parent, second.get());
    EXPECT_EQ(second->children.back(), box);
    EXPECT_FLOAT_EQ(box->position.y, -50);
    EXPECT_GT(box->position.x, 30);
    EXPECT_FLOAT_EQ(box->velocity.y, speed + 11.2f);
    EXPECT_FLOAT_EQ(box->absPosition->y, 2000 - 50);
    EXPECT_GT(worlds.calls, 0);
}

TEST(WorldCrossing, RuleBetweenTwoLayers) {
    auto layerA = New<c_GDOWithSize>();
    layerA->width = 100;
    layerA->height = 60;
    auto layerB = New<c_GDOWithSize>();
    layerB->width = 100;
    layerB->height = 200;
    auto elsewhere = New<c_GDOWithSize>();
    struct Case {
        const char* what;
        c_GDO* parent;
        float y;
        c_GDO* endParent;
        float endY;
    };
    const Case cases[] = {
        {"inside A", layerA.get(), 30, layerA.get(), 30},
        {"below A", layerA.get(), 30.5f, layerB.get(), -100},
        {"below B", layerB.get(), 101, layerA.get(), -30},
        {"other parent", elsewhere.get(), 500, elsewhere.get(), 500},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto object = New<c_GDO>();
        object->position.Set(7, c.y);
        c.parent->AddChild(object);
        EXPECT_EQ(CrossBetweenLayers(*object, layerA.get(), layerB.get()), c.parent != c.endParent);
        EXPECT_EQ(object->parent, c.endParent);
        EXPECT_FLOAT_EQ(object->position.y, c.endY);
        EXPECT_FLOAT_EQ(object->position.x, 7);
        object->RemoveFromParent();
    }
}
