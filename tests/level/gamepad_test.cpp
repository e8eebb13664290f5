// Gamepads driving the game on the scripted host: the left stick's dead zone
// and hysteresis, the face buttons and Start in a level and its pause menu,
// unplugging mid-walk, the keyboard beside a pad, and the mapping text
// handed to GLFW from SDL_GAMECONTROLLERCONFIG.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/glfw_platform.h"
#include "level/level_stage_harness.h"

namespace {

struct GamepadTest : LevelStageTest {
    GamepadState pad;

    void Plug(int port = 0) { platform.SetGamepad(port, pad); }
    void Stick(float x, float y) {
        pad.axes[kGamepadLeftX] = x;
        pad.axes[kGamepadLeftY] = y;
        Plug();
    }
    // One press and release of `button`, each in a frame of its own.
    void PressButton(int button) {
        pad.buttons[button] = true;
        Plug();
        host.Frames(1);
        pad.buttons[button] = false;
        Plug();
        host.Frames(1);
    }
    // How far player 1 moves in `frames` frames, after `settle` frames to
    // pick up or lose speed.
    float Moved(const c_TarnStage& stage, int frames, int settle = 10) {
        host.Frames(settle);
        const float x = stage.player1->position.x;
        host.Frames(frames);
        return stage.player1->position.x - x;
    }
};

TEST_F(GamepadTest, StickWalksOnlyPastItsDeadZoneAndHoldsAWalkJustUnderTheEdge) {
    auto stage = Play(3);
    ASSERT_TRUE(stage && stage->player1);
    Stick(0.28f, 0.1f);  // radius 0.297: inside
    EXPECT_NEAR(Moved(*stage, 20), 0, 0.01f);
    Stick(0.25f, -0.2f);  // radius 0.32, leaning right
    EXPECT_GT(Moved(*stage, 20), 5);
    Stick(0.26f, 0.0f);  // back under the engage edge, above the release one
    EXPECT_GT(Moved(*stage, 20), 5);
    Stick(0.2f, 0.1f);
    EXPECT_NEAR(Moved(*stage, 20), 0, 0.01f);
    Stick(0.1f, 0.6f);  // down: crouches, never walks
    EXPECT_NEAR(Moved(*stage, 20), 0, 0.01f);
}

TEST_F(GamepadTest, AJumpsOncePerPressStartPausesAndBBacksOutOfThePauseMenu) {
    auto stage = Play(3);
    ASSERT_TRUE(stage && stage->player1);
    Plug();
    host.Frames(1);
    pad.buttons[kGamepadA] = true;  // held through the jump and the landing
    Plug();
    ASSERT_TRUE(RunUntil([&] { return !stage->player1->grounded; }, 3));
    ASSERT_TRUE(RunUntil([&] { return stage->player1->grounded; }, 300));
    host.Frames(20);
    EXPECT_TRUE(stage->player1->grounded) << "a held button is one press";
    pad.buttons[kGamepadA] = false;

    PressButton(kGamepadB);
    EXPECT_EQ(stage->player1->animState, c_PlayerChar::kCrouch);
    EXPECT_FALSE(stage->pausePanel->visible) << "B in a level is not back";

    PressButton(kGamepadStart);
    host.Frames(30);
    ASSERT_TRUE(stage->pausePanel->visible);
    EXPECT_FALSE(stage->player1->inputEnabled);
    PressButton(kGamepadB);
    host.Frames(30);
    EXPECT_FALSE(stage->pausePanel->visible);
    EXPECT_TRUE(stage->player1->inputEnabled);
}

TEST_F(GamepadTest, UnpluggingMidWalkStopsItAndAnyPadOrTheKeyboardStillDrives) {
    auto stage = Play(3);
    ASSERT_TRUE(stage && stage->player1);
    pad.buttons[kGamepadDpadRight] = true;
    Plug();
    EXPECT_GT(Moved(*stage, 20), 5);
    platform.RemoveJoystick(0);
    EXPECT_NEAR(Moved(*stage, 20), 0, 0.01f);

    pad = {};
    Plug();  // plugged back in, nothing held
    platform.KeyDown(GLFW_KEY_RIGHT);
    EXPECT_GT(Moved(*stage, 20), 5);
    platform.KeyUp(GLFW_KEY_RIGHT);
    EXPECT_NEAR(Moved(*stage, 20), 0, 0.01f);

    GamepadState second;
    second.buttons[kGamepadDpadLeft] = true;
    platform.SetGamepad(5, second);
    EXPECT_LT(Moved(*stage, 20), -5);
}

// What AddGamepadMappings wrote to its log.
std::string LogOf(std::FILE* log) {
    std::rewind(log);
    std::string text;
    for (int c; (c = std::fgetc(log)) != EOF;) text += static_cast<char>(c);
    return text;
}

TEST(GamepadMappings, OnlyMappingTextReachesGlfwAndAnythingElseIsOneLine) {
    const std::string good =
        "# a pad of our own\n"
        "03000000aabb00001234000010010000,Test Pad,a:b0,b:b1,leftx:a0,lefty:a1,platform:Linux,\r\n"
        "\n"
        "  03000000aabb00001235000010010000,Other Pad,start:b7,dpup:h0.1\n";
    struct Case {
        const char* text;
        bool handed;  // reaches GLFW
        int lines;    // printed
    };
    const Case cases[] = {
        {good.c_str(), true, 0},
        {nullptr, false, 0},
        {"", false, 0},
        {"not a mapping", false, 1},
        {"03000000aabb0000123400001001000,Short Guid,a:b0", false, 1},
        {"03000000aabb00001234000010010000,,a:b0", false, 1},
        {"03000000aabb00001234000010010000,No Pairs", false, 1},
        {"03000000aabb00001234000010010000,Bad Pair,a:b0,b", false, 1},
        {"0300000zaabb00001234000010010000,Not Hex,a:b0", false, 1},
        {"# only a comment\n", false, 1},
    };
    for (const Case& c : cases) {
        std::vector<std::string> handed;
        std::FILE* log = std::tmpfile();
        ASSERT_NE(log, nullptr);
        const bool ok = AddGamepadMappings(
            c.text,
            [&](const char* text) {
                handed.push_back(text);
                return true;
            },
            log);
        const std::string printed = LogOf(log);
        std::fclose(log);
        const char* name = c.text ? c.text : "(unset)";
        EXPECT_EQ(ok, c.lines == 0) << name;
        EXPECT_EQ(handed, c.handed ? std::vector<std::string>{c.text} : std::vector<std::string>{}) << name;
        EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), c.lines) << name << ": " << printed;
    }

    // Well-formed text that GLFW still refuses is reported once as well.
    std::FILE* log = std::tmpfile();
    ASSERT_NE(log, nullptr);
    EXPECT_FALSE(AddGamepadMappings(
        good.c_str(), [](const char*) { return false; }, log));
    const std::string printed = LogOf(log);
    std::fclose(log);
    EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 1) << printed;
    EXPECT_NE(printed.find("SDL_GAMECONTROLLERCONFIG"), std::string::npos) << printed;
}

// The real start-up reads the variable: mappings go in quietly, anything
// else is one line on standard error (GLFW's own complaints included).
TEST(GamepadMappings, StartUpTakesThemFromTheEnvironment) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (run under xvfb-run)";
    struct Case {
        const char* value;
        int lines;
    };
    const std::string longName = "03000000aabb00001234000010010000," + std::string(200, 'n') + ",a:b0,";
    const Case cases[] = {
        {"03000000aabb00001234000010010000,Test Pad,a:b0,b:b1,leftx:a0,lefty:a1,", 0},
        {"a pad", 1},
        {longName.c_str(), 1},  // well-formed, but too long a name for GLFW
    };
    for (const Case& c : cases) {
        setenv("SDL_GAMECONTROLLERCONFIG", c.value, 1);
        testing::internal::CaptureStderr();
        const bool ok = GlfwPlatform::Init();  // GLFW stays initialised, as the other tests leave it
        const std::string printed = testing::internal::GetCapturedStderr();
        unsetenv("SDL_GAMECONTROLLERCONFIG");
        ASSERT_TRUE(ok);
        EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), c.lines) << c.value << ": " << printed;
        if (c.lines) {
            EXPECT_EQ(printed.rfind("SDL_GAMECONTROLLERCONFIG ignored", 0), 0u) << printed;
        }
    }
}

}  // namespace
