// What a frame of each screen costs the GPU, counted through the recording
// GL seam at the game's own window size: draw calls, and pixels written with
// blending on (each one a read-modify-write of the target, which is what a
// software rasteriser spends its time on). The limits keep the scenery in a
// few atlases and the opaque layers unblended.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "graphics/graphics_context.h"
#include "level/level_stage_harness.h"
#include "stb_image_write.h"
#include "support/gl_recorder.h"

namespace {

constexpr int kWindowW = 960, kWindowH = 540;
// A two-world frame was 50-58 draw calls and blended up to 4.4 windows'
// worth of pixels before the scenery atlases and the unblended opaque draws,
// and up to 32 calls before the level objects shared an atlas and the other
// world's sky stayed out of each view; up to 3.1 windows blended before the
// parallax atlases left out the clear sky above their pictures.
constexpr int kMostDrawCalls = 25;
constexpr double kMostBlendedScreens = 2.8;

struct Point {
    double x, y;
};

// Area of the triangle (a, b, c) inside the rectangle [x0, x1] × [y0, y1]:
// the triangle clipped edge by edge, then the shoelace formula.
double ClippedArea(Point a, Point b, Point c, double x0, double y0, double x1, double y1) {
    std::vector<Point> poly{a, b, c}, next;
    auto clip = [&](auto inside, auto cross) {
        next.clear();
        for (std::size_t i = 0; i < poly.size(); ++i) {
            const Point p = poly[i], q = poly[(i + 1) % poly.size()];
            const bool pin = inside(p), qin = inside(q);
            if (pin) next.push_back(p);
            if (pin != qin) next.push_back(cross(p, q));
        }
        poly.swap(next);
    };
    auto atX = [](double x) {
        return [x](Point p, Point q) { return Point{x, p.y + (q.y - p.y) * (x - p.x) / (q.x - p.x)}; };
    };
    auto atY = [](double y) {
        return [y](Point p, Point q) { return Point{p.x + (q.x - p.x) * (y - p.y) / (q.y - p.y), y}; };
    };
    clip([&](Point p) { return p.x >= x0; }, atX(x0));
    clip([&](Point p) { return p.x <= x1; }, atX(x1));
    clip([&](Point p) { return p.y >= y0; }, atY(y0));
    clip([&](Point p) { return p.y <= y1; }, atY(y1));
    double twice = 0;
    for (std::size_t i = 0; i < poly.size(); ++i) {
        const Point p = poly[i], q = poly[(i + 1) % poly.size()];
        twice += p.x * q.y - q.x * p.y;
    }
    return std::fabs(twice) / 2;
}

// Pixels the recorded draws wrote with blending on, within the target and
// each draw's scissor box.
double BlendedPixels(const GlRecorder& gl) {
    double total = 0;
    for (const GlRecorder::Draw& draw : gl.draws) {
        if (!draw.blend) continue;
        double x0 = 0, y0 = 0, x1 = gl.targetWidth, y1 = gl.targetHeight;
        if (draw.scissorTest) {
            // The scissor box counts rows from the bottom; vertices from the top.
            x0 = std::max(x0, double(draw.scissor[0]));
            x1 = std::min(x1, double(draw.scissor[0] + draw.scissor[2]));
            y0 = std::max(y0, double(gl.targetHeight - draw.scissor[1] - draw.scissor[3]));
            y1 = std::min(y1, double(gl.targetHeight - draw.scissor[1]));
        }
        if (x1 <= x0 || y1 <= y0) continue;
        const auto& v = draw.vertices;
        auto at = [&](std::size_t i) { return Point{v[i].x, v[i].y}; };
        if (draw.mode == gl::kTriangles) {
            for (std::size_t i = 0; i + 2 < v.size(); i += 3)
                total += ClippedArea(at(i), at(i + 1), at(i + 2), x0, y0, x1, y1);
        } else if (draw.mode == gl::kTriangleFan) {
            for (std::size_t i = 1; i + 1 < v.size(); ++i)
                total += ClippedArea(at(0), at(i), at(i + 1), x0, y0, x1, y1);
        }
    }
    return total;
}

struct Cost {
    int drawCalls = 0;
    double blendedScreens = 0;  // blended pixels per window's worth of pixels
};

struct RenderCostTest : LevelStageTest {
    RenderCostTest() {
        gl.targetWidth = kWindowW;
        gl.targetHeight = kWindowH;
    }
    // The dearest of `frames` frames while the active character walks right.
    Cost Measure(int frames) {
        Cost worst;
        platform.KeyDown(GLFW_KEY_RIGHT);
        for (int i = 0; i < frames; ++i) {
            gl.ResetCounters();
            host.Frames(1);
            worst.drawCalls = std::max(worst.drawCalls, gl.drawCalls);
            worst.blendedScreens = std::max(worst.blendedScreens, BlendedPixels(gl) / (kWindowW * kWindowH));
        }
        platform.KeyUp(GLFW_KEY_RIGHT);
        return worst;
    }
};

TEST_F(RenderCostTest, EveryLevelDrawsInFewCallsAndBlendsLittle) {
    for (int level = 0; level <= kLastLevel; ++level) {
        Play(level);
        const Cost cost = Measure(40);
        std::printf("level %d: %d draw calls, %.2f screens blended\n", level, cost.drawCalls, cost.blendedScreens);
        EXPECT_LE(cost.drawCalls, kMostDrawCalls) << "level " << level;
        EXPECT_LE(cost.blendedScreens, kMostBlendedScreens) << "level " << level;
    }
}

// Every level on real OpenGL, after a few steps to the right, kept in
// build/screen-gallery/ beside the whole-game screens: what the counts above
// are about, for people to compare before and after a renderer change.
struct LevelsOnScreen : ScriptedGameTest<> {
    LevelsOnScreen() : ScriptedGameTest(ScriptedPlatform::Options{.glContext = true}) {}
    void SetUp() override {
        LinkBuildData();
        StartGame();
    }
};

TEST_F(LevelsOnScreen, EveryLevelIsDrawnIntoTheGallery) {
    const std::filesystem::path gallery = std::filesystem::path(ORBEL_BINARY_DIR) / "screen-gallery";
    std::filesystem::create_directories(gallery);
    std::vector<int> pixels(kWindowW * kWindowH);
    bool wanted = false;
    host.Platform().OnSwap([&](int) {
        if (!wanted) return;
        ReadPixels(pixels, 0, 0, kWindowW, kWindowH);  // before the buffers swap
        wanted = false;
    });
    for (int level = 0; level <= kLastLevel; ++level) {
        ASSERT_TRUE(RunUntil([&] { return game->fadeStart < 0 && game->nextStage == kNoStage; }));
        GoToLevel(level);
        ASSERT_TRUE(RunUntil([&] { return StageRunning(*game, kStageLevel); }));
        platform.KeyDown(GLFW_KEY_RIGHT);
        host.Frames(30);
        platform.KeyUp(GLFW_KEY_RIGHT);
        wanted = true;
        host.Frames(1);
        std::vector<std::uint8_t> rgb(pixels.size() * 3);
        int lit = 0;
        for (std::size_t i = 0; i < pixels.size(); ++i) {
            const auto v = static_cast<std::uint32_t>(pixels[i]);
            rgb[i * 3] = std::uint8_t(v >> 16), rgb[i * 3 + 1] = std::uint8_t(v >> 8), rgb[i * 3 + 2] = std::uint8_t(v);
            lit += (v & 0xffffffu) != 0;
        }
        const std::string name = "level-" + std::to_string(level) + ".png";
        stbi_write_png((gallery / name).c_str(), kWindowW, kWindowH, 3, rgb.data(), kWindowW * 3);
        EXPECT_GT(lit, int(pixels.size()) / 3) << name << " is mostly black";
    }
    host.Platform().OnSwap(nullptr);
}

}  // namespace
