// The host loop on the scripted platform: the window it opens, the paced
// updates and their catch-up rule, suspend and resume, and how window events
// become game key codes, characters and mouse input.
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "graphics/gl_api.h"
#include "host/gl_context.h"
#include "host/rt_glfw_game.h"
#include "host/runtime_error.h"
#include "support/child_process.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

namespace {

// Records what reaches the game; an optional hook runs inside each update.
class RecordingDelegate final : public RtGameDelegate {
public:
    int starts = 0, updates = 0, renders = 0, suspends = 0, resumes = 0;
    std::vector<std::tuple<int, int>> keys;
    std::vector<std::tuple<int, int, float, float>> mice;
    std::function<void()> onUpdate;

    void StartGame() override { ++starts; }
    void SuspendGame() override { ++suspends; }
    void ResumeGame() override { ++resumes; }
    void UpdateGame() override {
        ++updates;
        if (onUpdate) onUpdate();
    }
    void RenderGame() override { ++renders; }
    void KeyEvent(int event, int data) override { keys.emplace_back(event, data); }
    void MouseEvent(int event, int data, float x, float y) override { mice.emplace_back(event, data, x, y); }
};

struct LoopTest : testing::Test {
    ScriptedHost host;
    Ref<RecordingDelegate> game = New<RecordingDelegate>();
    ScriptedPlatform& platform = host.Platform();

    void SetUp() override {
        host.Game().SetDelegate(game);
        ASSERT_TRUE(host.Start());
    }
    // Updates run by each of the next `frames` frames.
    std::vector<int> UpdatesPerFrame(int frames) {
        std::vector<int> counts;
        for (int i = 0; i < frames; ++i) {
            int before = game->updates;
            host.Frames(1);
            counts.push_back(game->updates - before);
        }
        return counts;
    }
};

}  // namespace

TEST_F(LoopTest, OpensCentredTitledWindowAndStarts) {
    EXPECT_EQ(game->starts, 1);
    EXPECT_TRUE(host.Game().IsStarted());
    EXPECT_EQ(platform.Title(), "Orbel DEMO");
    EXPECT_EQ(platform.LastWindowRequest().width, 960);
    EXPECT_EQ(platform.LastWindowRequest().height, 540);
    EXPECT_EQ(platform.WindowX(), (1920 - 960) / 2);
    EXPECT_EQ(platform.WindowY(), (1080 - 540) / 2);
    EXPECT_EQ(host.Game().GetDeviceWidth(), 960);
    EXPECT_EQ(host.Game().GetDeviceHeight(), 540);
}

TEST_F(LoopTest, SteadyFramesRunOneUpdateEach) {
    host.Game().SetUpdateRate(60);
    EXPECT_EQ(UpdatesPerFrame(30), std::vector<int>(30, 1));
    EXPECT_NEAR(platform.SleptTime(), 29.0 / 60, 1e-9);
    EXPECT_EQ(game->renders, 30);
}

TEST_F(LoopTest, SlowFramesAlternateFourAndOneUpdates) {
    host.Game().SetUpdateRate(60);
    platform.SetFrameTime(0.1);
    EXPECT_EQ(UpdatesPerFrame(8), (std::vector<int>{1, 4, 1, 4, 1, 4, 1, 4}));
    EXPECT_EQ(platform.SleptTime(), 0);
}

// Where the frames come from outside and the loop cannot sleep (a browser),
// an update runs only when due, so the game keeps its rate whatever the
// display's: one update every other frame at 120 Hz, two a frame at 30 Hz,
// and the catch-up bound still holds after a stall.
TEST_F(LoopTest, FramesDrivenFromOutsideRunUpdatesWhenDue) {
    platform.SetCanSleep(false);
    host.Game().SetUpdateRate(60);
    struct Case {
        double frameTime;
        std::vector<int> updates;
    };
    const Case cases[] = {
        {1.0 / 60, std::vector<int>(8, 1)},
        {1.0 / 120, {1, 0, 1, 0, 1, 0, 1, 0}},
        {1.0 / 30, std::vector<int>(8, 2)},
    };
    for (const Case& c : cases) {
        platform.SetFrameTime(c.frameTime);
        UpdatesPerFrame(4);  // settles into the new pace
        EXPECT_EQ(UpdatesPerFrame(8), c.updates) << "frames of " << c.frameTime << " s";
    }
    platform.SetFrameTime(1.0 / 60);
    platform.Advance(1.0);
    EXPECT_EQ(UpdatesPerFrame(3), (std::vector<int>{4, 1, 1})) << "a stall catches up four and drops the rest";
    EXPECT_EQ(platform.SleptTime(), 0);
}

TEST_F(LoopTest, RateZeroUpdatesOncePerFrame) {
    platform.SetFrameTime(0.1);
    EXPECT_EQ(UpdatesPerFrame(3), (std::vector<int>{1, 1, 1}));
}

TEST_F(LoopTest, RateChangeInsideAnUpdateEndsTheCatchUp) {
    host.Game().SetUpdateRate(60);
    host.Frames(1);
    platform.Advance(1.0);  // far behind: would catch up 4
    game->onUpdate = [&] { host.Game().SetUpdateRate(30); };
    EXPECT_EQ(UpdatesPerFrame(1), std::vector<int>{1});
    EXPECT_EQ(host.Game().NextUpdate(), 0);
    game->onUpdate = nullptr;
    EXPECT_EQ(UpdatesPerFrame(3), (std::vector<int>{1, 1, 1}));
    EXPECT_NEAR(platform.SleptTime(), 2.0 / 30, 1e-9);
}

TEST_F(LoopTest, SuspendAndResumeSkipTheTimeAway) {
    host.Game().SetUpdateRate(60);
    host.Frames(3);
    int updates = game->updates;

    platform.Focus(false);
    host.Frames(1);
    EXPECT_TRUE(host.Game().IsSuspended());
    EXPECT_EQ(game->suspends, 1);
    EXPECT_EQ(game->updates, updates) << "the frame that loses focus runs no update";

    // While suspended every frame still renders and then waits for events.
    int renders = game->renders;
    platform.Advance(10.0);
    host.Frames(3);
    EXPECT_EQ(game->renders, renders + 3);
    EXPECT_EQ(platform.WaitCount(), 3);
    EXPECT_EQ(game->updates, updates);

    platform.Focus(true);
    EXPECT_EQ(UpdatesPerFrame(1), std::vector<int>{1}) << "nothing of the 10 s is caught up";
    EXPECT_EQ(game->resumes, 1);
    EXPECT_FALSE(host.Game().IsSuspended());
    EXPECT_EQ(UpdatesPerFrame(2), (std::vector<int>{1, 1}));
}

TEST_F(LoopTest, KeysBecomeGameCodesAndCharacters) {
    using K = std::tuple<int, int>;
    platform.KeyDown(GLFW_KEY_DELETE);
    platform.KeyDown(GLFW_KEY_LEFT);
    platform.KeyDown(GLFW_KEY_ENTER);
    platform.KeyDown(GLFW_KEY_A);
    platform.Char('a');
    platform.KeyRepeat(GLFW_KEY_A);
    platform.KeyUp(GLFW_KEY_A);
    platform.KeyDown(GLFW_KEY_LEFT_ALT);  // not a game key: dropped
    platform.KeyUp(GLFW_KEY_LEFT_ALT);
    host.Frames(1);
    EXPECT_EQ(
        game->keys,
        (std::vector<K>{
            {1, 46}, {3, 127}, {1, 37}, {3, 37 | 0x10000}, {1, 13}, {3, 13}, {1, 65}, {3, 'a'}, {1, 65}, {2, 65}}));
}

TEST_F(LoopTest, MouseEventsCarryTheCursorPosition) {
    using M = std::tuple<int, int, float, float>;
    game->mice.clear();
    platform.MouseMove(12.5, 30);
    platform.MouseDown(GLFW_MOUSE_BUTTON_LEFT);
    platform.MouseUp(GLFW_MOUSE_BUTTON_RIGHT);
    platform.MouseDown(5);  // only buttons 0-2 exist for the game
    host.Frames(1);
    EXPECT_EQ(game->mice, (std::vector<M>{{6, -1, 12.5f, 30.0f}, {4, 0, 12.5f, 30.0f}, {5, 1, 12.5f, 30.0f}}));
}

TEST_F(LoopTest, CloseBoxIsKey432AndLeavesTheWindowOpen) {
    using K = std::tuple<int, int>;
    platform.RequestClose();
    host.Frames(2);
    EXPECT_EQ(game->keys, (std::vector<K>{{1, 432}, {2, 432}}));
    EXPECT_TRUE(host.Game().IsWindowOpen());
}

TEST_F(LoopTest, RunEndsWhenTheWindowCloses) {
    platform.CloseAfterFrames(platform.FrameCount() + 5);
    // Run re-opens the window and starts nothing twice.
    EXPECT_TRUE(host.Game().Run());
    EXPECT_EQ(game->starts, 1);
    EXPECT_EQ(game->renders, 5);
    EXPECT_EQ(platform.WindowsOpened(), 2);
}

TEST_F(LoopTest, ServicesOfTheWindowSystem) {
    RtGlfwGame& g = host.Game();
    platform.SetVideoModes({{800, 600, 8, 8, 8}, {1024, 768, 5, 6, 5}});
    platform.SetDesktopMode({1280, 1024, 8, 8, 8});
    auto modes = g.GetDisplayModes();
    ASSERT_EQ(modes.size(), 2u);
    EXPECT_EQ(modes[1].width, 1024);
    EXPECT_EQ(modes[1].depth, 0);
    EXPECT_EQ(g.GetDesktopMode()->height, 1024);
    EXPECT_EQ(g.GetDesktopVideoMode().redBits, 8);

    g.SetMouseVisible(false);
    EXPECT_FALSE(platform.CursorVisible());

    // A stored swap interval applies now and again whenever the window re-opens.
    g.SetSwapInterval(1);
    EXPECT_EQ(platform.DriverSwapInterval(), 1);
    EXPECT_TRUE(g.ApplyDriverSwapInterval(0));
    EXPECT_EQ(platform.DriverSwapInterval(), 0);
    int generation = ContextGeneration();
    g.SetDeviceWindow(640, 480, 0);
    EXPECT_EQ(ContextGeneration(), generation + 1);
    EXPECT_EQ(platform.DriverSwapInterval(), 1);
    EXPECT_EQ(g.GetDeviceWidth(), 640);
    EXPECT_EQ(platform.WindowX(), (1280 - 640) / 2);

    platform.SetJoystick(0, {0.25f}, {GLFW_PRESS});
    JoyAxes x{}, y{}, z{};
    JoyButtons b{};
    EXPECT_TRUE(g.PollJoystick(0, x, y, z, b));
    EXPECT_EQ(x[0], 0.25f);
    EXPECT_TRUE(b[0]);
    EXPECT_FALSE(g.PollJoystick(1, x, y, z, b));

    platform.Advance(2.5);
    EXPECT_EQ(g.ElapsedMilliseconds(), static_cast<int>(platform.Now() * 1000));
}

TEST(HostCallbacks, NothingReachesTheGameBeforeStart) {
    ScriptedHost host;
    auto game = New<RecordingDelegate>();
    host.Game().SetDelegate(game);
    RtGame& g = host.Game();
    g.UpdateGame();
    g.RenderGame();
    g.KeyEvent(1, 65);
    g.SuspendGame();
    EXPECT_EQ(game->updates + game->renders + game->suspends + static_cast<int>(game->keys.size()), 0);
    EXPECT_FALSE(g.IsSuspended());
    EXPECT_EQ(RtGame::Instance(), &g);
    EXPECT_EQ(RtGlfwGame::GlfwInstance(), &host.Game());
}

TEST(HostCallbacks, EscapingGameErrorIsReportedAsUncaught) {
    class Throwing final : public RtGameDelegate {
        void UpdateGame() override { ThrowError<ThrowableObject>(); }
    };
    ChildResult r = RunInChild([] {
        ScriptedHost host;
        host.Game().SetDelegate(New<Throwing>());
        host.Start();
        host.Frames(1);
    });
    EXPECT_EQ(r.out, "Cobalt Runtime Error : Uncaught Cobalt Exception\n");
    EXPECT_EQ(r.exitCode, 255);
}

TEST(HostServices, GetDateFillsWhatTheArrayHolds) {
    RtGame host;
    std::array<int, 3> three{-1, -1, -1};
    host.GetDate(three);
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    EXPECT_EQ(three[0], local.tm_year + 1900);
    EXPECT_EQ(three[1], local.tm_mon + 1);
    EXPECT_EQ(three[2], local.tm_mday);
    std::array<int, 9> nine;
    nine.fill(-1);
    host.GetDate(nine);
    EXPECT_EQ(nine[6], 0);
    EXPECT_EQ(nine[7], -1);
    EXPECT_FALSE(host.GetDesktopMode());
    EXPECT_TRUE(host.GetDisplayModes().empty());
}

TEST(HostServices, OpenUrlPassesTheUrlAsOneArgument) {
    ScopedTempDir dir;
    // A stand-in for the desktop's handler that records its arguments.
    dir.Write("bin/xdg-open",
              "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$0.tmp\"\nmv \"$0.tmp\" \"$0.args\"\n");
    std::filesystem::permissions(dir.Path() / "bin/xdg-open", std::filesystem::perms::owner_all);
    std::string url = "https://example.org/?a=1&b=$(touch pwned);echo `id`";
    std::string path = (dir.Path() / "bin").string() + ":" + std::getenv("PATH");
    ChildResult r = RunInChild([&] {
        setenv("PATH", path.c_str(), 1);
        ScriptedHost host;
        host.Game().OpenUrl(S(url));
        host.Game().OpenUrl(u"--help");  // would be an option to the handler
    });
    EXPECT_EQ(r.exitCode, 0);
    // The handler runs detached; wait for what it wrote.
    for (int i = 0; i < 500 && !std::filesystem::exists(dir.Path() / "bin/xdg-open.args"); ++i) usleep(20000);
    EXPECT_EQ(dir.Read("bin/xdg-open.args"), url + "\n");
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "pwned"));
}

TEST(GlEntryPoints, NamesFollowTheVersion) {
    struct Case {
        const char* version;
        int number;
        const char *first, *point, *buffer;
    };
    const Case cases[] = {
        {"1.2.1 Old", 12, "glActiveTextureARB", "glPointParameterfARB", "glGenBuffersARB"},
        {"1.3", 13, "glActiveTexture", "glPointParameterfARB", "glGenBuffersARB"},
        {"1.4 Mesa", 14, "glActiveTexture", "glPointParameterf", "glGenBuffersARB"},
        {"1.5", 15, "glActiveTexture", "glPointParameterf", "glGenBuffers"},
        {"4.5 (Compatibility Profile) Mesa 22.3.6", 45, "glActiveTexture", "glPointParameterf", "glGenBuffers"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GlVersionNumber(c.version), c.number);
        std::vector<std::string> asked;
        GlEntryPoints gl = LookUpGlEntryPoints(GlVersionNumber(c.version), [&](const char* name) {
            asked.push_back(name);
            return reinterpret_cast<void*>(asked.size());
        });
        ASSERT_EQ(asked.size(), 14u);
        EXPECT_EQ(asked[0], c.first);
        EXPECT_EQ(asked[5], std::string("glSampleCoverage") + (c.number < 13 ? "ARB" : ""));
        EXPECT_EQ(asked[6], c.point);
        EXPECT_EQ(asked[7], c.buffer);
        EXPECT_EQ(asked[13], std::string("glGetBufferParameteriv") + (c.number > 14 ? "" : "ARB"));
        EXPECT_EQ(gl.activeTexture, reinterpret_cast<void*>(1));
        EXPECT_EQ(gl.getBufferParameteriv, reinterpret_cast<void*>(14));
    }
    EXPECT_EQ(GlVersionNumber(nullptr), 0);
    EXPECT_EQ(GlVersionNumber("2"), 0);
}
