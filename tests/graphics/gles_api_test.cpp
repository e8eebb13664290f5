// The GLES 2.0 seam: its matrix and pixel arithmetic on their own, and on
// real OpenGL (a hidden GLFW window under the virtual X display) the same
// scene drawn through it and through the fixed-function seam, pixel for
// pixel, before and after the context is made again.
#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "graphics/gles_api.h"
#include "graphics/graphics_context.h"
#include "graphics_test_support.h"

namespace {

// ---- matrices -----------------------------------------------------------------------

struct Point {
    double x, y;
};

Point Apply(const gles::Matrix& m, double x, double y) {
    const double w = m[3] * x + m[7] * y + m[15];
    return {(m[0] * x + m[4] * y + m[12]) / w, (m[1] * x + m[5] * y + m[13]) / w};
}

TEST(GlesMatrix, TheRenderersProjectionMapsTargetPixelsToClipSpaceWithYDown) {
    GlesApi api;
    api.MatrixMode(gl::kProjection);
    api.LoadIdentity();
    api.Ortho(0, 960, 540, 0, -1, 1);
    api.MatrixMode(gl::kModelView);
    api.LoadIdentity();
    struct Case {
        double x, y, clipX, clipY;
    };
    for (const Case& c : {Case{0, 0, -1, 1}, Case{960, 540, 1, -1}, Case{480, 270, 0, 0}, Case{240, 405, -0.5, -0.5}}) {
        const Point p = Apply(api.CurrentMatrix(), c.x, c.y);
        EXPECT_DOUBLE_EQ(p.x, c.clipX) << c.x << ", " << c.y;
        EXPECT_DOUBLE_EQ(p.y, c.clipY) << c.x << ", " << c.y;
    }
}

TEST(GlesMatrix, OrthoMultipliesTheCurrentMatrixAndLoadIdentityResetsOnlyIt) {
    GlesApi api;
    api.MatrixMode(gl::kProjection);
    api.Ortho(0, 2, 0, 2, -1, 1);  // (1, 1) → (0, 0)
    api.MatrixMode(gl::kModelView);
    api.Ortho(0, 4, 0, 4, -1, 1);  // (4, 4) → (1, 1)
    // Projection × model-view: the model-view applies first. The other order
    // would give 0.5.
    Point p = Apply(api.CurrentMatrix(), 4, 4);
    EXPECT_DOUBLE_EQ(p.x, 0);
    EXPECT_DOUBLE_EQ(p.y, 0);

    api.Ortho(0, 4, 0, 4, -1, 1);  // multiplied onto the model-view again
    p = Apply(api.CurrentMatrix(), 10, 10);
    EXPECT_DOUBLE_EQ(p.x, 0);

    api.LoadIdentity();  // the model-view only
    p = Apply(api.CurrentMatrix(), 1, 1);
    EXPECT_DOUBLE_EQ(p.x, 0);
    EXPECT_DOUBLE_EQ(p.y, 0);
}

// ---- pixels ---------------------------------------------------------------------------

TEST(GlesPixels, RowBytesFollowTheAlignment) {
    struct Case {
        int width, bytesPerPixel, alignment;
        std::size_t rowBytes;
    };
    for (const Case& c : {Case{3, 1, 4, 4}, Case{3, 1, 1, 3}, Case{5, 2, 2, 10}, Case{1, 4, 8, 8}, Case{2, 4, 8, 8},
                          Case{3, 3, 4, 12}, Case{3, 1, 3, 4}, Case{0, 4, 4, 0}}) {
        EXPECT_EQ(gles::RowBytes(c.width, c.bytesPerPixel, c.alignment), c.rowBytes)
            << c.width << " × " << c.bytesPerPixel << " at " << c.alignment;
    }
}

TEST(GlesPixels, RedAndBlueSwapInEveryPixelOfPaddedRowsAndNothingElseMoves) {
    // Two rows of three pixels at an alignment of 8: 4 bytes of padding each.
    std::vector<std::uint8_t> bgra;
    for (int row = 0; row < 2; ++row) {
        for (int x = 0; x < 3; ++x) {
            const auto base = std::uint8_t(row * 64 + x * 8);
            bgra.insert(bgra.end(), {base, std::uint8_t(base + 1), std::uint8_t(base + 2), std::uint8_t(base + 3)});
        }
        bgra.insert(bgra.end(), {0xee, 0xee, 0xee, 0xee});
    }
    std::vector<std::uint8_t> rgba(bgra.size(), 0xee);
    gles::SwapRedAndBlue(bgra.data(), rgba.data(), 3, 2, 16);
    for (std::size_t i = 0; i < bgra.size(); ++i) {
        const std::size_t inPixel = i % 16;
        std::uint8_t expected = bgra[i];
        if (inPixel < 12 && inPixel % 4 == 0) expected = bgra[i + 2];
        if (inPixel < 12 && inPixel % 4 == 2) expected = bgra[i - 2];
        EXPECT_EQ(rgba[i], expected) << "byte " << i;
    }
    // In place and back again.
    gles::SwapRedAndBlue(rgba.data(), rgba.data(), 3, 2, 16);
    EXPECT_EQ(rgba, bgra);
}

// ---- choosing the seam ------------------------------------------------------------------

TEST(GlesChoice, TheEnvironmentPicksTheDefaultSeamAndAnInstalledSeamStillWins) {
    struct Case {
        const char* value;  // null: unset
        bool gles;
        bool complains;
    };
    GlApi* const fixedFunction = &Gl();
    ASSERT_FALSE(UsingGlesRenderer());
    for (const Case& c : {Case{nullptr, false, false}, Case{"", false, false}, Case{"gl", false, false},
                          Case{"gles2", true, false}, Case{"GLES2", false, true}, Case{"vulkan", false, true}}) {
        const std::string name = c.value ? c.value : "(unset)";
        if (c.value) {
            setenv("ORBEL_RENDERER", c.value, 1);
        } else {
            unsetenv("ORBEL_RENDERER");
        }
        testing::internal::CaptureStderr();
        UseRendererFromEnvironment();
        const std::string complaint = testing::internal::GetCapturedStderr();
        EXPECT_EQ(UsingGlesRenderer(), c.gles) << name;
        EXPECT_EQ(&Gl(), c.gles ? static_cast<GlApi*>(&SharedGlesApi()) : fixedFunction) << name;
        EXPECT_EQ(complaint.find("ORBEL_RENDERER=" + name) != std::string::npos, c.complains) << complaint;
        {
            GlRecorder recorder;
            GlApiScope seam(recorder);
            EXPECT_EQ(&Gl(), &recorder) << name;
        }
        EXPECT_EQ(&Gl(), c.gles ? static_cast<GlApi*>(&SharedGlesApi()) : fixedFunction) << name;
        UseGlesRenderer(false);
        EXPECT_EQ(&Gl(), fixedFunction) << name;
    }
    unsetenv("ORBEL_RENDERER");
}

// ---- on real GL ---------------------------------------------------------------------------

constexpr int kSide = 160;

class GlesRealGlTest : public ::testing::Test {
protected:
    void SetUp() override {
        LeakCheckBeforeTheDriverLoads();
        if (!glfwInit()) GTEST_SKIP() << "no display";
        OpenWindow();
        if (!window) GTEST_SKIP() << "no OpenGL window";
    }
    void TearDown() override {
        SetGraphicsDevice(nullptr);
        glfwMakeContextCurrent(nullptr);
        if (window) glfwDestroyWindow(window);
    }
    // A new window, and with it a new context and generation.
    void OpenWindow() {
        if (window) glfwDestroyWindow(window);
        glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
        window = glfwCreateWindow(kSide, kSide, "orbel gles test", nullptr, nullptr);
        if (window) glfwMakeContextCurrent(window);
        BumpContextGeneration();
    }

    GLFWwindow* window = nullptr;
};

// How far two frames of ARGB words are apart.
struct Difference {
    int largest = 0;  // over all channels
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

// Images of every depth the loader hands over (grey, grey + alpha, RGB,
// RGBA), 8 × 8 with a pattern in each channel, and one made by WritePixels.
struct SceneImages {
    std::vector<Ref<c_Image>> decoded;
    Ref<c_Image> written;
};

SceneImages MakeSceneImages() {
    SceneImages images;
    for (int depth = 1; depth <= 4; ++depth) {
        std::vector<std::uint8_t> bytes;
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                for (int channel = 0; channel < depth; ++channel) {
                    bytes.push_back(std::uint8_t((x * 37 + y * 23 + channel * 71) % 256));
                }
            }
        }
        const std::vector<std::uint8_t> png = EncodePng(8, 8, depth, bytes);
        images.decoded.push_back(LoadImageFromMemory(png.data(), png.size(), 1, c_Image::HandleAtCentre));
    }
    images.written = CreateImage(3, 3);
    std::vector<int> argb;
    for (int i = 0; i < 9; ++i) argb.push_back(int(std::uint32_t(0x40 + i * 0x17) << 24 | 0x00c08020u * (i + 1)));
    WritePixels(images.written.get(), argb, 0, 0, 3, 3);
    return images;
}

// One frame with every kind of primitive the renderer batches (points,
// lines, triangles, quads, fans of ovals and polygons, textured quads of
// every format) under every state it sets (alpha, additive blending, a
// scissor, turned and scaled images), read back as ARGB words.
std::vector<int> DrawScene(const SceneImages& images) {
    gxtkGraphics* device = GetGraphicsDevice();
    device->BeginFrame();
    BeginDrawing();
    Clear(30, 60, 90);
    for (int i = 0; i < 40; ++i) DrawPoint(float(5 + i * 3), 3.5f);
    SetColor(250, 200, 10);
    DrawLine(2, 8, 150, 30);
    DrawLine(150, 8, 2, 40);
    SetColor(20, 220, 120);
    SetAlpha(0.6f);
    DrawRect(10, 40, 50, 30);
    DrawOval(70, 40, 60, 35);
    const float triangle[] = {10, 150, 50, 90, 80, 155};
    DrawPoly(triangle);
    SetAlpha(1);
    SetColor(255, 255, 255);
    for (std::size_t i = 0; i < images.decoded.size(); ++i) {
        SetAlpha(i % 2 ? 0.7f : 1.0f);
        DrawImage(images.decoded[i].get(), 100 + float(i % 2) * 30, 95 + float(i / 2) * 30, float(i) * 25, 2.5f, 2.5f);
    }
    SetColor(200, 120, 255);
    const float textured[] = {5, 120, 0, 0, 40, 110, 8, 0, 45, 158, 8, 8, 2, 150, 0, 8};
    device->DrawTexturedPolygon(textured, images.decoded[3]->surface.get(), 0, 0);
    SetColor(255, 255, 255);
    SetBlendMode(1);
    SetScissor(60, 70, 50, 40);
    DrawImage(images.written.get(), 75, 85, 10, 9, 9);
    SetBlendMode(0);
    SetScissor(0, 0, kSide, kSide);
    SetAlpha(0.5f);
    DrawImage(images.decoded[2].get(), 30, 100, 0, 4, 1);
    EndDrawing();
    device->EndFrame();
    std::vector<int> pixels(std::size_t(kSide) * kSide);
    ReadPixels(pixels, 0, 0, kSide, kSide);
    return pixels;
}

TEST_F(GlesRealGlTest, TheRenderersSceneComesOutPixelForPixelAsOnTheFixedFunctionSeamInEveryContext) {
    SetGraphicsDevice(New<gxtkGraphics>());
    const SceneImages images = MakeSceneImages();
    const std::vector<int> fixedFunction = DrawScene(images);

    GlesApi gles;
    GlApiScope seam(gles);
    // Each in a window of its own: the textures are uploaded again, and the
    // second time the seam's program and buffers have to be made again too.
    for (const char* round : {"first context", "second context"}) {
        OpenWindow();
        ASSERT_TRUE(window);
        const std::vector<int> throughGles = DrawScene(images);
        const Difference d = Compare(throughGles, fixedFunction);
        EXPECT_EQ(d.largest, 0) << round << ": " << d.pixels << " pixels differ";
        // Not a blank frame matched against a blank frame.
        EXPECT_GT(
            std::count_if(throughGles.begin(), throughGles.end(), [&](int argb) { return argb != throughGles[0]; }),
            kSide * kSide / 4)
            << round;
    }
}

// Calls the renderer never makes but the seam takes: BGRA uploads with
// padded rows, BGRA reads with padded rows, separate (not interleaved)
// arrays, indices that do not start at 0 and a DrawArrays from an offset.
std::vector<std::uint8_t> DrawDirectly(GlApi& api) {
    api.Viewport(0, 0, kSide, kSide);
    api.MatrixMode(gl::kProjection);
    api.LoadIdentity();
    api.Ortho(0, kSide, kSide, 0, -1, 1);
    api.MatrixMode(gl::kModelView);
    api.LoadIdentity();
    api.ClearColor(0, 0, 0, 1);
    api.Clear(gl::kColorBufferBit);
    api.Disable(gl::kBlend);

    unsigned int texture = 0;
    api.GenTextures(1, &texture);
    api.BindTexture(gl::kTexture2D, texture);
    api.TexParameteri(gl::kTexture2D, gl::kTextureMagFilter, int(gl::kNearest));
    api.TexParameteri(gl::kTexture2D, gl::kTextureMinFilter, int(gl::kNearest));
    // Texel (0, 0) from a BGRA row; (1, 0) and (1, 1) from a BGRA column of
    // one-pixel rows padded to 8 bytes; (0, 1) alone.
    const std::uint8_t row[8] = {10, 20, 200, 255, 40, 50, 60, 255};  // B, G, R, A
    const std::uint8_t column[16] = {90, 0, 250, 255, 99, 99, 99, 99, 255, 0, 255, 255, 99, 99, 99, 99};
    const std::uint8_t single[4] = {0, 255, 0, 255};
    api.PixelStorei(gl::kUnpackAlignment, 4);
    api.TexImage2D(gl::kTexture2D, 0, int(gl::kRgba), 2, 2, 0, gl::kBgra, gl::kUnsignedByte, nullptr);
    api.TexSubImage2D(gl::kTexture2D, 0, 0, 0, 2, 1, gl::kBgra, gl::kUnsignedByte, row);
    api.PixelStorei(gl::kUnpackAlignment, 8);
    api.TexSubImage2D(gl::kTexture2D, 0, 1, 0, 1, 2, gl::kBgra, gl::kUnsignedByte, column);
    api.PixelStorei(gl::kUnpackAlignment, 4);
    api.TexSubImage2D(gl::kTexture2D, 0, 0, 1, 1, 1, gl::kBgra, gl::kUnsignedByte, single);

    // Two quads side by side as separate arrays; the indices draw the
    // second, textured, the DrawArrays the first, coloured.
    const float positions[] = {0, 0, 80, 0, 80, 160, 0, 160, 80, 0, 160, 0, 160, 160, 80, 160};
    const float texCoords[] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 1, 0, 1};
    const std::uint8_t colors[] = {255, 0,   0,   255, 0,   255, 0,   255, 0,   0,   255, 255, 255, 255, 255, 255,
                                   255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255};
    api.EnableClientState(gl::kVertexArray);
    api.EnableClientState(gl::kTextureCoordArray);
    api.EnableClientState(gl::kColorArray);
    api.VertexPointer(2, gl::kFloat, 0, positions);
    api.TexCoordPointer(2, gl::kFloat, 0, texCoords);
    api.ColorPointer(4, gl::kUnsignedByte, 0, colors);
    api.Enable(gl::kTexture2D);
    const std::uint16_t indices[] = {4, 5, 6, 4, 6, 7};
    api.DrawElements(gl::kTriangles, 6, gl::kUnsignedShort, indices);
    api.Disable(gl::kTexture2D);
    // Without a colour array the colour is GL's current one, opaque white.
    api.DrawArrays(gl::kTriangleFan, 0, 4);
    api.DisableClientState(gl::kColorArray);
    api.DrawArrays(gl::kLines, 1, 2);  // a white line down the middle
    api.EnableClientState(gl::kColorArray);

    // All of it in BGRA; then a strip of one-pixel rows padded to 8 bytes.
    std::vector<std::uint8_t> pixels(std::size_t(kSide) * kSide * 4);
    api.PixelStorei(gl::kPackAlignment, 4);
    api.ReadPixels(0, 0, kSide, kSide, gl::kBgra, gl::kUnsignedByte, pixels.data());
    std::vector<std::uint8_t> strip(16, 77);
    api.PixelStorei(gl::kPackAlignment, 8);
    api.ReadPixels(120, 100, 1, 2, gl::kBgra, gl::kUnsignedByte, strip.data());
    api.PixelStorei(gl::kPackAlignment, 4);
    pixels.insert(pixels.end(), strip.begin(), strip.end());
    api.DeleteTextures(1, &texture);
    return pixels;
}

TEST_F(GlesRealGlTest, BgraPaddedRowsSeparateArraysAndOffsetIndicesComeOutAsOnTheFixedFunctionSeam) {
    const std::vector<std::uint8_t> fixedFunction = DrawDirectly(Gl());
    OpenWindow();
    ASSERT_TRUE(window);
    GlesApi gles;
    const std::vector<std::uint8_t> throughGles = DrawDirectly(gles);
    ASSERT_EQ(throughGles.size(), fixedFunction.size());
    int differing = 0;
    for (std::size_t i = 0; i < throughGles.size(); ++i) differing += throughGles[i] != fixedFunction[i];
    EXPECT_EQ(differing, 0);

    // And what that is: the texels' BGRA bytes (the textured quad is the
    // right half; its top row is texel row 0).
    auto at = [&](int x, int yFromTop) {
        const std::uint8_t* p = &throughGles[std::size_t((kSide - 1 - yFromTop) * kSide + x) * 4];
        return std::vector<std::uint8_t>(p, p + 4);
    };
    EXPECT_EQ(at(100, 40), (std::vector<std::uint8_t>{10, 20, 200, 255}));
    EXPECT_EQ(at(140, 40), (std::vector<std::uint8_t>{90, 0, 250, 255}));
    EXPECT_EQ(at(140, 120), (std::vector<std::uint8_t>{255, 0, 255, 255}));
    EXPECT_EQ(at(100, 120), (std::vector<std::uint8_t>{0, 255, 0, 255}));
    EXPECT_EQ(at(79, 60), (std::vector<std::uint8_t>{255, 255, 255, 255})) << "the line without a colour array";
    const std::uint8_t* strip = &throughGles[std::size_t(kSide) * kSide * 4];
    EXPECT_EQ(std::vector<std::uint8_t>(strip + 4, strip + 8), (std::vector<std::uint8_t>{77, 77, 77, 77}))
        << "the padding of a read row is left alone";
}

}  // namespace
