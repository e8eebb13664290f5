// The level stage on the scripted host with the game's own data: levels
// load, the characters walk, the pause menu opens, a fall
// restarts the level.
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "audio/audio_manager.h"
#include "framework/texture.h"
#include "graphics/gl_recorder.h"
#include "host/app.h"
#include "host/scripted_platform.h"
#include "level/tarn_stage.h"
#include "stages/game.h"
#include "stages/tarn_game.h"
#include "stages/translation.h"
#include "support/temp_dir.h"

namespace {

struct LevelStageTest : testing::Test {
    ScopedTempDir dir;
    GlRecorder gl;
    GlApiScope seam{gl};
    ScriptedHost host;
    ScriptedPlatform& platform = host.Platform();
    Ref<c_TarnGame> game;

    void SetUp() override {
        namespace fs = std::filesystem;
        fs::create_directory_symlink(fs::path(ORBEL_BINARY_DIR) / "data", dir.Path() / "data");
        game = New<c_TarnGame>();
        ASSERT_TRUE(host.Start());
    }
    void TearDown() override {
        game.reset();
        ResetAppLayer();
        ResetGameValues();
        AudioManager::Shutdown();
        EnableScrambledImages(false);
        SetLanguage(kLanguageEnglish);
    }
    template <class F>
    bool RunUntil(F done, int limit = 3000) {
        for (int i = 0; i < limit; ++i) {
            if (done()) return true;
            host.Frames(1);
        }
        return done();
    }
    // Builds level `n` and runs until it takes updates.
    Ref<c_TarnStage> Play(int n) {
        EXPECT_TRUE(RunUntil([&] { return game->fadeStart < 0 && game->nextStage == kNoStage; }));
        Game().currentLevel = n;
        game->nextStage = kStageLevel;
        EXPECT_TRUE(RunUntil([&] {
            return game->stageId == kStageLevel && game->nextStage == kNoStage && game->stage &&
                   game->loadProgress == 100 && game->settleCount < 1 && game->fadeStart < 0;
        }));
        host.Frames(2);
        return std::dynamic_pointer_cast<c_TarnStage>(game->stage);
    }
};

}  // namespace

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
