// scripted_game.h — the whole game on the scripted host, for tests that play
// it frame by frame: a fresh working directory, the GL recorder in place of
// the GPU (or a real context for drawing checks), a game object made after
// the test has laid out ./data, key helpers, and on teardown everything the
// game changed put back as a fresh process would have it.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "app/app.h"
#include "framework/audio_manager.h"
#include "framework/game.h"
#include "framework/texture.h"
#include "framework/translation.h"
#include "game/tarn_game.h"
#include "support/gl_recorder.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"
#include "support/test_maps.h"

// What a test that ran the whole game puts back once it has let go of its
// game object: no application layer, the game's shared values, no audio
// device, plain image files and the English text.
inline void ResetAfterWholeGame() {
    ResetAppLayer();
    ResetGameValues();
    AudioManager::Shutdown();
    EnableScrambledImages(false);
    SetLanguage(kLanguageEnglish);
}

// Stage `id` is current, built and settled (its fade-in may still run).
inline bool StageLoaded(const c_TarnGame& game, int id) {
    return game.stageId == id && game.nextStage == kNoStage && game.stage && game.loadProgress == 100 &&
           game.settleCount < 1;
}
// Stage `id` takes updates: loaded, settled and faded in.
inline bool StageRunning(const c_TarnGame& game, int id) { return StageLoaded(game, id) && game.fadeStart < 0; }

// The fixture. SetUp makes the game straight away; a test that needs files
// in ./data first overrides SetUp, lays them out, then calls StartGame().
template <class GameT = c_TarnGame>
class ScriptedGameTest : public testing::Test {
public:
    ScopedTempDir dir;  // the working directory: ./data and the state file
    GlRecorder gl;

private:
    bool realGl_;
    // Made before the host and gone after it: the host's own teardown still
    // reaches GL.
    std::unique_ptr<GlApiScope> seam_;

public:
    ScriptedHost host;
    ScriptedPlatform& platform = host.Platform();
    Ref<GameT> game;

    // With options.glContext the game draws with real OpenGL (and the test
    // skips without a display); otherwise into `gl`.
    explicit ScriptedGameTest(ScriptedPlatform::Options options = {})
        : realGl_(options.glContext), seam_(realGl_ ? nullptr : std::make_unique<GlApiScope>(gl)), host(options) {}

    void SetUp() override { StartGame(); }
    void TearDown() override {
        game.reset();
        ResetAfterWholeGame();
    }

    // Makes the game object and starts the host.
    void StartGame() {
        if (realGl_ && !std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (run under xvfb-run)";
        game = New<GameT>();
        ASSERT_TRUE(host.Start());
    }
    // ./data becomes a link to the build's data.
    void LinkBuildData() {
        std::filesystem::create_directory_symlink(std::filesystem::path(ORBEL_BINARY_DIR) / "data",
                                                  dir.Path() / "data");
    }
    // ./data becomes a folder of links to the build's data in which each
    // "levelN.tmx" named in `levels` is the test map of that name instead.
    void UseTestMaps(const std::map<int, std::string>& levels) {
        LinkDataWithTestMaps(dir.Path() / "data", std::filesystem::path(ORBEL_BINARY_DIR) / "data", levels);
    }

    // Runs frames until `done` holds; false when it still does not after
    // `limit` frames.
    template <class F>
    bool RunUntil(F done, int limit = 3000) {
        for (int i = 0; i < limit; ++i) {
            if (done()) return true;
            host.Frames(1);
        }
        return done();
    }
    // Runs until stage `id` takes updates, then one frame more.
    void RunUntilRunning(int id) {
        ASSERT_TRUE(RunUntil([&] { return StageRunning(*game, id); })) << "stage " << id << " never ran";
        host.Frames(1);
    }
    // One press and release, each in a frame of its own.
    void Press(int glfwKey) {
        Tap(glfwKey);
        host.Frames(1);
    }
    // A key held for one frame; released, but the release not yet run.
    void Tap(int glfwKey) {
        platform.KeyDown(glfwKey);
        host.Frames(1);
        platform.KeyUp(glfwKey);
    }
    template <class T>
    Ref<T> StageAs() {
        return std::dynamic_pointer_cast<T>(game->stage);
    }
};
