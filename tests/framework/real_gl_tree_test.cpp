// A small display tree drawn on real OpenGL (a hidden GLFW window; the suite
// runs under a virtual X display) and read back pixel by pixel.
#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <cstdint>

#include "framework/color_stack.h"
#include "framework/rectangle_gdo.h"
#include "framework/screen.h"
#include "framework/window.h"
#include "graphics/graphics_context.h"

namespace {

struct Rgb {
    int r, g, b;
};

Rgb PixelAt(int x, int y) {
    int argb = 0;
    ReadPixels(std::span<int>(&argb, 1), x, y, 1, 1);
    const auto v = static_cast<std::uint32_t>(argb);
    return {int(v >> 16 & 0xff), int(v >> 8 & 0xff), int(v & 0xff)};
}

void ExpectNear(Rgb actual, Rgb expected, const char* where) {
    EXPECT_NEAR(actual.r, expected.r, 2) << where;
    EXPECT_NEAR(actual.g, expected.g, 2) << where;
    EXPECT_NEAR(actual.b, expected.b, 2) << where;
}

}  // namespace

TEST(RealGlTree, TintedChildUnderHalfTransparentParentInsideAWindow) {
    if (!glfwInit()) GTEST_SKIP() << "no display";
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    GLFWwindow* glWindow = glfwCreateWindow(64, 64, "orbel tree test", nullptr, nullptr);
    if (!glWindow) {
        glfwTerminate();
        GTEST_SKIP() << "no OpenGL window";
    }
    glfwMakeContextCurrent(glWindow);
    BumpContextGeneration();
    SetGraphicsDevice(New<gxtkGraphics>());
    Screen() = GameScreen{};
    Screen().SetVisibleRect(0, 0, 64, 64);

    // World: a 64 × 64 blue square at half alpha covering everything, with
    // an opaque-tinted red 8 × 8 child 8 pixels right of and below its
    // centre. The view is the 32 × 32 middle of the target.
    auto parent = New<c_RectangleGDO>(64, 64);
    parent->tint.Set(0, 0, 255);
    parent->alpha = 0.5f;
    auto child = New<c_RectangleGDO>(8, 8);
    child->tint.Set(255, 0, 0);
    child->position.Set(8, 8);
    parent->AddChild(child);
    auto view = New<c_Window>(32, 32);
    view->position.Set(32, 32);

    gxtkGraphics* device = GetGraphicsDevice();
    ASSERT_EQ(device->BeginFrame(), 1);
    BeginDrawing();
    Clear(0, 0, 0);
    view->BeginView();
    parent->Render();
    view->EndView();

    ExpectNear(PixelAt(20, 20), {0, 0, 128}, "parent inside the view");
    ExpectNear(PixelAt(40, 40), {128, 0, 64}, "red child at the parent's alpha, over the parent");
    ExpectNear(PixelAt(5, 5), {0, 0, 0}, "outside the view's scissor");
    ExpectNear(PixelAt(58, 40), {0, 0, 0}, "outside the view's scissor");
    EndDrawing();
    device->EndFrame();

    SetGraphicsDevice(nullptr);
    Screen() = GameScreen{};
    glfwDestroyWindow(glWindow);
    // GLFW stays initialised: terminating unloads the GL driver, whose
    // remaining allocations would then read as leaks.
}
