// level_stage_harness.h — the scripted game (support/scripted_game.h) in a
// working directory whose ./data is the build's data, with any level file
// replaced by one of the compiled test maps: Play(n) builds level n and runs
// until it takes updates.
#pragma once

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <string>

#include "level/tarn_stage.h"
#include "support/scripted_game.h"

struct LevelStageTest : ScriptedGameTest<> {
    void SetUp() override {
        LinkBuildData();
        StartGame();
    }
    // Requests level `n` as the hub's doors do and runs until it is built,
    // stopping just before its first update.
    Ref<c_TarnStage> Build(int n) {
        EXPECT_TRUE(RunUntil([&] { return game->fadeStart < 0 && game->nextStage == kNoStage; }));
        GoToLevel(n);
        EXPECT_TRUE(RunUntil([&] { return StageLoaded(*game, kStageLevel); }));
        return StageAs<c_TarnStage>();
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
};
