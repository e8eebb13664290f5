// The real GLFW platform under Xvfb: the titled, centred window, its close
// box as a key, and the scripted platform with a real GL context.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "graphics/gl_api.h"
#include "host/gl_context.h"
#include "host/glfw_platform.h"
#include "host/rt_glfw_game.h"
#include "support/child_process.h"
#include "support/scripted_platform.h"
#include "support/x11_window.h"

namespace {

class CloseWatcher final : public RtGameDelegate {
public:
    int starts = 0, renders = 0;
    std::vector<std::pair<int, int>> keys;
    void StartGame() override { ++starts; }
    void RenderGame() override { ++renders; }
    void KeyEvent(int event, int data) override { keys.emplace_back(event, data); }
};

}  // namespace

// The real window on the real window system (Xvfb in CI).
TEST(GlfwWindow, OpensTitledCentredAndTurnsTheCloseBoxIntoKey432) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (run under xvfb-run)";
    ASSERT_TRUE(GlfwPlatform::Init());
    {
        RtCobaltGame host(std::make_unique<GlfwPlatform>());
        // The first run's window, whatever a settings file here may say.
        host.UseSettingsStore([] { return GameSettings{}; }, [](const GameSettings&) { return true; });
        auto game = New<CloseWatcher>();
        host.SetDelegate(game);
        int generation = ContextGeneration();
        ASSERT_TRUE(host.BeginRun());
        EXPECT_EQ(game->starts, 1);
        EXPECT_EQ(ContextGeneration(), generation + 1);
        EXPECT_NE(GlProcs().activeTexture, nullptr);
        EXPECT_EQ(host.GetDeviceWidth(), 960);
        EXPECT_EQ(host.GetDeviceHeight(), 540);

        // Found by title the way a desktop tool finds it.
        // The window may be mapped a moment after the call returns on a busy
        // display, so the search is repeated for a while.
        ChildResult search;
        for (int attempt = 0; attempt < 100; ++attempt) {
            search = RunProgram(
                {"xdotool", "search", "--all", "--pid", std::to_string(::getpid()), "--name", "^Orbel DEMO$"});
            if (search.exitCode == 0) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        ASSERT_EQ(search.exitCode, 0) << search.err;
        unsigned long window = std::strtoul(search.out.c_str(), nullptr, 10);
        ASSERT_NE(window, 0u);

        X11Rect screen = X11ScreenRect();
        X11Rect rect = X11WindowRect(window);
        EXPECT_EQ(rect.width, 960);
        EXPECT_EQ(rect.height, 540);
        EXPECT_EQ(rect.x, (screen.width - 960) / 2);
        EXPECT_EQ(rect.y, (screen.height - 540) / 2);

        host.RunFrame();
        EXPECT_EQ(game->renders, 1);
        // Polled rather than run frame by frame: another test's window on
        // the same display may take the focus, and a suspended loop would
        // wait for events.
        ASSERT_TRUE(SendX11DeleteRequest(window));
        for (int i = 0; i < 500 && game->keys.empty(); ++i) {
            usleep(10000);
            host.Platform().PollEvents();
        }
        EXPECT_EQ(game->keys, (std::vector<std::pair<int, int>>{{1, 432}, {2, 432}}));
        EXPECT_TRUE(host.IsWindowOpen()) << "closing is the game's decision";
    }
    // GLFW stays initialised: terminating unloads the GL driver, whose
    // remaining allocations would then read as leaks.
}

// The scripted platform can carry a real GL context for drawing tests while
// its clock and events stay scripted.
TEST(GlfwWindow, ScriptedPlatformWithARealContext) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (run under xvfb-run)";
    ScriptedHost host(ScriptedPlatform::Options{.glContext = true});
    ASSERT_TRUE(host.Start());
    EXPECT_GE(GlVersionNumber(host.Platform().GlVersion()), 13);
    EXPECT_NE(GlProcs().activeTexture, nullptr);
    EXPECT_TRUE(FindX11Windows("Orbel DEMO", ::getpid()).empty()) << "only the real host's window has that title";
    host.Game().SetUpdateRate(60);
    host.Frames(3);
    EXPECT_EQ(host.Platform().FrameCount(), 3);
    EXPECT_NEAR(host.Platform().Now(), 1.0 + 2.0 / 60, 1e-9);
}
