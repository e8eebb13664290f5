// The whole game's screens, from the language menu through the intro, the
// title, the hub, the last level played to its end by its recorded solution,
// the ending and the credits, drawn with real OpenGL twice: through the
// fixed-function seam and through the GLES 2.0 seam, which the game picks
// from ORBEL_RENDERER=gles2 as the desktop game does. Every frame of the two
// runs is compared; the screens of the gallery pixel by pixel, the rest by a
// hash of their pixels. The runs are the same game: scripted time, the
// shared random generator from its start-up seed, the same inputs.
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "graphics/gl_api.h"
#include "graphics/graphics_context.h"
#include "graphics_test_support.h"
#include "host/rnd.h"
#include "level/solution_script.h"
#include "level/tarn_stage.h"
#include "support/scripted_game.h"

#include "stb_image_write.h"

namespace {

constexpr int kWidth = 960, kHeight = 540;

// What one run saw.
struct Frames {
    std::vector<std::uint64_t> hashes;    // every frame drawn
    std::vector<std::string> shotNames;   // the gallery's screens
    std::vector<std::vector<int>> shots;  // their ARGB pixels
    std::vector<std::size_t> shotFrames;  // and their frame numbers
    bool drewWithGles = false;            // the GLES 2.0 seam was the default
};

std::uint64_t Hash(const std::vector<int>& pixels) {
    std::uint64_t h = 1469598103934665603ull;
    for (int p : pixels) h = (h ^ std::uint32_t(p)) * 1099511628211ull;
    return h;
}

// One run of the game on the scripted host with a real GL context, as a test
// fixture would make it (its set-up and teardown called by hand, so that one
// test can hold two runs).
struct GalleryRun : ScriptedGameTest<> {
    GalleryRun() : ScriptedGameTest(ScriptedPlatform::Options{.glContext = true}) {}
    void TestBody() override {}

    void Play(Frames& out) {
        LinkBuildData();
        rnd::Seed() = rnd::kInitialSeed;
        StartGame();
        if (testing::Test::HasFatalFailure() || testing::Test::IsSkipped()) return;

        std::vector<int> pixels(std::size_t(kWidth) * kHeight);
        bool wanted = false;
        std::string wantedName;
        auto watchFrames = [&] {
            host.Platform().OnSwap([&](int) {
                ReadPixels(pixels, 0, 0, kWidth, kHeight);  // before the buffers swap
                out.hashes.push_back(Hash(pixels));
                if (!wanted) return;
                wanted = false;
                out.shotNames.push_back(wantedName);
                out.shots.push_back(pixels);
                out.shotFrames.push_back(out.hashes.size() - 1);
            });
        };
        watchFrames();
        auto take = [&](const std::string& name) {
            wanted = true;
            wantedName = name;
            host.Frames(1);
        };
        auto runUntilRunning = [&](int id) { return RunUntil([&] { return StageRunning(*game, id); }, 2000); };

        ASSERT_TRUE(runUntilRunning(kStageLanguage));
        take("1-language-menu");
        Press(GLFW_KEY_DOWN);
        Press(GLFW_KEY_ENTER);
        ASSERT_TRUE(RunUntil([&] { return game->stageId == kStageIntro && game->settleCount < 1; }, 300));
        host.Frames(90);
        take("2-first-logo");
        host.Frames(180);
        take("3-second-logo");
        ASSERT_TRUE(runUntilRunning(kStageTitle));
        host.Frames(30);
        take("4-title");
        Press(GLFW_KEY_ENTER);
        ASSERT_TRUE(runUntilRunning(kStageLevel));
        take("5-hub");

        auto hub = std::dynamic_pointer_cast<c_TarnStage>(game->stage);
        ASSERT_NE(hub, nullptr);
        hub->StartExit(500, 0, 0, 0, 6);  // as door 6 does
        ASSERT_TRUE(RunUntil([&] { return game->stage != hub && game->stageId == kStageLevel; }, 600));
        ASSERT_TRUE(runUntilRunning(kStageLevel));
        auto last = std::dynamic_pointer_cast<c_TarnStage>(game->stage);
        take("6-last-level");
        std::vector<solution::Event> events;
        std::string error;
        ASSERT_TRUE(solution::Read(solution::FileOfLevel(6), events, error)) << error;
        const solution::Outcome outcome = solution::Play(
            host, *game, last, events, [&] { return game->nextStage == kStageEnding; }, 600);
        ASSERT_TRUE(outcome.done) << outcome.where;
        watchFrames();  // the player watched the frames in its own way
        last.reset();
        hub.reset();
        ASSERT_TRUE(runUntilRunning(kStageEnding));
        host.Frames(150);
        take("7-ending");
        Press(GLFW_KEY_ENTER);
        ASSERT_TRUE(runUntilRunning(kStageCredits));
        host.Frames(400);
        take("8-credits");
        host.Platform().OnSwap(nullptr);
    }
};

// With `gles` the game picks the GLES 2.0 seam itself, from the environment,
// as the desktop game does when it starts.
Frames PlayGallery(bool gles) {
    Frames frames;
    if (gles) setenv("ORBEL_RENDERER", "gles2", 1);
    {
        GalleryRun run;
        run.Play(frames);
        run.TearDown();
    }
    frames.drewWithGles = UsingGlesRenderer();
    UseGlesRenderer(false);
    unsetenv("ORBEL_RENDERER");
    return frames;
}

struct Difference {
    int largest = 0;  // over all channels of all pixels
    int pixels = 0;   // pixels with any channel apart
};

Difference Compare(const std::vector<int>& a, const std::vector<int>& b) {
    Difference d;
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
        int largest = 0;
        for (int shift = 0; shift < 32; shift += 8) {
            largest = std::max(
                largest, std::abs(int(std::uint32_t(a[i]) >> shift & 0xff) - int(std::uint32_t(b[i]) >> shift & 0xff)));
        }
        d.largest = std::max(d.largest, largest);
        d.pixels += largest > 0;
    }
    return d;
}

void SavePng(const std::filesystem::path& file, const std::vector<int>& argb) {
    std::vector<std::uint8_t> rgb(argb.size() * 3);
    for (std::size_t i = 0; i < argb.size(); ++i) {
        const auto v = std::uint32_t(argb[i]);
        rgb[i * 3] = std::uint8_t(v >> 16), rgb[i * 3 + 1] = std::uint8_t(v >> 8), rgb[i * 3 + 2] = std::uint8_t(v);
    }
    stbi_write_png(file.c_str(), kWidth, kHeight, 3, rgb.data(), kWidth * 3);
}

TEST(GlesGallery, EveryFrameOfTheWholeGameIsDrawnAsByTheFixedFunctionSeam) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (run under xvfb-run)";
    LeakCheckBeforeTheDriverLoads();
    unsetenv("ORBEL_RENDERER");
    const Frames fixedFunction = PlayGallery(false);
    ASSERT_FALSE(testing::Test::HasFatalFailure());
    if (testing::Test::IsSkipped()) return;
    const Frames throughGles = PlayGallery(true);
    ASSERT_FALSE(testing::Test::HasFatalFailure());
    ASSERT_FALSE(fixedFunction.drewWithGles);
    ASSERT_TRUE(throughGles.drewWithGles);

    // The screens, kept for a look beside the fixed-function gallery.
    const std::filesystem::path gallery = std::filesystem::path(ORBEL_BINARY_DIR) / "screen-gallery-gles2";
    std::filesystem::create_directories(gallery);
    ASSERT_EQ(throughGles.shots.size(), fixedFunction.shots.size());
    ASSERT_EQ(throughGles.shotFrames, fixedFunction.shotFrames) << "the runs went apart";
    for (std::size_t i = 0; i < throughGles.shots.size(); ++i) {
        SavePng(gallery / (throughGles.shotNames[i] + ".png"), throughGles.shots[i]);
        const Difference d = Compare(throughGles.shots[i], fixedFunction.shots[i]);
        EXPECT_EQ(d.largest, 0) << throughGles.shotNames[i] << ": " << d.pixels << " pixels differ";
    }

    ASSERT_EQ(throughGles.hashes.size(), fixedFunction.hashes.size());
    std::vector<std::size_t> differing;
    for (std::size_t i = 0; i < throughGles.hashes.size(); ++i) {
        if (throughGles.hashes[i] != fixedFunction.hashes[i]) differing.push_back(i);
    }
    std::string listed;
    for (std::size_t i = 0; i < std::min<std::size_t>(differing.size(), 10); ++i) {
        listed += " " + std::to_string(differing[i]);
    }
    EXPECT_TRUE(differing.empty()) << differing.size() << " of " << throughGles.hashes.size()
                                   << " frames differ, first:" << listed;
    std::printf("%zu frames compared, %zu differ\n", throughGles.hashes.size(), differing.size());
}

}  // namespace
