// The characters' motion after the engine (ApplyTwinMotion): what links two
// active twins (one ground, one push) and the leash between them. The twins
// stand in one test world, where characters never block each other, so what
// holds one up or stops it can only come from the other.
#include <gtest/gtest.h>

#include "level/twin_motion.h"
#include "level_world.h"

using namespace level_test;

TEST(TwinMotion, LinkedTwinsShareTheirGroundUnlinkedOnesFallAlone) {
    for (bool linked : {true, false}) {
        SCOPED_TRACE(linked ? "linked" : "second inactive");
        LevelWorld world;
        world.Ground(0, 9, kColumns / 2, 1);  // floor under the left half only
        world.twins = true;
        const float y = LevelWorld::StandingY(9, 25);
        auto first = world.AddCharacter(-80, y);
        auto second = world.AddCharacter(80, y);  // over the open right half
        second->active = linked;
        world.Steps(20);
        EXPECT_TRUE(first->grounded);
        EXPECT_NEAR(first->position.y, y, 0.05f);
        if (linked) {
            EXPECT_NEAR(second->position.y, y, 0.05f) << "held up by its twin's floor";
        } else {
            EXPECT_GT(second->position.y, y + 20);
        }
    }
}

TEST(TwinMotion, AWallInFrontOfOneLinkedTwinStopsBoth) {
    LevelWorld world;
    world.Ground(0, 9, kColumns, 1);
    world.Ground(10, 0, 1, 9);  // a wall whose left face is at x 0
    world.twins = true;
    const float y = LevelWorld::StandingY(9, 25);
    auto first = world.AddCharacter(-40, y);
    auto second = world.AddCharacter(40, y);  // open floor ahead
    world.Steps(2);
    world.Hold(kKeyRight);
    world.Steps(60);
    EXPECT_NEAR(first->position.x, -5, 0.05f) << "against the wall";
    EXPECT_NEAR(second->position.x - 40, first->position.x + 40, 0.05f) << "stopped with it";
}

TEST(TwinMotion, TheLeashPutsTheMovingTwinBack) {
    struct Case {
        const char* what;
        float firstX, firstSpeed, secondX, secondSpeed;
        float firstEnd, secondEnd;
        bool stopped;
    };
    const Case cases[] = {
        {"first walks right, too far", 331, 100, 0, 0, 330, 0, true},
        {"second walks left, too far", 0, 0, -331, -100, 0, -330, true},
        {"first walks left, too far", -400, -80, 0, 0, -330, 0, true},
        {"at the leash", 330, 100, 0, 0, 330, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LevelWorld world;
        auto first = world.AddCharacter(c.firstX, 0);
        auto second = world.AddCharacter(c.secondX, 0);
        second->active = false;  // unlinked: each moves on its own
        first->velocity.x = c.firstSpeed;
        second->velocity.x = c.secondSpeed;
        ApplyTwinMotion(*first, second.get());
        EXPECT_FLOAT_EQ(first->position.x, c.firstEnd);
        EXPECT_FLOAT_EQ(second->position.x, c.secondEnd);
        EXPECT_FLOAT_EQ(first->velocity.x, c.stopped ? 0 : c.firstSpeed);
        EXPECT_FLOAT_EQ(second->velocity.x, c.stopped ? 0 : c.secondSpeed);
    }
}
