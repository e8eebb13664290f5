// The level stage on the scripted host with the game's own data: levels
// load, the characters walk, the pause menu opens, a fall
// restarts the level.
#include "level/level_stage_harness.h"

TEST_F(LevelStageTest, TwoWorldsAndLinkedCharactersWalkTogether) {
    auto stage = Play(3);
    ASSERT_TRUE(stage);
    ASSERT_TRUE(stage->player1 && stage->player2);
    EXPECT_TRUE(stage->solidLayer1 && stage->solidLayer2);
    float x1 = stage->player1->position.x, x2 = stage->player2->position.x;
    platform.KeyDown(GLFW_KEY_RIGHT);
    host.Frames(40);
    platform.KeyUp(GLFW_KEY_RIGHT);
    host.Frames(2);
    EXPECT_GT(stage->player1->position.x, x1 + 10);
    EXPECT_NEAR(stage->player1->position.x - x1, stage->player2->position.x - x2, 0.5f) << "linked";

    platform.KeyDown(GLFW_KEY_ENTER);
    host.Frames(1);
    platform.KeyUp(GLFW_KEY_ENTER);
    host.Frames(30);
    EXPECT_TRUE(stage->pausePanel->visible);
    EXPECT_FALSE(stage->player1->inputEnabled);
    platform.KeyDown(GLFW_KEY_ESCAPE);
    host.Frames(1);
    platform.KeyUp(GLFW_KEY_ESCAPE);
    host.Frames(30);
    EXPECT_FALSE(stage->pausePanel->visible);
    EXPECT_TRUE(stage->player1->inputEnabled);
}

TEST_F(LevelStageTest, OneCharacterLevelAndAFallRestartsIt) {
    auto stage = Play(1);
    ASSERT_TRUE(stage);
    EXPECT_FALSE(stage->player2) << "level 1 has one character";
    stage->player1->position.y = stage->solidLayer1->GetHeight();
    ASSERT_TRUE(RunUntil([&] { return game->nextStage == kStageLevel || game->stage != stage; }, 200));
    EXPECT_EQ(Game().currentLevel, 1);
}

TEST_F(LevelStageTest, DialogsFarFromTheSpawnStayQuietAtTheStart) {
    // Level 3 has a dialog near the middle of its map, where a character
    // that had not been placed yet would seem to stand.
    auto stage = Play(3);
    ASSERT_TRUE(stage);
    EXPECT_FALSE(stage->player1->bubble->visible) << ToUtf8(stage->player1->bubble->label->text);
}

// A level whose map is gone says so and returns to the title instead of
// showing an empty level.
TEST_F(LevelStageTest, AMissingLevelFileReturnsToTheTitle) {
    UseTestMaps({});
    std::filesystem::remove(dir.Path() / "data" / "level2.tmx");
    testing::internal::CaptureStdout();
    ASSERT_TRUE(RunUntil([&] { return game->fadeStart < 0 && game->nextStage == kNoStage; }));
    GoToLevel(2);
    const bool backToTitle = RunUntil([&] { return game->stageId == kStageTitle; });
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(backToTitle);
    EXPECT_NE(out.find("Level file missing: level2.tmx"), std::string::npos) << out;
}
