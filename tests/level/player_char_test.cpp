// The player character on the ground and in the air, driven by the keyboard
// in a small world stepped as the level stage steps it.
#include <gtest/gtest.h>

#include <cmath>

#include "level_world.h"

using namespace level_test;

namespace {

// Ground along the bottom row; the character stands on it at x.
struct Standing {
    LevelWorld world;
    Ref<c_PlayerChar> hero;
    explicit Standing(float x = 0) {
        world.Ground(0, 9, kColumns, 1);
        hero = world.AddCharacter(x, LevelWorld::StandingY(9, 25));
        world.Steps(2);
    }
};

}  // namespace

TEST(PlayerChar, SetupMakesBoxesAndMarker) {
    LevelWorld world;
    auto plain = world.AddCharacter(0, 0);
    EXPECT_EQ(plain->marker, nullptr);
    EXPECT_FLOAT_EQ(plain->bodyBox->halfWidth, 5);
    EXPECT_FLOAT_EQ(plain->bodyBox->halfHeight, 12.5f);
    EXPECT_TRUE(plain->bodyBox->solid);
    EXPECT_TRUE(plain->bodyBox->raisesEvents);
    EXPECT_EQ(plain->bodyBox->owner.lock(), plain);
    EXPECT_FLOAT_EQ(plain->groundProbe->halfWidth, 4);
    EXPECT_EQ(plain->groundProbe->ownerPosition, nullptr);
    EXPECT_FALSE(plain->groundProbe->solid || plain->groundProbe->raisesEvents);

    auto marked = world.AddCharacter(40, 0, true);
    ASSERT_NE(marked->marker, nullptr);
    EXPECT_EQ(marked->marker->parent, marked.get());
    EXPECT_EQ(marked->marker->position.x, 1);
    float low = 0, high = -100;
    for (int i = 0; i < 40; ++i) {
        world.Step();
        low = std::min(low, marked->marker->position.y);
        high = std::max(high, marked->marker->position.y);
    }
    // Bobs between -22 and -20 for as long as it lives.
    EXPECT_NEAR(low, -22, 0.2f);
    EXPECT_NEAR(high, -20, 0.2f);
    EXPECT_TRUE(marked->marker->visible);
    marked->active = false;
    world.Step();
    EXPECT_FALSE(marked->marker->visible);
}

TEST(PlayerChar, HorizontalControl) {
    // dt = 0.016: one update of acceleration is 3.52 px/s.
    struct Case {
        const char* what;
        float startSpeed;  // reached by holding a direction first
        std::vector<int> held;
        std::vector<float> speeds;  // vx after each update
    };
    const Case cases[] = {
        {"from rest", 0, {kKeyRight}, {3.52f, 7.04f, 10.56f}},
        {"left wins over right", 0, {kKeyRight, kKeyLeft}, {-3.52f, -7.04f}},
        // Reversing halves at once, and again every update until the
        // character faces the new way.
        {"reversing", 220, {kKeyLeft}, {106.48f, 49.72f, 21.34f, 7.15f, 0.0f, -3.52f}},
        // Letting go on the ground brakes twice per update down to 0.
        {"releasing", 220, {}, {55, 13.75f, 3.4375f, 0}},
        {"ground cap", 220, {kKeyRight}, {220, 220}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Standing s;
        if (c.startSpeed > 0) {
            s.world.Hold(kKeyRight);
            ASSERT_TRUE(s.world.StepUntil([&] { return s.hero->velocity.x >= c.startSpeed; }));
            s.world.Release(kKeyRight);
        }
        for (int key : c.held) s.world.Hold(key);
        for (float expected : c.speeds) {
            const float x = s.hero->position.x;
            s.world.Step();
            EXPECT_NEAR(s.hero->velocity.x, expected, 0.01f);
            EXPECT_NEAR(s.hero->position.x - x, expected * 0.016f, 0.001f);
        }
        EXPECT_TRUE(s.hero->grounded);
    }
}

TEST(PlayerChar, JumpSpeedsAndAirCap) {
    struct Case {
        const char* what;
        int held;
        float startX;
        float jumpSpeed;
    };
    for (const Case& c :
         {Case{"running right", kKeyRight, -140, 150}, Case{"left", kKeyLeft, 140, -150}, Case{"standing", 0, 0, 0}}) {
        SCOPED_TRACE(c.what);
        Standing s(c.startX);
        if (c.held) {
            s.world.Hold(c.held);
            s.world.Steps(70);
            EXPECT_FLOAT_EQ(std::fabs(s.hero->velocity.x), 220);
        }
        s.world.Played();
        const float groundY = s.hero->position.y;
        s.world.Tap(kKeyUp);
        s.world.Step();
        EXPECT_FLOAT_EQ(s.hero->velocity.x, c.jumpSpeed);
        EXPECT_FLOAT_EQ(s.hero->velocity.y, -190);
        EXPECT_EQ(s.hero->animState, c_PlayerChar::kJump);
        EXPECT_EQ(s.hero->sequenceName, u"jump");
        EXPECT_EQ(s.world.CountPlayed(u"JUMP"), 1);

        // Up and down again. The take-off update still counts as standing
        // (the probe touched the floor), so the air cap holds from the next.
        float top = groundY;
        bool fell = false;
        s.world.Steps(2);
        ASSERT_TRUE(s.world.StepUntil([&] {
            if (!s.hero->grounded) {
                EXPECT_LE(std::fabs(s.hero->velocity.x), 150);
            }
            top = std::min(top, s.hero->position.y);
            fell = fell || s.hero->animState == c_PlayerChar::kFall;
            return s.hero->grounded && s.hero->velocity.y == 0;
        }));
        EXPECT_TRUE(fell);
        EXPECT_NEAR(groundY - top, 27.31f, 0.01f);
        EXPECT_NEAR(s.hero->position.y, groundY, 0.01f);
        EXPECT_EQ(s.world.CountPlayed(u"JUMP"), 0);
    }
}

TEST(PlayerChar, LandingAnimation) {
    struct Case {
        const char* what;
        float height;  // above the ground
        bool holdRight;
        int landedState;
    };
    for (const Case& c :
         {Case{"still", 40, false, c_PlayerChar::kLanding}, Case{"walking", 15, true, c_PlayerChar::kWalk},
          Case{"running", 100, true, c_PlayerChar::kRun}}) {
        SCOPED_TRACE(c.what);
        LevelWorld world;
        world.Ground(0, 9, kColumns, 1);
        auto hero = world.AddCharacter(-100, LevelWorld::StandingY(9, 25) - c.height);
        if (c.holdRight) world.Hold(kKeyRight);
        world.Step();
        EXPECT_FALSE(hero->grounded);
        ASSERT_TRUE(world.StepUntil([&] { return hero->grounded && hero->animState != c_PlayerChar::kFall; }));
        // The update after touching down decides the pose.
        EXPECT_EQ(hero->animState, c.landedState);
        if (c.landedState != c_PlayerChar::kLanding) continue;
        // The squash shows the crouch frames once, then the character idles.
        EXPECT_EQ(hero->sequenceName, u"crouch");
        int updates = 0;
        ASSERT_TRUE(world.StepUntil([&] { return ++updates, hero->animState == c_PlayerChar::kIdle; }, 30));
        EXPECT_GT(updates, 5);
        EXPECT_EQ(hero->sequenceName, u"idle");
    }
}

TEST(PlayerChar, CrouchOnlyOnTheGround) {
    Standing s;
    s.world.Hold(kKeyRight);
    s.world.Steps(20);
    s.world.Tap(kKeyDown);
    s.world.Step();
    EXPECT_EQ(s.hero->animState, c_PlayerChar::kCrouch);
    EXPECT_EQ(s.hero->sequenceName, u"crouch");
    EXPECT_FLOAT_EQ(s.hero->velocity.x, 0);

    // In the air Down changes nothing.
    s.world.Tap(kKeyUp);
    s.world.Steps(5);
    const float vx = s.hero->velocity.x;
    const int state = s.hero->animState;
    s.world.Tap(kKeyDown);
    s.world.Step();
    EXPECT_FALSE(s.hero->grounded);
    EXPECT_EQ(s.hero->animState, state);
    EXPECT_NEAR(s.hero->velocity.x, std::min(vx + 3.52f, 150.0f), 0.01f);
}

TEST(PlayerChar, InactiveCharacterFallsAndIsPushedButDoesNotWalk) {
    LevelWorld world;
    world.Ground(0, 9, kColumns, 1);
    world.Ground(10, 0, 1, 9);  // a wall down to the ground
    // Off the ground and a little inside the wall's left face.
    const float wallLeft = 0;
    auto hero = world.AddCharacter(wallLeft - 3, 0);
    hero->active = false;
    world.Hold(kKeyLeft);
    world.Tap(kKeyUp);
    world.Step();
    EXPECT_FLOAT_EQ(hero->position.x, wallLeft - 5);  // pushed out of the wall
    EXPECT_FLOAT_EQ(hero->velocity.x, 0);
    ASSERT_TRUE(world.StepUntil([&] { return hero->grounded; }));
    EXPECT_FLOAT_EQ(hero->position.y, LevelWorld::StandingY(9, 25));
    world.Steps(10);
    EXPECT_FLOAT_EQ(hero->position.x, wallLeft - 5);
    EXPECT_EQ(hero->tint, (c_RGB{64, 64, 64}));

    // Drawn darkened; at full brightness once active again.
    auto colours = [&] {
        auto vertices = world.frame.RenderOnce(*hero);
        EXPECT_FALSE(vertices.empty());
        return vertices.empty() ? 0 : vertices[0].r;
    };
    EXPECT_EQ(colours(), 64);
    hero->active = true;
    world.Release(kKeyLeft);
    world.Step();
    EXPECT_EQ(colours(), 255);
}

TEST(PlayerChar, SpeaksThroughItsBubble) {
    LevelWorld world;
    auto hero = world.AddCharacter(0, 0);
    ASSERT_NE(hero->bubble, nullptr);
    world.root->AddChild(hero->bubble);  // the stage puts it in the world
    EXPECT_FALSE(hero->bubble->visible);
    world.Played();
    hero->Say(u"I need the key...", 1000);
    EXPECT_TRUE(hero->bubble->visible);
    EXPECT_EQ(hero->bubble->label->text, u"I need the key...");
    EXPECT_EQ(world.CountPlayed(u"BUBBLE"), 1);
    world.Steps(1000 / 16);
    EXPECT_TRUE(hero->bubble->visible);
    // Then it closes in two 150 ms steps.
    world.Steps(2 + 300 / 16 + 2);
    EXPECT_FALSE(hero->bubble->visible);
    EXPECT_TRUE(world.Played().empty());
}
