// Level play through the whole game on the scripted host, each mechanic on a
// small test map of its own (tests/level/fixtures) played with scripted keys.
#include <cmath>
#include <functional>

#include "framework/events.h"
#include "host/progress.h"
#include "level/key_item.h"
#include "level/level_stage_harness.h"
#include "level/movable_object.h"

namespace {

// Where a character of 25 pixels stands on ground whose top is at `top`.
constexpr float Standing(float top) { return top - 12.5f; }

// Calls a function for every event a source raises.
class EventProbe final : public Object, public c_EventListener {
public:
    std::function<void(int)> onEvent;
    void OnEvent(Object*, int eventId, Object*) override { onEvent(eventId); }
};

}  // namespace

// linked: 52 x 8 cells centred on the origin; both start at x -24. World 1's
// floor top is at y 48, world 2's a tile higher at 32; world 1's wall ends at
// x -112 on the left, world 2's begins at x 64 on the right.
TEST_F(LevelStageTest, LinkedCharactersStopTogetherAtAWallInEitherWorldOnTheHigherGround) {
    auto stage = PlayTestMap("linked");
    ASSERT_TRUE(stage && stage->player1 && stage->player2);
    auto& p1 = *stage->player1;
    auto& p2 = *stage->player2;
    host.Frames(10);
    EXPECT_NEAR(p1.position.y, Standing(32), 0.05f) << "world 1's character floats on world 2's ground";
    EXPECT_NEAR(p2.position.y, Standing(32), 0.05f);

    struct Case {
        const char* wall;
        int key;
        float stopX;
    };
    for (const Case& c : {Case{"world 2's, going right", GLFW_KEY_RIGHT, 64 - 5},
                          Case{"world 1's, going left", GLFW_KEY_LEFT, -112 + 5}}) {
        SCOPED_TRACE(c.wall);
        platform.KeyDown(c.key);
        host.Frames(240);
        platform.KeyUp(c.key);
        host.Frames(20);
        EXPECT_NEAR(p1.position.x, c.stopX, 0.1f);
        EXPECT_NEAR(p2.position.x, c.stopX, 0.1f);
        EXPECT_NEAR(p1.position.y, Standing(32), 0.05f);
        EXPECT_NEAR(p2.position.y, Standing(32), 0.05f);
    }
}

TEST_F(LevelStageTest, SpaceSwitchesWhoMovesOnTheGroundAndShowsWhoIsDisconnected) {
    auto stage = PlayTestMap("linked");
    ASSERT_TRUE(stage && stage->player1 && stage->player2);
    auto& p1 = *stage->player1;
    auto& p2 = *stage->player2;
    host.Frames(10);

    // In the air Space changes nothing.
    Tap(GLFW_KEY_UP);
    host.Frames(3);
    ASSERT_FALSE(p1.grounded);
    Tap(GLFW_KEY_SPACE);
    host.Frames(1);
    EXPECT_TRUE(p1.active && p2.active);
    ASSERT_TRUE(RunUntil([&] { return p1.grounded && p2.grounded && p1.velocity.y == 0; }, 200));
    host.Frames(5);

    struct Step {
        bool active1, active2;
    };
    for (const Step& s : {Step{true, false}, Step{false, true}, Step{true, true}}) {
        SCOPED_TRACE(testing::Message() << "active " << s.active1 << s.active2);
        Tap(GLFW_KEY_SPACE);
        host.Frames(1);
        ASSERT_EQ(p1.active, s.active1);
        ASSERT_EQ(p2.active, s.active2);
        const bool apart = s.active1 != s.active2;
        bool shown = false, hidden = false;
        for (int i = 0; i < 90; ++i) {  // one and a half seconds
            host.Frames(1);
            shown = shown || stage->disconnectedLabel->visible;
            hidden = hidden || !stage->disconnectedLabel->visible;
        }
        EXPECT_EQ(stage->noise1->visible, !s.active1);
        EXPECT_EQ(stage->noise2->visible, !s.active2);
        EXPECT_EQ(stage->noise2->position.y, stage->window2->position.y);
        EXPECT_EQ(stage->disconnectedLabel->blinking, apart);
        EXPECT_EQ(shown, apart) << "\"DISCONNECTED!\" blinks only while one is alone";
        EXPECT_TRUE(hidden);
        EXPECT_EQ(stage->limits1[0]->visible, s.active1);
        EXPECT_EQ(stage->limits2[1]->visible, s.active2);
        EXPECT_EQ(p1.marker->visible, s.active1);
        // Once apart, world 1's character drops to its own floor, a tile
        // lower; linked again, the two keep that difference.
        EXPECT_NEAR(p1.position.y, Standing(48), 0.05f);
        EXPECT_NEAR(p2.position.y, Standing(32), 0.05f);
    }
}

TEST_F(LevelStageTest, WithForcedSyncSpaceDoesNothingAndNoMarkersShow) {
    auto stage = PlayTestMap("forced_sync");
    ASSERT_TRUE(stage && stage->player1 && stage->player2);
    host.Frames(10);
    EXPECT_FALSE(stage->player1->marker);
    EXPECT_FALSE(stage->player2->marker);
    for (int i = 0; i < 3; ++i) {
        Tap(GLFW_KEY_SPACE);
        host.Frames(5);
        EXPECT_TRUE(stage->player1->active && stage->player2->active);
        EXPECT_FALSE(stage->noise1->visible || stage->noise2->visible);
        EXPECT_FALSE(stage->disconnectedLabel->visible);
    }
}

TEST_F(LevelStageTest, ACharacterWalkingAloneIsHeldALeashFromItsPartner) {
    struct Case {
        const char* who;
        int spaces, key;
    };
    for (const Case& c :
         {Case{"world 1's to the right", 1, GLFW_KEY_RIGHT}, Case{"world 2's to the left", 2, GLFW_KEY_LEFT}}) {
        SCOPED_TRACE(c.who);
        auto stage = PlayTestMap("linked");
        ASSERT_TRUE(stage && stage->player1 && stage->player2);
        auto& p1 = *stage->player1;
        auto& p2 = *stage->player2;
        host.Frames(10);
        for (int i = 0; i < c.spaces; ++i) {
            Tap(GLFW_KEY_SPACE);
            host.Frames(30);  // world 1's character drops to its own floor first
        }
        c_PlayerChar& walker = c.spaces == 1 ? p1 : p2;
        c_PlayerChar& partner = c.spaces == 1 ? p2 : p1;
        const float partnerX = partner.position.x;
        platform.KeyDown(c.key);
        ASSERT_TRUE(RunUntil([&] { return std::fabs(walker.position.x - partnerX) >= 329; }, 600));
        host.Frames(30);
        EXPECT_FLOAT_EQ(std::fabs(walker.position.x - partnerX), 330);
        EXPECT_FLOAT_EQ(partner.position.x, partnerX);
        // The walker's markers stand just beyond the leash, on both sides.
        auto& markers = c.spaces == 1 ? stage->limits1 : stage->limits2;
        EXPECT_TRUE(markers[0]->visible && markers[1]->visible);
        EXPECT_FLOAT_EQ(markers[0]->position.x, partnerX - 498);
        EXPECT_FLOAT_EQ(markers[1]->position.x, partnerX + 498);

        // One pixel beyond, however it got there, is put back at the leash.
        walker.position.x = partnerX + (walker.position.x > partnerX ? 331 : -331);
        host.Frames(1);
        EXPECT_FLOAT_EQ(std::fabs(walker.position.x - partnerX), 330);
        platform.KeyUp(c.key);
    }
}

// crossing: 28 x 8 cells; the pit at columns 14-16 (x 0 to 48) is open to the
// bottom of world 1 (y 64); the box starts at column 10.
TEST_F(LevelStageTest, ABoxPushedIntoAPitFallsIntoTheOtherWorldWithItsSpeed) {
    auto stage = PlayTestMap("crossing");
    ASSERT_TRUE(stage && stage->solidLayer1 && stage->solidLayer2);
    Ref<c_MovableObject> box;
    for (auto& child : stage->solidLayer1->children)
        if (auto b = std::dynamic_pointer_cast<c_MovableObject>(child)) box = b;
    ASSERT_TRUE(box);
    platform.KeyDown(GLFW_KEY_RIGHT);
    c_Vector before = box->velocity, at = box->position;
    ASSERT_TRUE(RunUntil(
        [&] {
            if (box->parent == stage->solidLayer2.get()) return true;
            before = box->velocity;
            at = box->position;
            return false;
        },
        600));
    platform.KeyUp(GLFW_KEY_RIGHT);
    EXPECT_GT(before.y, 100);
    EXPECT_EQ(stage->solidLayer2->children.back(), box);
    EXPECT_FLOAT_EQ(box->position.y, -64) << "at the top of world 2";
    EXPECT_NEAR(box->position.x, at.x + before.x * 0.75f * 0.016f, 0.01f);
    EXPECT_FLOAT_EQ(box->velocity.y, std::min(before.y + 700 * 0.016f, 400.0f));
    EXPECT_GT(box->position.x, 8);
    EXPECT_LT(box->position.x, 40);
    // It lands on world 2's floor and stays there.
    host.Frames(60);
    EXPECT_EQ(box->parent, stage->solidLayer2.get());
    EXPECT_NEAR(box->position.y, 48 - 8, 0.05f);
}

TEST_F(LevelStageTest, ACharacterFallingOutOfItsWorldRestartsTheSameLevel) {
    auto stage = PlayTestMap("crossing", 4);
    ASSERT_TRUE(stage && stage->player1);
    host.Frames(5);
    Tap(GLFW_KEY_SPACE);  // world 1's character alone, so it does not share world 2's floor
    platform.KeyDown(GLFW_KEY_RIGHT);
    ASSERT_TRUE(RunUntil([&] { return stage->exitFadeTotal > 0; }, 600));
    platform.KeyUp(GLFW_KEY_RIGHT);
    EXPECT_EQ(stage->exitFadeTotal, 666);
    EXPECT_GT(stage->player1->position.y, 64);
    EXPECT_EQ(stage->fadeRect->tint.r + stage->fadeRect->tint.g + stage->fadeRect->tint.b, 0);
    EXPECT_FALSE(stage->pausePanel->visible);
    EXPECT_FALSE(stage->player1->inputEnabled);
    ASSERT_TRUE(RunUntil([&] { return game->stage != stage; }, 120));
    EXPECT_EQ(game->stageId, kStageLevel);
    EXPECT_EQ(Game().currentLevel, 4);
}

// breakable: one character; the breakable box falls from near the top onto
// the floor right of the spawn point.
TEST_F(LevelStageTest, ABreakableBoxLandingHardLeavesAKeyThatCanBePickedUp) {
    auto stage = PlayTestMap("breakable");
    ASSERT_TRUE(stage && stage->player1 && !stage->player2);
    // The box breaks during loading's settle time at the earliest, so the
    // break is watched from the first update on.
    Ref<c_BreakableBox> box;
    for (auto& child : stage->solidLayer1->children)
        if (auto b = std::dynamic_pointer_cast<c_BreakableBox>(child)) box = b;
    ASSERT_TRUE(box);
    Ref<c_KeyItem> key;
    c_Vector boxAt, keyAt;
    auto probe = New<EventProbe>();
    probe->onEvent = [&](int id) {
        if (id != kBoxBrokeEvent) return;
        boxAt = box->position;
        key = std::dynamic_pointer_cast<c_KeyItem>(stage->solidLayer1->children.back());
        if (key) keyAt = key->position;
    };
    AddListener(probe, box.get(), kBoxBrokeEvent);
    ASSERT_TRUE(RunUntil([&] { return key != nullptr; }, 300)) << "the box did not break";
    EXPECT_FLOAT_EQ(keyAt.x, boxAt.x);
    EXPECT_FLOAT_EQ(keyAt.y, boxAt.y - 4);
    EXPECT_TRUE(key->bobTween);

    EXPECT_FALSE(stage->player1->hasKey);
    platform.KeyDown(GLFW_KEY_RIGHT);
    ASSERT_TRUE(RunUntil([&] { return stage->player1->hasKey; }, 300));
    platform.KeyUp(GLFW_KEY_RIGHT);
    EXPECT_EQ(key->parent, nullptr);
}

// exit: keys at column 8 and exit doors at column 14 in both worlds; holding
// Right carries both characters over them.
TEST_F(LevelStageTest, BothCharactersWithKeysAtTheirDoorsFinishTheLevel) {
    struct Case {
        int level, progressBefore;
        bool alone;
        int progressAfter, nextStage, nextLevel;
    };
    const Case cases[] = {
        {3, 2, false, 3, kStageLevel, 4},
        {6, 5, false, 6, kStageEnding, 7},
        {2, 5, false, 5, kStageLevel, 3},  // replaying an earlier level keeps progress
        {3, 2, true, 2, kNoStage, 3},      // world 1's character alone at its door
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "level " << c.level << (c.alone ? " alone" : ""));
        SaveProgress(c.progressBefore);
        Game().levelProgress = c.progressBefore;
        UseTestMaps({{c.level, "exit"}, {c.level + 1, "exit"}});  // the next one too
        auto stage = Play(c.level);
        ASSERT_TRUE(stage && stage->player1 && stage->player2);
        host.Frames(5);
        if (c.alone) Tap(GLFW_KEY_SPACE);
        platform.KeyDown(GLFW_KEY_RIGHT);
        const bool exits = RunUntil([&] { return stage->exitFadeTotal > 0; }, 300);
        platform.KeyUp(GLFW_KEY_RIGHT);
        EXPECT_EQ(exits, c.nextStage != kNoStage);
        EXPECT_EQ(Game().levelProgress, c.progressAfter);
        EXPECT_EQ(LoadProgress(), c.progressAfter);
        // The level stays the one being played until its exit fade ends.
        EXPECT_EQ(Game().currentLevel, c.level);
        if (!exits) {
            EXPECT_TRUE(stage->player1->hasKey);
            EXPECT_EQ(stage->player1->bubble->label->text, u"It's not opening.\nAm I missing something?");
            continue;
        }
        EXPECT_EQ(stage->exitFadeTotal, 2000);
        EXPECT_FALSE(stage->player1->hasKey || stage->player2->hasKey);
        ASSERT_TRUE(RunUntil([&] { return game->nextStage != kNoStage || game->stage != stage; }, 200));
        EXPECT_TRUE(game->nextStage == c.nextStage || game->stageId == c.nextStage);
        EXPECT_EQ(Game().currentLevel, c.nextLevel);
    }
}

// slide: game mode 2; the trigger stands at column 10, seven cells right of
// the spawn point.
TEST_F(LevelStageTest, EachTriggerEventSlidesBothWindowsInFromTheirStart) {
    auto stage = PlayTestMap("slide");
    ASSERT_TRUE(stage && stage->window1 && stage->window2);
    host.Frames(10);
    EXPECT_EQ(stage->window1->position.y, 90);
    EXPECT_EQ(stage->window2->position.y, 225);
    platform.KeyDown(GLFW_KEY_RIGHT);
    ASSERT_TRUE(RunUntil([&] { return stage->slideTween1->IsEnabled(); }, 300));
    platform.KeyUp(GLFW_KEY_RIGHT);
    host.Frames(60);
    EXPECT_LT(stage->window1->position.y, 80);
    EXPECT_GT(stage->window1->position.y, 45);

    // Raised again half way, the slides start over from 90 and 225.
    RaiseEvent(stage.get(), c_TarnStage::kTriggerEvent);
    host.Frames(1);
    EXPECT_NEAR(stage->window1->position.y, 90, 0.5f);
    EXPECT_NEAR(stage->window2->position.y, 225, 1.0f);
    host.Frames(150);
    EXPECT_EQ(stage->window1->position.y, 45);
    EXPECT_EQ(stage->window2->position.y, 135);
    EXPECT_EQ(stage->hud2->position.y, 135 - 45 + 45);
}

TEST_F(LevelStageTest, TheHubPlaysTheIntroTuneAndLevelsTheLevelTune) {
    for (const auto& [level, tune] : {std::pair{0, u"INTRO_BGM"}, std::pair{4, u"LEVEL_BGM"}}) {
        SCOPED_TRACE(level);
        auto stage = PlayTestMap("exit", level);
        ASSERT_TRUE(stage);
        EXPECT_EQ(AudioManager::MusicInfo().id, AudioManager::MusicFile(tune));
        EXPECT_FALSE(AudioManager::MusicFile(tune).empty());
    }
}
