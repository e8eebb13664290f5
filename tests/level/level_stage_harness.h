// level_stage_harness.h — the whole game on the scripted host, in a fresh
// working directory whose ./data is the build's data, with any level file
// replaced by one of the compiled test maps: Play(n) builds level n and runs
// until it takes updates.
#pragma once

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "app/app.h"
#include "framework/audio_manager.h"
#include "framework/game.h"
#include "framework/texture.h"
#include "framework/translation.h"
#include "game/tarn_game.h"
#include "level/tarn_stage.h"
#include "support/game_reset.h"
#include "support/gl_recorder.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"
#include "support/test_maps.h"

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
        ResetAfterWholeGame();
    }
    // Makes ./data a folder of links to the build's data in which each
    // "levelN.tmx" named in `levels` is the test map of that name instead.
    void UseTestMaps(const std::map<int, std::string>& levels) {
        LinkDataWithTestMaps(dir.Path() / "data", std::filesystem::path(ORBEL_BINARY_DIR) / "data", levels);
    }
    template <class F>
    bool RunUntil(F done, int limit = 3000) {
        for (int i = 0; i < limit; ++i) {
            if (done()) return true;
            host.Frames(1);
        }
        return done();
    }
    // Requests level `n` as the hub's doors do and runs until it is built,
    // stopping just before its first update.
    Ref<c_TarnStage> Build(int n) {
        EXPECT_TRUE(RunUntil([&] { return game->fadeStart < 0 && game->nextStage == kNoStage; }));
        GoToLevel(n);
        EXPECT_TRUE(RunUntil([&] {
            return game->stageId == kStageLevel && game->nextStage == kNoStage && game->stage &&
                   game->loadProgress == 100 && game->settleCount < 1;
        }));
        return std::dynamic_pointer_cast<c_TarnStage>(game->stage);
    }
    // Builds level `n` and runs until it takes updates.
    Ref<c_TarnStage> Play(int n) {
        Ref<c_TarnStage> stage = Build(n);
        EXPECT_TRUE(RunUntil([&] { return game->fadeStart < 0; }));
        host.Frames(2);
        return stage;
    }
    // Plays test map `name` as level `n`.
    Ref<c_TarnStage> PlayTestMap(const std::string& name, int n = 3) {
        UseTestMaps({{n, name}});
        return Play(n);
    }
    void Tap(int glfwKey) {
        platform.KeyDown(glfwKey);
        host.Frames(1);
        platform.KeyUp(glfwKey);
    }
};
