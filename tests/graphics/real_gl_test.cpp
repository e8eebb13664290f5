// The renderer on real OpenGL (a hidden GLFW window; the suite runs under a
// virtual X display).
#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include <cstdlib>

#include "graphics/graphics_context.h"
#include "graphics_test_support.h"

namespace {

class RealGlTest : public ::testing::Test {
protected:
    void SetUp() override {
        LeakCheckBeforeTheDriverLoads();
        if (!glfwInit()) GTEST_SKIP() << "no display";
        glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
        window = glfwCreateWindow(128, 128, "orbel graphics test", nullptr, nullptr);
        if (!window) GTEST_SKIP() << "no OpenGL window";
        glfwMakeContextCurrent(window);
        BumpContextGeneration();
        SetGraphicsDevice(New<gxtkGraphics>());
    }
    void TearDown() override {
        SetGraphicsDevice(nullptr);
        glfwMakeContextCurrent(nullptr);
        if (window) glfwDestroyWindow(window);
    }

    GLFWwindow* window = nullptr;
};

struct Rgb {
    int r, g, b;
};

Rgb RgbOf(int argb) {
    const auto value = std::uint32_t(argb);
    return {int(value >> 16 & 0xff), int(value >> 8 & 0xff), int(value & 0xff)};
}

void ExpectNear(Rgb actual, Rgb expected, const char* where) {
    EXPECT_NEAR(actual.r, expected.r, 2) << where;
    EXPECT_NEAR(actual.g, expected.g, 2) << where;
    EXPECT_NEAR(actual.b, expected.b, 2) << where;
}

TEST_F(RealGlTest, RotatedScaledHalfTransparentImageOverAClearedTarget) {
    gxtkGraphics* device = GetGraphicsDevice();
    ASSERT_EQ(device->BeginFrame(), 1);
    ASSERT_EQ(device->Width(), 128);
    BeginDrawing();
    Clear(0, 0, 255);

    // 16 × 8: left half red, right half green, opaque; decoded from a PNG.
    std::vector<std::uint8_t> pixels;
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 16; ++x) {
            pixels.insert(pixels.end(), {std::uint8_t(x < 8 ? 255 : 0), std::uint8_t(x < 8 ? 0 : 255), 0, 255});
        }
    }
    const std::vector<std::uint8_t> png = EncodePng(16, 8, 4, pixels);
    Ref<c_Image> image = LoadImageFromMemory(png.data(), png.size(), 1, c_Image::HandleAtCentre);
    ASSERT_TRUE(image);

    // A quarter turn anticlockwise, doubled: the green half points up, the
    // red half down, 16 wide and 32 tall around (64, 64).
    SetAlpha(0.5f);
    DrawImage(image.get(), 64, 64, 90, 2, 2);

    int column[48] = {};
    ReadPixels(column, 64, 40, 1, 48);  // rows y = 40 … 87, top first
    ExpectNear(RgbOf(column[0]), {0, 0, 255}, "above the image");
    ExpectNear(RgbOf(column[12]), {0, 127, 128}, "green half, y = 52");
    ExpectNear(RgbOf(column[36]), {127, 0, 128}, "red half, y = 76");
    ExpectNear(RgbOf(column[47]), {0, 0, 255}, "below the image");

    int side[1] = {};
    ReadPixels(side, 50, 64, 1, 1);
    ExpectNear(RgbOf(side[0]), {0, 0, 255}, "left of the turned image");

    // Additive blending and a scissor that keeps only the left half.
    SetBlendMode(1);
    SetAlpha(1);
    SetColor(255, 0, 0);
    SetScissor(0, 0, 64, 128);
    DrawRect(0, 0, 128, 10);
    int row[2] = {};
    ReadPixels(row, 10, 5, 1, 1);
    ReadPixels(row, 100, 5, 1, 1, 1);
    ExpectNear(RgbOf(row[0]), {255, 0, 255}, "added inside the scissor");
    ExpectNear(RgbOf(row[1]), {0, 0, 255}, "outside the scissor");

    EndDrawing();
    device->EndFrame();
}

TEST_F(RealGlTest, TexturesSurviveANewContext) {
    gxtkGraphics* device = GetGraphicsDevice();
    Ref<c_Image> image = CreateImage(2, 2);
    ASSERT_TRUE(image);
    const int white[4] = {-1, -1, -1, -1};
    WritePixels(image.get(), white, 0, 0, 2, 2);

    // Re-open the window: a new context in which the old texture is gone.
    glfwDestroyWindow(window);
    window = glfwCreateWindow(64, 64, "orbel graphics test", nullptr, nullptr);
    ASSERT_TRUE(window);
    glfwMakeContextCurrent(window);
    BumpContextGeneration();

    device->BeginFrame();
    BeginDrawing();
    Clear(0, 0, 0);
    DrawImage(image.get(), 10, 10);
    int pixel[1] = {};
    ReadPixels(pixel, 11, 11, 1, 1);
    ExpectNear(RgbOf(pixel[0]), {255, 255, 255}, "re-uploaded from the kept pixels");
    EndDrawing();
    device->EndFrame();
}

}  // namespace
