// The stage manager driven through the scripted host: timing of the first
// second, loading, settling, fade-in, stage switches, the letterbox and the
// frame rate.
#include <gtest/gtest.h>

#include "audio/audio_fixtures.h"
#include "framework/screen.h"
#include "framework/stage.h"
#include "game/tarn_game.h"
#include "host/rt_glfw_game.h"
#include "support/scripted_game.h"

namespace {

// Ids from kProbeBase up make a probe stage with (id - kProbeBase) load steps.
constexpr int kProbeBase = 100;

struct Log {
    std::vector<int> loadSteps;
    std::vector<int> updates;
    int discards = 0;
    bool coversScreen = false;
};

class ProbeStage final : public c_Stage {
public:
    ProbeStage(int steps, Log& log) : c_Stage(steps), log_(log) {}
    void LoadStep(int index) override { log_.loadSteps.push_back(index); }
    void Update(int ms) override {
        log_.updates.push_back(ms);
        c_Stage::Update(ms);
    }
    void Discard() override {
        ++log_.discards;
        c_Stage::Discard();
    }
    bool CoversScreen() override { return log_.coversScreen; }

private:
    Log& log_;
};

// One record per OnUpdate call.
struct UpdateRecord {
    int hostMs;
    int elapsed;
    int settleCount;
    int stageId;
};

class ProbeGame final : public c_TarnGame {
public:
    Log log;
    std::vector<UpdateRecord> updates;
    std::vector<int> createdAt;  // host ms of each CreateStage
    int readyAtUpdate = -1;      // index into `updates`

    int OnUpdate() override {
        int r = c_TarnGame::OnUpdate();
        updates.push_back({HostMillisecs(), elapsed, settleCount, stageId});
        return r;
    }
    Ref<c_Stage> CreateStage(int id) override {
        createdAt.push_back(HostMillisecs());
        Ref<c_Stage> made = c_TarnGame::CreateStage(id);
        if (id >= kProbeBase) return New<ProbeStage>(id - kProbeBase, log);
        return made;
    }
    void OnStageReady() override {
        readyAtUpdate = static_cast<int>(updates.size());
        c_TarnGame::OnStageReady();
    }
};

// The tests run probe stages instead of the game's, so no data files are
// needed; the working directory keeps the state file out of the build folder.
struct GameTest : ScriptedGameTest<ProbeGame> {
    using ScriptedGameTest::ScriptedGameTest;

    // What OnCreate asked for.
    int requestedAtCreate = kNoStage;

    void SetUp() override {
        StartGame();
        if (HasFatalFailure()) return;
        requestedAtCreate = game->nextStage;
        game->nextStage = kProbeBase;
    }
    // Requests a probe stage and runs until it is ready and its fade is over.
    void ReadyProbe(int steps) {
        game->nextStage = kProbeBase + steps;
        game->readyAtUpdate = -1;
        ASSERT_TRUE(RunUntil([&] { return game->readyAtUpdate >= 0 && game->fadeStart < 0; }));
    }
};

struct EarlyClockTest : GameTest {
    EarlyClockTest() : GameTest(ScriptedPlatform::Options{.startTime = 0.01}) {}
};

}  // namespace

TEST_F(EarlyClockTest, NothingHappensInTheFirstSecondOfTheHostClock) {
    EXPECT_EQ(requestedAtCreate, kStageLanguage);
    EXPECT_EQ(game->fadeStart, 0);
    ASSERT_TRUE(RunUntil([&] { return !game->createdAt.empty(); }));
    EXPECT_GT(game->createdAt.front(), 1000);
    // Updates were called all along, but none reached the manager's work.
    for (const UpdateRecord& u : game->updates) {
        if (u.hostMs <= 1000) {
            EXPECT_EQ(u.stageId, kNoStage);
        }
    }
    EXPECT_GT(game->updates.size(), 50u);
}

TEST_F(GameTest, StageWithoutLoadStepsIsReadyAfterOneFrameAndTheSettleWait) {
    ASSERT_TRUE(RunUntil([&] { return game->stage != nullptr; }));
    const int switchIndex = static_cast<int>(game->updates.size()) - 1;
    EXPECT_EQ(game->loadProgress, 0);
    EXPECT_EQ(game->settleCount, 25);
    host.Frames(1);  // one rendered frame loads it
    EXPECT_EQ(game->loadProgress, 100);
    ASSERT_TRUE(RunUntil([&] { return game->readyAtUpdate >= 0; }));
    // The ready call comes from the 25th update after the switch.
    EXPECT_EQ(game->readyAtUpdate - switchIndex, 25);
    EXPECT_TRUE(game->log.updates.empty());
    // Then a one-second fade, and only then the stage's own updates.
    EXPECT_GE(game->fadeStart, 0);
    const int readyMs = game->fadeStart;
    ASSERT_TRUE(RunUntil([&] { return !game->log.updates.empty(); }));
    EXPECT_GT(game->updates.back().hostMs - readyMs, 1000);
}

TEST_F(GameTest, UpdatesAfterAFadeInAreOneFrameLong) {
    // The fade holds the stage's updates back for a second; that second is
    // not handed to the first update that follows it.
    for (int steps : {0, 2}) {
        SCOPED_TRACE(steps);
        const std::size_t before = game->log.updates.size();
        ReadyProbe(steps);
        host.Frames(5);
        ASSERT_GT(game->log.updates.size(), before);
        for (std::size_t i = before; i < game->log.updates.size(); ++i) EXPECT_LE(game->log.updates[i], 17) << i;
    }
}

TEST_F(GameTest, LoadStepsRunOnePerRenderedFrame) {
    game->nextStage = kProbeBase + 3;
    ASSERT_TRUE(RunUntil([&] { return game->stage != nullptr; }));
    const std::vector<int> progress = {33, 66, 100};
    for (int p : progress) {
        host.Frames(1);
        EXPECT_EQ(game->loadProgress, p);
    }
    EXPECT_EQ(game->log.loadSteps, (std::vector<int>{0, 1, 2}));
}

TEST_F(GameTest, SlowUpdateDuringSettlingRestartsTheWait) {
    game->nextStage = kProbeBase;
    ASSERT_TRUE(RunUntil([&] { return game->stage != nullptr; }));
    host.Frames(10);
    ASSERT_LT(game->settleCount, 25);
    ASSERT_GT(game->settleCount, 0);
    const int slowIndex = static_cast<int>(game->updates.size());
    platform.Advance(0.048);
    ASSERT_TRUE(RunUntil([&] { return game->readyAtUpdate >= 0; }));
    ASSERT_GE(game->updates[slowIndex].elapsed, 48);
    EXPECT_EQ(game->updates[slowIndex].settleCount, 25);
    EXPECT_EQ(game->readyAtUpdate - slowIndex, 25);
}

TEST_F(GameTest, RequestForTheCurrentStageCreatesItAfresh) {
    ReadyProbe(0);
    host.Frames(3);
    Ref<c_Stage> first = game->stage;
    ASSERT_EQ(game->log.discards, 0);
    game->nextStage = kProbeBase;
    host.Frames(1);
    EXPECT_NE(game->stage, first);
    EXPECT_EQ(game->log.discards, 1);
    EXPECT_EQ(game->stageId, kProbeBase);
    EXPECT_EQ(game->loadProgress, 0);
    EXPECT_EQ(game->settleCount, 25);
}

TEST_F(GameTest, DiscardReleasesOnlyTheStagesOwnSoundEffects) {
    ReadyProbe(0);
    audio_test::WavLayout blip;
    blip.data = audio_test::SinePcm16(1, 22050, 50);
    dir.Write("data/blip.wav", audio_test::MakeWav(blip));
    AudioManager::PreloadSFX(u"blip.wav", u"STAGE_FX", false);
    AudioManager::PreloadSFX(u"blip.wav", u"KEPT_FX", true);
    ASSERT_NE(AudioManager::FindSFX(u"STAGE_FX"), nullptr);
    game->nextStage = kProbeBase;
    host.Frames(1);
    EXPECT_EQ(AudioManager::FindSFX(u"STAGE_FX"), nullptr);
    EXPECT_NE(AudioManager::FindSFX(u"KEPT_FX"), nullptr);
}

TEST_F(GameTest, UnknownStageDrawsOnlyTheClearColourAndDoesNotUpdate) {
    game->nextStage = 42;
    ASSERT_TRUE(RunUntil([&] { return game->stageId == 42; }));
    host.Frames(60);
    EXPECT_EQ(game->stage, nullptr);
    EXPECT_EQ(game->loadProgress, 0);
}

TEST_F(GameTest, VirtualScreenIsLetterboxedIntoTheDevice) {
    ReadyProbe(0);
    EXPECT_EQ(Screen().scale, c_Vector(3, 3));
    EXPECT_EQ(Screen().offset, c_Vector(0, 0));
    SetVirtualResolution(640, 360);  // the intro's screen
    EXPECT_EQ(Screen().scale, c_Vector(1.5f, 1.5f));
    EXPECT_EQ(Screen().offset, c_Vector(0, 0));

    host.Game().SetDeviceWindow(1280, 1024, 0);
    ReadyProbe(0);
    EXPECT_EQ(Screen().scale, c_Vector(4, 4));
    EXPECT_EQ(Screen().offset, c_Vector(0, 152));
    EXPECT_EQ(Screen().visibleY, 152);
    EXPECT_EQ(Screen().visibleWidth, 1280);
    EXPECT_EQ(Screen().visibleHeight, 720);
    // The default window covers the virtual screen, centred on it.
    EXPECT_EQ(game->stage->window->size, c_Vector(320, 180));
    EXPECT_EQ(game->stage->window->position, c_Vector(160, 90));
}

TEST_F(GameTest, AStageThatCoversTheScreenHasOnlyTheLetterboxBarsCleared) {
    game->log.coversScreen = true;
    ReadyProbe(0);
    struct Case {
        int width, height, clears;
    } cases[] = {
        {640, 480, 2},   // bars above and below
        {1000, 540, 2},  // left and right of 960 × 540
        {960, 540, 0},   // no bars
    };
    for (const Case& c : cases) {
        gl.targetWidth = c.width;
        gl.targetHeight = c.height;
        host.Game().SetDeviceWindow(c.width, c.height, 0);
        host.Frames(1);
        gl.ResetCounters();
        host.Frames(1);
        EXPECT_EQ(gl.clears, c.clears) << c.width << "x" << c.height;
    }
    game->log.coversScreen = false;
    gl.ResetCounters();
    host.Frames(1);
    EXPECT_EQ(gl.clears, 1);
    // While a stage loads, the whole device is cleared under the overlay.
    game->log.coversScreen = true;
    game->nextStage = kProbeBase + 3;
    ASSERT_TRUE(RunUntil([&] { return game->stageId == kProbeBase + 3; }));
    gl.ResetCounters();
    host.Frames(1);
    EXPECT_EQ(gl.clears, 1);
}

TEST_F(GameTest, FrameRateIsFirstMeasuredAfterAWholeSecond) {
    const int start = HostMillisecs();
    ASSERT_TRUE(RunUntil([&] { return FramesPerSecond() != 0; }));
    EXPECT_GE(HostMillisecs() - start, 1000);
    EXPECT_NEAR(FramesPerSecond(), 60, 2);
}

TEST_F(GameTest, OnCreateTurnsOnVsyncScrambledImagesAndTheUpdateRate) {
    EXPECT_EQ(platform.DriverSwapInterval(), 1);
    EXPECT_EQ(host.Game().GetUpdateRate(), 60);
    EXPECT_EQ(Game().updateRate, 60);
    EXPECT_TRUE(ScrambledImagesEnabled());
}
