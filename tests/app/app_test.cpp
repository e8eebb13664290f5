// The application layer on the scripted host: device creation before
// OnCreate, display modes, one update per key press, the clean drawing state
// of every frame, suspend and resume, and the close box.
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include "app/app.h"
#include "app/game_delegate.h"
#include "audio/gxtk_audio.h"
#include "graphics/graphics_context.h"
#include "host/input_device.h"
#include "host/rt_glfw_game.h"
#include "support/child_process.h"
#include "support/gl_recorder.h"
#include "support/scripted_platform.h"

namespace {

// An application that records what it sees of the devices and the keys.
class ProbeApp : public c_App {
public:
    std::vector<std::string> calls;
    std::vector<int> hitsOfA;
    bool devicesAtCreate = false;
    std::array<float, 6> matrixAtRender{};
    std::array<float, 3> colorAtRender{};

    int OnCreate() override {
        calls.push_back("create");
        devicesAtCreate = GetGraphicsDevice() && gxtkAudio::Current() && GetInputDevice() &&
                          GetGameDelegate()->graphics.get() == GetGraphicsDevice();
        return 0;
    }
    int OnResume() override {
        calls.push_back("resume");
        return 0;
    }
    int OnUpdate() override {
        hitsOfA.push_back(KeyHit(65));
        return 0;
    }
    int OnRender() override {
        matrixAtRender = GetMatrix();
        colorAtRender = GetColor();
        // Leave a mess; the next frame must start clean.
        ::SetColor(255, 0, 0);
        ::Translate(5, 5);
        DrawRect(0, 0, 10, 10);
        return 0;
    }
};

struct AppTest : testing::Test {
    GlRecorder gl;
    GlApiScope seam{gl};
    ScriptedHost host;
    ScriptedPlatform& platform = host.Platform();
    Ref<ProbeApp> app;

    void SetUp() override {
        app = New<ProbeApp>();
        ASSERT_EQ(host.Game().GetDelegate(), GetGameDelegate());
    }
    void TearDown() override {
        app.reset();
        ResetAppLayer();
    }
};

}  // namespace

TEST_F(AppTest, StartCreatesTheDevicesBeforeOnCreate) {
    EXPECT_EQ(GetApp(), app.get());
    EXPECT_EQ(GetGameDelegate()->graphics, nullptr);
    ASSERT_TRUE(host.Start());
    EXPECT_EQ(app->calls, std::vector<std::string>{"create"});
    EXPECT_TRUE(app->devicesAtCreate);
    EXPECT_EQ(DeviceWidth(), 960);
    EXPECT_EQ(DeviceHeight(), 540);
}

TEST_F(AppTest, DisplayModesAreDistinctAndOrdered) {
    platform.SetVideoModes(
        {{1024, 768, 8, 8, 8}, {640, 480, 8, 8, 8}, {1024, 600, 8, 8, 8}, {640, 480, 5, 6, 5}, {800, 600, 8, 8, 8}});
    platform.SetDesktopMode({1600, 900, 8, 8, 8});
    host.Start();
    std::vector<std::pair<int, int>> sizes;
    for (const auto& m : DisplayModes()) sizes.emplace_back(m->width, m->height);
    EXPECT_EQ(sizes, (std::vector<std::pair<int, int>>{{640, 480}, {800, 600}, {1024, 600}, {1024, 768}}));
    EXPECT_EQ(DesktopMode()->width, 1600);
    EXPECT_EQ(DesktopMode()->height, 900);
}

TEST_F(AppTest, WithoutADesktopModeTheWindowSizeStandsIn) {
    platform.SetDesktopMode({0, 0, 0, 0, 0});
    platform.SetVideoModes({});
    host.Start();
    EXPECT_TRUE(DisplayModes().empty());
    EXPECT_EQ(DesktopMode()->width, 960);
    EXPECT_EQ(DesktopMode()->height, 540);
}

TEST_F(AppTest, AKeyPressIsSeenByExactlyOneUpdate) {
    host.Start();
    host.Game().SetUpdateRate(60);
    host.Frames(2);
    platform.KeyDown(GLFW_KEY_A);
    host.Frames(3);
    platform.KeyUp(GLFW_KEY_A);
    host.Frames(1);
    EXPECT_EQ(app->hitsOfA, (std::vector<int>{0, 0, 1, 0, 0, 0}));

    // Also when the frame that delivers the press catches up four updates.
    app->hitsOfA.clear();
    platform.KeyDown(GLFW_KEY_A);
    platform.Advance(1.0);
    host.Frames(1);
    EXPECT_EQ(app->hitsOfA, (std::vector<int>{1, 0, 0, 0}));
}

TEST_F(AppTest, EveryFrameStartsWithCleanDrawingState) {
    host.Start();
    host.Frames(2);
    EXPECT_EQ(app->matrixAtRender, (std::array<float, 6>{1, 0, 0, 1, 0, 0}));
    EXPECT_EQ(app->colorAtRender, (std::array<float, 3>{255, 255, 255}));
    EXPECT_GT(gl.drawCalls, 0) << "what is still batched is drawn at the end of the frame";
}

TEST_F(AppTest, SuspendPausesAudioAndResumeTellsTheApplication) {
    host.Start();
    platform.Focus(false);
    host.Frames(1);
    platform.Focus(true);
    host.Frames(1);
    EXPECT_EQ(app->calls, (std::vector<std::string>{"create", "resume"}));

    GetGameDelegate()->MotionEvent(10, 0, 1, 2, 3);
    GetGameDelegate()->MotionEvent(11, 0, 7, 7, 7);
    EXPECT_EQ(GetInputDevice()->AccelZ(), 3);
}

TEST_F(AppTest, CloseBoxEndsTheProgramBeforeAnotherCallback) {
    host.Start();
    host.Game().SetUpdateRate(60);
    // A key-up of either pseudo key only reaches the input device.
    host.Game().KeyEvent(kEventKeyUp, KEY_CLOSE);
    host.Game().KeyEvent(kEventKeyUp, KEY_BACK);
    host.Frames(1);
    EXPECT_EQ(app->hitsOfA.size(), 1u);

    for (int key : {KEY_CLOSE, KEY_BACK}) {
        ChildResult r = RunInChild([&] {
            app->hitsOfA.clear();
            if (key == KEY_CLOSE) {
                platform.RequestClose();
            } else {
                host.Game().KeyEvent(kEventKeyDown, KEY_BACK);
            }
            host.Frames(1);
            std::printf("still running after %zu updates\n", app->hitsOfA.size());
        });
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_EQ(r.out, "") << "nothing ran after the key-down";
    }
}

TEST(App, OnlyOneApplication) {
    ChildResult r = RunInChild([] {
        auto first = New<c_App>();
        auto second = New<c_App>();
    });
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "Cobalt Runtime Error : App has already been created");
    EXPECT_EQ(r.exitCode, 255);

    // Once the first is gone (tests run several in turn) another may be made.
    { auto first = New<c_App>(); }
    auto second = New<c_App>();
    EXPECT_EQ(GetApp(), second.get());
    second.reset();
    ResetAppLayer();
}
