// A character, a wall and a box in one world, stepped as the level stage
// steps them: the pieces of level play working together.
#include <gtest/gtest.h>

#include <cmath>

#include "level_world.h"

using namespace level_test;

TEST(LevelPlay, WalkIntoAWallJumpOntoABoxAndPushIt) {
    LevelWorld world;
    world.Ground(0, 9, kColumns, 1);  // floor, top at y 64
    world.Ground(0, 0, 2, 9);         // left wall, right face at x -128
    const float floorY = LevelWorld::StandingY(9, 25);
    auto box = world.AddBox(-40, LevelWorld::StandingY(9, 16));
    auto hero = world.AddCharacter(-100, floorY);
    world.Steps(2);

    // Into the wall: held back at its face, speed cut every update.
    world.Hold(kKeyLeft);
    world.Steps(40);
    EXPECT_NEAR(hero->position.x, -128 + 5, 0.1f);
    EXPECT_EQ(hero->facing, -1);
    EXPECT_LT(std::fabs(hero->velocity.x), 4);
    EXPECT_TRUE(hero->grounded);
    world.Release(kKeyLeft);

    // Run at the box and jump onto it.
    world.Hold(kKeyRight);
    ASSERT_TRUE(world.StepUntil([&] { return hero->position.x > -110; }));
    world.Tap(kKeyUp);
    world.Steps(2);
    EXPECT_FALSE(hero->grounded);
    ASSERT_TRUE(world.StepUntil([&] { return hero->grounded && hero->velocity.y == 0; }, 120));
    world.Release(kKeyRight);
    world.Steps(20);
    const float boxTop = box->position.y - 8;
    EXPECT_NEAR(hero->position.y, boxTop - 12.5f, 0.05f);
    EXPECT_NEAR(hero->position.x, box->position.x, 8);
    EXPECT_FLOAT_EQ(box->position.x, -40);  // landing on top does not push it
    EXPECT_EQ(hero->animState, c_PlayerChar::kIdle);

    // Off the far side, down to the floor, and back into the box: it slides
    // until the wall stops it, and the character stands against it.
    world.Hold(kKeyRight);
    ASSERT_TRUE(world.StepUntil([&] { return hero->position.x > -10 && hero->grounded; }));
    EXPECT_NEAR(hero->position.y, floorY, 0.05f);
    world.Release(kKeyRight);
    world.Played();
    world.Hold(kKeyLeft);
    world.Steps(10);
    ASSERT_TRUE(world.StepUntil([&] { return box->position.x < -45; }));
    EXPECT_GE(world.CountPlayed(u"PUSH"), 1);
    ASSERT_TRUE(world.StepUntil([&] { return std::fabs(box->absPosition->x - (-120)) < 0.1f; }, 2000));
    world.Steps(30);
    // While pushed into the wall the box keeps trying to slide, so where it
    // is drawn lags the resolved position by one update's slide.
    EXPECT_NEAR(box->absPosition->x, -120, 0.1f);
    EXPECT_NEAR(hero->position.x, -120 + 8 + 5, 0.1f);
    EXPECT_NEAR(hero->position.y, floorY, 0.05f);
    world.Release(kKeyLeft);
    world.Steps(30);
    EXPECT_NEAR(box->position.x, -120, 0.1f);
    EXPECT_NEAR(box->position.y, LevelWorld::StandingY(9, 16), 0.05f);
}
