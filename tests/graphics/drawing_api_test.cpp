// The drawing API over a renderer on the recording GL seam.
#include <cmath>
#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "graphics/graphics_context.h"
#include "graphics_test_support.h"

namespace {

// Counts the matrices the drawing API hands to the renderer.
class CountingGraphics final : public gxtkGraphics {
public:
    int SetMatrix(float ix, float iy, float jx, float jy, float tx, float ty) override {
        ++matrices;
        return gxtkGraphics::SetMatrix(ix, iy, jx, jy, tx, ty);
    }
    int matrices = 0;
};

class DrawingTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (ContextGeneration() == 0) BumpContextGeneration();
        device = New<CountingGraphics>();
        SetGraphicsDevice(device);
        StartFrame();
    }
    void TearDown() override {
        SetGraphicsDevice(nullptr);
        SetImageDataLoader(nullptr);
        SetDefaultImageFlags(0);
    }
    void StartFrame() {
        device->BeginFrame();
        BeginDrawing();
        gl.ResetCounters();
        device->matrices = 0;
    }
    void FinishFrame() {
        EndDrawing();
        device->EndFrame();
    }
    Ref<c_Image> ImageOf(int width, int height, int frames, int flags) {
        Ref<c_Image> image = New<c_Image>();
        image->Init(device->MakeSurfaceFromData(PositionImage(width, height)), frames, flags);
        return image;
    }

    GlRecorder gl;
    GlApiScope seam{gl};
    Ref<CountingGraphics> device;
};

TEST_F(DrawingTest, FramesFlagsAndHandles) {
    struct Case {
        int width, height, frames, flags;
        int frameWidth, frameHeight;
        std::vector<int> xs;
        int y;
        float handleX, handleY;
        bool wholeSurface;
    };
    const Case cases[] = {
        {128, 32, 4, 0, 32, 32, {0, 32, 64, 96}, 0, 0, 0, false},
        {128, 32, 4, c_Image::PadX, 30, 32, {1, 33, 65, 97}, 0, 0, 0, false},
        {32, 32, 1, c_Image::PadX | c_Image::PadY | c_Image::HandleAtCentre, 30, 30, {1}, 1, 15, 15, false},
        {20, 10, 1, c_Image::HandleAtCentre, 20, 10, {0}, 0, 10, 5, true},
        {20, 10, 0, 0, 20, 10, {0}, 0, 0, 0, true},  // no frames counts as one
        {20, 10, 1, c_Image::WholeSurface | c_Image::PadY, 20, 8, {0}, 1, 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " flags " << c.flags);
        Ref<c_Image> image = ImageOf(c.width, c.height, c.frames, c.flags);
        EXPECT_EQ(image->Width(), c.frameWidth);
        EXPECT_EQ(image->Height(), c.frameHeight);
        ASSERT_EQ(image->Frames(), int(c.xs.size()));
        for (std::size_t i = 0; i < c.xs.size(); ++i) {
            EXPECT_EQ(image->frames[i].x, c.xs[i]);
            EXPECT_EQ(image->frames[i].y, c.y);
        }
        EXPECT_EQ(image->HandleX(), c.handleX);
        EXPECT_EQ(image->HandleY(), c.handleY);
        EXPECT_FALSE(image->flags & c_Image::HandleAtCentre);
        EXPECT_EQ(bool(image->flags & c_Image::WholeSurface), c.wholeSurface);
    }
}

TEST_F(DrawingTest, DrawImageUsesTheWholeSurfaceQuadOnlyForWholeImages) {
    Ref<c_Image> whole = ImageOf(16, 8, 1, 0);
    Ref<c_Image> padded = ImageOf(16, 8, 1, c_Image::PadX);
    Ref<c_Image> strip = ImageOf(16, 8, 4, c_Image::HandleAtCentre);
    DrawImage(whole.get(), 10, 20);
    DrawImage(padded.get(), 10, 20);
    DrawImage(strip.get(), 10, 20, 3);
    DrawImage(strip.get(), 10, 20, 4);   // no such frame
    DrawImage(strip.get(), 10, 20, -1);  // nor this
    DrawImage(nullptr, 0, 0);
    FinishFrame();
    ASSERT_EQ(gl.drawCalls, 3);
    const auto& w = gl.draws[0].vertices;
    EXPECT_EQ((std::array{w[0].x, w[0].y, w[2].x, w[2].y}), (std::array<float, 4>{10, 20, 26, 28}));
    EXPECT_FLOAT_EQ(w[2].u, 1.0f);
    const auto& p = gl.draws[1].vertices;
    EXPECT_FLOAT_EQ(p[0].u, 1.0f / 16);
    EXPECT_FLOAT_EQ(p[2].u, 15.0f / 16);
    EXPECT_EQ(p[2].x, 24);
    // Frame 3 of four 4-wide cells, handle at its centre (2, 4).
    const auto& s = gl.draws[2].vertices;
    EXPECT_EQ((std::array{s[0].x, s[0].y, s[2].x, s[2].y}), (std::array<float, 4>{8, 16, 12, 24}));
    EXPECT_FLOAT_EQ(s[0].u, 12.0f / 16);
}

TEST_F(DrawingTest, DrawImagePartCutsFromTheFrame) {
    Ref<c_Image> image = ImageOf(32, 16, 2, 0);
    image->SetImageHandle(1, 2);
    DrawImagePart(image.get(), 10, 10, 3, 4, 5, 6, 1);
    FinishFrame();
    ASSERT_EQ(gl.drawCalls, 1);
    const auto& v = gl.draws[0].vertices;
    EXPECT_EQ((std::array{v[0].x, v[0].y, v[2].x, v[2].y}), (std::array<float, 4>{9, 8, 14, 14}));
    EXPECT_FLOAT_EQ(v[0].u, 19.0f / 32);
    EXPECT_FLOAT_EQ(v[0].v, 4.0f / 16);
    EXPECT_FLOAT_EQ(v[2].u, 24.0f / 32);
    EXPECT_FLOAT_EQ(v[2].v, 10.0f / 16);
}

TEST_F(DrawingTest, RotationAndScaleTurnAboutTheHandle) {
    Ref<c_Image> image = ImageOf(4, 2, 1, c_Image::HandleAtCentre);
    Translate(100, 50);
    DrawImagePart(image.get(), 10, 0, 0, 0, 4, 2, 90, 2, 3);
    DrawImage(image.get(), 10, 0, 90, 2, 3);
    EXPECT_EQ(GetMatrix(), (std::array<float, 6>{1, 0, 0, 1, 100, 50})) << "restored";
    FinishFrame();
    ASSERT_EQ(gl.drawCalls, 1);
    // The handle (2, 1) lands on (110, 50); the image's x axis turns to
    // screen-up, scaled by 2, and its y axis to screen-right, scaled by 3.
    for (int quad = 0; quad < 2; ++quad) {
        const auto& v = gl.draws[0].vertices;
        const GlRecorder::Vertex& topLeft = v[std::size_t(quad) * 6];
        const GlRecorder::Vertex& bottomRight = v[std::size_t(quad) * 6 + 2];
        EXPECT_NEAR(topLeft.x, 110 - 3, 1e-4);
        EXPECT_NEAR(topLeft.y, 50 + 4, 1e-4);
        EXPECT_NEAR(bottomRight.x, 110 + 3, 1e-4);
        EXPECT_NEAR(bottomRight.y, 50 - 4, 1e-4);
    }
}

TEST_F(DrawingTest, MatrixOperations) {
    Rotate(90);
    DrawPoint(10, 0);
    FinishFrame();
    const auto& p = gl.draws[0].vertices[0];
    EXPECT_NEAR(p.x, 0, 1e-5);
    EXPECT_NEAR(p.y, -10, 1e-5);

    StartFrame();
    // The given transform applies first: scale, then move.
    Translate(5, 6);
    Scale(2, 3);
    Transform(1, 0, 0, 1, 1, 1);
    EXPECT_EQ(GetMatrix(), (std::array<float, 6>{2, 0, 0, 3, 7, 9}));
}

TEST_F(DrawingTest, MatrixStackGrowsWithoutLimit) {
    c_GraphicsContext* context = GetGraphicsContext();
    EXPECT_EQ(context->matrixStack.size(), 192u);
    for (int i = 1; i <= 33; ++i) {
        Translate(1, 0);
        PushMatrix();
    }
    EXPECT_EQ(context->matrixStack.size(), 384u);
    EXPECT_EQ(context->stackTop, 33 * 6);
    for (int i = 33; i >= 1; --i) {
        PopMatrix();
        EXPECT_EQ(GetMatrix()[4], float(i));
    }
    PopMatrix();  // one too many: ignored
    EXPECT_EQ(GetMatrix()[4], 1.0f);
    EXPECT_EQ(context->stackTop, 0);
}

TEST_F(DrawingTest, MatrixIsSentOncePerRunOfDraws) {
    Translate(10, 10);
    DrawRect(0, 0, 1, 1);
    DrawRect(2, 0, 1, 1);
    DrawLine(0, 0, 1, 1);
    EXPECT_EQ(device->matrices, 1);
    PushMatrix();
    Translate(1, 0);
    PopMatrix();
    DrawRect(0, 0, 1, 1);
    EXPECT_EQ(device->matrices, 2) << "a changed-and-restored matrix is still sent";
    FinishFrame();
    EXPECT_EQ(gl.drawCalls, 3) << "matrix changes do not break batches";

    // Each frame starts from the identity, sent once.
    StartFrame();
    DrawRect(0, 0, 1, 1);
    EXPECT_EQ(device->matrices, 1);
    FinishFrame();
    EXPECT_EQ(gl.draws[0].vertices[0].x, 0);
}

TEST_F(DrawingTest, BeginDrawingResetsTheFrameState) {
    Translate(3, 3);
    PushMatrix();
    SetColor(1, 2, 3);
    SetAlpha(0.25f);
    SetBlendMode(1);
    SetScissor(5, 5, 10, 10);
    FinishFrame();

    StartFrame();
    EXPECT_EQ(GetMatrix(), (std::array<float, 6>{1, 0, 0, 1, 0, 0}));
    EXPECT_EQ(GetGraphicsContext()->stackTop, 0);
    EXPECT_EQ(GetColor(), (std::array<float, 3>{255, 255, 255}));
    EXPECT_EQ(GetAlpha(), 1.0f);
    EXPECT_EQ(GetBlendMode(), 0);
    EXPECT_EQ(GetScissor(), (std::array<float, 4>{0, 0, 640, 480}));
    EXPECT_FALSE(gl.scissorTest);
    EXPECT_EQ(gl.blendDst, gl::kOneMinusSrcAlpha);
    EXPECT_EQ(device->Color(), 0xffffffffu);
}

TEST_F(DrawingTest, StateIsForwardedAndDrawsOutsideTheFrameDoNothing) {
    SetAlpha(0.5f);
    SetColor(255, 128, 0);
    SetScissor(10.9f, 20.2f, 100.5f, 50.7f);
    EXPECT_EQ((std::array{gl.scissorBox[0], gl.scissorBox[1], gl.scissorBox[2], gl.scissorBox[3]}),
              (std::array{10, 410, 100, 50}));
    DrawRect(0, 0, 1, 1);
    FinishFrame();
    ASSERT_EQ(gl.drawCalls, 1);
    EXPECT_EQ(gl.draws[0].vertices[0].g, 64);

    gl.ResetCounters();
    DrawRect(0, 0, 1, 1);
    Clear(0, 0, 0);
    device->EndFrame();
    EXPECT_EQ(gl.drawCalls, 0);
    EXPECT_EQ(gl.clears, 0);
}

TEST_F(DrawingTest, LoadImageFollowsTheDataPathRule) {
    std::vector<String> asked;
    SetImageDataLoader([&](StringView path) {
        asked.emplace_back(path);
        return PositionImage(8, 4);
    });
    SetDefaultImageFlags(c_Image::HandleAtCentre);
    Ref<c_Image> image = LoadImage(u"title.png", 2);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->Width(), 4);
    EXPECT_EQ(image->HandleX(), 2) << "default flags apply";
    LoadImage(u"./local.png");
    LoadImage(u"/abs/x.png");
    LoadImage(u"cobalt://internal/y.png");
    LoadImage(u"dir/a:/b.png");
    EXPECT_EQ(asked, (std::vector<String>{u"cobalt://data/title.png", u"./local.png", u"/abs/x.png",
                                          u"cobalt://internal/y.png", u"cobalt://data/dir/a:/b.png"}));

    SetImageDataLoader([](StringView) { return ImageData{}; });
    EXPECT_EQ(LoadImage(u"missing.png"), nullptr);
}

TEST_F(DrawingTest, ImagesFromFilesAndMemory) {
    const std::vector<std::uint8_t> rgba = {255, 0, 0, 255, 0, 255, 0, 128};
    const std::vector<std::uint8_t> png = EncodePng(2, 1, 4, rgba);
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("orbel_image_" + std::to_string(getpid()) + ".png");
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));

    Ref<c_Image> fromFile = LoadImage(FromUtf8(file.string()));
    Ref<c_Image> fromMemory = LoadImageFromMemory(png.data(), png.size(), 2);
    std::filesystem::remove(file);
    ASSERT_TRUE(fromFile);
    ASSERT_TRUE(fromMemory);
    EXPECT_EQ(fromFile->Width(), 2);
    EXPECT_EQ(fromMemory->Width(), 1);
    EXPECT_EQ(fromMemory->Frames(), 2);
    const auto& texture = gl.textures.at(fromMemory->surface->texture);
    EXPECT_EQ(texture.pixels, (std::vector<std::uint8_t>{255, 0, 0, 255, 0, 128, 0, 128}));

    const std::uint8_t garbage[] = {1, 2, 3};
    EXPECT_EQ(LoadImageFromMemory(garbage, sizeof garbage), nullptr);
    EXPECT_EQ(LoadImage(u"/nonexistent/none.png"), nullptr);
}

TEST_F(DrawingTest, CreatedImagesTakeWrittenPixelsAndDiscard) {
    EXPECT_EQ(CreateImage(0, 4), nullptr);
    Ref<c_Image> image = CreateImage(4, 2);
    ASSERT_TRUE(image);
    const int pixels[] = {int(0xff0000ff), int(0xff00ff00), int(0xffff0000), int(0x80ffffff)};
    WritePixels(image.get(), pixels, 0, 0, 2, 2);
    const auto& texture = gl.textures.at(image->surface->texture);
    EXPECT_EQ(texture.pixels[2], 0xff);              // (0, 0) blue
    EXPECT_EQ(texture.pixels[4 * 4 + 4 + 3], 0x80);  // (1, 1) alpha
    EXPECT_EQ(texture.pixels[4 * 4 + 4 + 0], 0x80);  // premultiplied white

    const unsigned int name = image->surface->texture;
    image->Discard();
    EXPECT_TRUE(gl.textures.at(name).deleted);
    DrawImage(image.get(), 0, 0);
    FinishFrame();
    EXPECT_EQ(gl.drawCalls, 0);
}

TEST_F(DrawingTest, DefaultFontAndText) {
    // A 96-cell strip of 5-pixel cells (a 3-pixel glyph between spare columns).
    std::vector<String> asked;
    SetImageDataLoader([&](StringView path) {
        asked.emplace_back(path);
        return PositionImage(96 * 5, 7);
    });
    UseFont(nullptr);
    UseFont(nullptr);
    EXPECT_EQ(asked, std::vector<String>{u"cobalt://data/vela_font.png"}) << "loaded once";
    c_Image* font = GetFont();
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->Frames(), 96);
    EXPECT_EQ(font->Width(), 3);
    EXPECT_EQ(font->frames[1].x, 6);

    EXPECT_EQ(TextWidth(u"AB"), 6);
    DrawText(u"A\u00ffB", 10, 20, 0.5f, 1.0f);
    FinishFrame();
    ASSERT_EQ(gl.drawCalls, 1);
    ASSERT_EQ(gl.draws[0].count, 12) << "two glyphs; the character outside the font is skipped";
    const auto& v = gl.draws[0].vertices;
    EXPECT_EQ(v[0].x, 10 - 4.5f);
    EXPECT_EQ(v[0].y, 20 - 7);
    EXPECT_FLOAT_EQ(v[0].u, float(('A' - 32) * 5 + 1) / 480);
    EXPECT_EQ(v[6].x, 10 - 4.5f + 6) << "B is two cells on";

    Ref<c_Image> other = ImageOf(10, 5, 2, 0);
    UseFont(other, 48);
    EXPECT_EQ(GetFont(), other.get());
    UseFont(nullptr);
    EXPECT_EQ(GetFont()->Frames(), 96);
}

TEST_F(DrawingTest, MissingDefaultFontLeavesTextSilent) {
    SetImageDataLoader([](StringView) { return ImageData{}; });
    UseFont(nullptr);
    EXPECT_EQ(GetFont(), nullptr);
    DrawText(u"hello", 0, 0);
    FinishFrame();
    EXPECT_EQ(gl.drawCalls, 0);
}

}  // namespace
