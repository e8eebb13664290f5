// The game's window on the scripted host: any size the player drags it to
// (the virtual screen refitted every frame, whole-number scales for the
// pixel-art screens), fullscreen on F11 and Alt+Enter without the game
// seeing those keys, and the window's size and fullscreen kept in the
// settings for the next run.
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include "framework/screen.h"
#include "support/scripted_game.h"

namespace {

struct WindowTest : ScriptedGameTest<> {
    void SetUp() override {
        LinkBuildData();
        StartGame();
    }
    void ShowStage(int id) {
        game->nextStage = id;
        ASSERT_TRUE(RunUntil([&] { return StageLoaded(*game, id); })) << "stage " << id << " never loaded";
    }
    // The title still runs and nothing is on its way in.
    bool OnTheTitle() const { return StageRunning(*game, kStageTitle) && game->nextStage == kNoStage; }
};

struct FitCase {
    int stage;
    int width, height;
    float scale, x, y;
};

}  // namespace

TEST_F(WindowTest, EveryFrameFitsTheVirtualScreenIntoTheWindowAsItIsNow) {
    const FitCase cases[] = {
        // 320 x 180: the largest whole-number scale, centred on whole pixels.
        {kStageTitle, 1280, 720, 4, 0, 0},
        {kStageTitle, 700, 700, 2, 30, 170},
        {kStageTitle, 960, 540, 3, 0, 0},
        {kStageTitle, 1000, 700, 3, 20, 80},
        // Smaller than the virtual screen: the fractional fit.
        {kStageTitle, 300, 200, 300.0f / 320, 0, (200 - 180 * 300.0f / 320) / 2},
        // The intro fills the window, fractions included.
        {kStageIntro, 1280, 720, 2, 0, 0},
        {kStageIntro, 1000, 700, 1000.0f / 640, 0, (700 - 360 * 1000.0f / 640) / 2},
    };
    for (const FitCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "stage " << c.stage << " at " << c.width << " x " << c.height);
        if (game->stageId != c.stage) ShowStage(c.stage);
        platform.Resize(c.width, c.height);
        host.Frames(2);  // the event comes with the first; the second draws
        const GameScreen& screen = Screen();
        EXPECT_FLOAT_EQ(screen.scale.x, c.scale);
        EXPECT_FLOAT_EQ(screen.scale.y, c.scale);
        EXPECT_FLOAT_EQ(screen.offset.x, c.x);
        EXPECT_FLOAT_EQ(screen.offset.y, c.y);
        // The letterbox the frame drew through is the picture's.
        const c_Vector& size = VirtualSize();
        EXPECT_FLOAT_EQ(screen.visibleX, c.x);
        EXPECT_FLOAT_EQ(screen.visibleY, c.y);
        EXPECT_FLOAT_EQ(screen.visibleWidth, c.scale * size.x);
        EXPECT_FLOAT_EQ(screen.visibleHeight, c.scale * size.y);
    }
}

TEST_F(WindowTest, F11AndAltEnterSwitchFullscreenAndTheTitleNeverSeesThem) {
    ShowStage(kStageTitle);
    RunUntilRunning(kStageTitle);

    Press(GLFW_KEY_F11);
    EXPECT_TRUE(platform.IsFullscreen());
    EXPECT_EQ(Screen().scale, c_Vector(6, 6));  // the 1920 x 1080 desktop
    Press(GLFW_KEY_F11);
    EXPECT_FALSE(platform.IsFullscreen());
    EXPECT_EQ(Screen().scale, c_Vector(3, 3));

    // Enter is released after Alt: its release is the window's too.
    platform.KeyDown(GLFW_KEY_LEFT_ALT);
    Tap(GLFW_KEY_ENTER);
    platform.KeyUp(GLFW_KEY_LEFT_ALT);
    host.Frames(30);
    EXPECT_TRUE(platform.IsFullscreen());
    EXPECT_TRUE(OnTheTitle());
    platform.KeyDown(GLFW_KEY_RIGHT_ALT);
    Press(GLFW_KEY_ENTER);
    platform.KeyUp(GLFW_KEY_RIGHT_ALT);
    host.Frames(30);
    EXPECT_FALSE(platform.IsFullscreen());
    EXPECT_TRUE(OnTheTitle());
    EXPECT_EQ(platform.FullscreenSwitches(), 4);

    // Enter on its own is the game's: it starts from the title.
    Press(GLFW_KEY_ENTER);
    host.Frames(30);
    EXPECT_FALSE(OnTheTitle());
    EXPECT_EQ(platform.FullscreenSwitches(), 4);
}

struct SavedWindowTest : WindowTest {
    void SetUp() override {
        host.Settings() = GameSettings{.fullscreen = true, .windowWidth = 1280, .windowHeight = 720, .soundOn = false};
        WindowTest::SetUp();
    }
};

TEST_F(SavedWindowTest, TheWindowOpensAsLastLeftAndItsNewSizeAndFullscreenAreSaved) {
    EXPECT_EQ(platform.LastWindowRequest().width, 1280);
    EXPECT_EQ(platform.LastWindowRequest().height, 720);
    EXPECT_TRUE(platform.LastWindowRequest().resizable);
    EXPECT_TRUE(platform.IsFullscreen());
    int width = 0, height = 0;
    platform.GetWindowSize(width, height);
    EXPECT_EQ(width, 1920);

    // Leaving fullscreen comes back to the saved size, and says so at once.
    Press(GLFW_KEY_F11);
    platform.GetWindowSize(width, height);
    EXPECT_EQ(width, 1280);
    EXPECT_EQ(height, 720);
    EXPECT_EQ(host.SettingsSaves(), 1);
    EXPECT_FALSE(host.Settings().fullscreen);

    // A dragged border is saved once it has held still for a while, and
    // the rest of the file is left as it was.
    platform.Resize(900, 600);
    host.Frames(30);
    platform.Resize(1000, 640);
    host.Frames(30);
    EXPECT_EQ(host.SettingsSaves(), 1);
    host.Frames(40);
    EXPECT_EQ(host.SettingsSaves(), 2);
    EXPECT_EQ(host.Settings().windowWidth, 1000);
    EXPECT_EQ(host.Settings().windowHeight, 640);
    EXPECT_FALSE(host.Settings().soundOn);

    // Fullscreen's own size is never the window's.
    Press(GLFW_KEY_F11);
    host.Frames(120);
    EXPECT_TRUE(host.Settings().fullscreen);
    EXPECT_EQ(host.Settings().windowWidth, 1000);
    EXPECT_EQ(host.SettingsSaves(), 3);
}
