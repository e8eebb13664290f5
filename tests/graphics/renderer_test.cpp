// Renderer behaviour observed through the recording GL seam.
#include <cmath>
#include <functional>
#include <string>

#include "graphics_test_support.h"

namespace {

using Vertex = GlRecorder::Vertex;

TEST_F(RecorderTest, FullBatchSplitsAt256Quads) {
    for (int i = 0; i < 257; ++i) device->DrawRect(float(i), 0, 1, 1);
    device->EndFrame();
    ASSERT_EQ(gl.drawCalls, 2);
    EXPECT_EQ(gl.draws[0].count, 256 * 6);
    EXPECT_EQ(gl.draws[1].count, 6);
    EXPECT_EQ(gl.vertices, 257 * 4);
    // The index table shares the 0-2 diagonal: corners 0,1,2 and 0,2,3.
    const auto& quad = gl.draws[1].vertices;
    EXPECT_EQ(quad[0].x, 256);
    EXPECT_EQ(quad[1].x, 257);
    EXPECT_EQ(quad[2].y, 1);
    EXPECT_EQ(quad[3].x, 256);
    EXPECT_EQ(quad[5].y, 1);
}

TEST_F(RecorderTest, SurfaceChangesStartNewBatches) {
    Ref<gxtkSurface> a = device->MakeSurfaceFromData(PositionImage(4, 4));
    Ref<gxtkSurface> b = device->MakeSurfaceFromData(PositionImage(4, 4));
    device->DrawWholeSurface(a.get(), 0, 0);
    device->DrawWholeSurface(a.get(), 8, 0);
    device->DrawWholeSurface(b.get(), 0, 0);
    device->DrawWholeSurface(a.get(), 0, 0);
    device->EndFrame();
    ASSERT_EQ(gl.drawCalls, 3);
    EXPECT_EQ(gl.draws[0].texture, a->texture);
    EXPECT_EQ(gl.draws[0].count, 12);
    EXPECT_EQ(gl.draws[1].texture, b->texture);
    EXPECT_EQ(gl.draws[2].texture, a->texture);
    for (const auto& draw : gl.draws) EXPECT_TRUE(draw.textured);
    // Texturing is switched off again after each textured batch.
    EXPECT_FALSE(gl.texture2D);
}

TEST_F(RecorderTest, ColourAlphaAndMatrixChangesNeverFlush) {
    device->DrawRect(0, 0, 10, 10);
    device->SetColor(255, 0, 0);
    device->SetAlpha(0.5f);
    device->SetMatrix(2, 0, 0, 2, 5, 5);
    device->DrawRect(0, 0, 10, 10);
    EXPECT_EQ(gl.drawCalls, 0);
    device->EndFrame();
    ASSERT_EQ(gl.drawCalls, 1);
    const auto& v = gl.draws[0].vertices;
    EXPECT_EQ(v[0].r, 255);
    EXPECT_EQ(v[0].a, 255);
    EXPECT_EQ(v[6].r, 127);
    EXPECT_EQ(v[6].g, 0);
    EXPECT_EQ(v[6].a, 127);
    // Second quad transformed on the CPU: (10, 10) → (25, 25).
    EXPECT_EQ(v[8].x, 25);
    EXPECT_EQ(v[8].y, 25);
}

TEST_F(RecorderTest, StateThatAffectsDrawingFlushes) {
    Ref<gxtkSurface> surface = device->MakeSurface(4, 4);
    const int pixel[1] = {-1};
    int read[1] = {0};
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"blend", [&] { device->SetBlendMode(1); }},
        {"scissor", [&] { device->SetScissor(1, 1, 5, 5); }},
        {"read pixels", [&] { device->ReadPixels(read, 0, 0, 1, 1, 0, 1); }},
        {"write pixels", [&] { device->WritePixels(surface.get(), pixel, 0, 0, 1, 1, 0, 1); }},
        {"end of frame", [&] { device->EndFrame(); }},
    };
    for (const auto& [name, action] : cases) {
        gl.ResetCounters();
        device->DrawRect(0, 0, 1, 1);
        action();
        EXPECT_EQ(gl.drawCalls, 1) << name;
    }
}

TEST_F(RecorderTest, BlendedPixelsAreTheWindowAreaDrawnUnderBlending) {
    // Translucent, so the renderer keeps blending on for every piece.
    device->SetAlpha(0.5f);
    const float pentagon[] = {0, 0, 20, 0, 20, 20, 10, 20, 0, 20};  // a 20 x 20 square drawn as a fan
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"whole window", [&] { device->DrawRect(0, 0, 640, 480); }},
        {"half off the left edge", [&] { device->DrawRect(-320, 0, 640, 480); }},
        {"off the bottom edge", [&] { device->DrawRect(0, 400, 100, 200); }},
        {"overlaps count twice", [&] { device->DrawRect(0, 0, 10, 10), device->DrawRect(5, 5, 10, 10); }},
        {"rotated quad", [&] { device->SetMatrix(0.6f, 0.8f, -0.8f, 0.6f, 100, 100), device->DrawRect(0, 0, 10, 10); }},
        {"fan", [&] { device->DrawPolygon(pentagon); }},
        {"scissored", [&] { device->SetScissor(600, 470, 100, 100), device->DrawRect(0, 0, 640, 480); }},
        {"opaque pieces draw unblended", [&] { device->SetAlpha(1), device->DrawRect(0, 0, 640, 480); }},
        {"lines and points", [&] { device->DrawLine(0, 0, 600, 400), device->DrawPoint(3, 3); }},
    };
    const double expected[] = {640 * 480, 320 * 480, 100 * 80, 200, 100, 400, 40 * 10, 0, 0};
    int i = 0;
    for (const auto& [name, action] : cases) {
        device->SetMatrix(1, 0, 0, 1, 0, 0);
        device->SetScissor(0, 0, 640, 480);
        device->SetAlpha(0.5f);
        gl.ResetCounters();
        action();
        device->EndFrame();
        EXPECT_NEAR(gl.blendedPixels, expected[i++], 0.01) << name;
    }
}

TEST_F(RecorderTest, BlendModes) {
    device->SetBlendMode(1);
    EXPECT_EQ(gl.blendSrc, gl::kOne);
    EXPECT_EQ(gl.blendDst, gl::kOne);
    device->SetBlendMode(7);
    EXPECT_EQ(gl.blendDst, gl::kOneMinusSrcAlpha);
}

TEST_F(RecorderTest, ScissorFlipsToBottomLeftAndFullTargetTurnsItOff) {
    device->SetScissor(10, 20, 100, 50);
    EXPECT_TRUE(gl.scissorTest);
    EXPECT_EQ((std::array{gl.scissorBox[0], gl.scissorBox[1], gl.scissorBox[2], gl.scissorBox[3]}),
              (std::array{10, 410, 100, 50}));
    gl.ResetCounters();
    device->SetScissor(0, 0, 640, 480);
    EXPECT_FALSE(gl.scissorTest);
    EXPECT_EQ(gl.scissorCalls, 0);
}

TEST_F(RecorderTest, ColourIsPremultipliedAndTruncated) {
    device->SetAlpha(0.5f);
    device->SetColor(255, 128, 0);
    device->DrawPoint(1, 2);
    device->EndFrame();
    ASSERT_EQ(gl.drawCalls, 1);
    const Vertex& v = gl.draws[0].vertices[0];
    EXPECT_EQ((std::array{v.r, v.g, v.b, v.a}), (std::array<std::uint8_t, 4>{127, 64, 0, 127}));
    EXPECT_EQ(gl.draws[0].mode, gl::kPoints);
}

TEST_F(RecorderTest, OutOfRangeColourIsClampedNotWrapped) {
    device->SetAlpha(2.0f);
    device->SetColor(300, -20, 100);
    device->DrawPoint(0, 0);
    device->EndFrame();
    const Vertex& v = gl.draws[0].vertices[0];
    EXPECT_EQ((std::array{v.r, v.g, v.b, v.a}), (std::array<std::uint8_t, 4>{255, 0, 200, 255}));
}

TEST_F(RecorderTest, OvalSegmentCounts) {
    struct Case {
        float size;
        float scale;
        int segments;
    };
    const Case cases[] = {{4, 1, 12}, {100, 1, 100}, {2000, 1, 1024}, {1023, 1, 1020}, {50, 2, 100}, {0, 1, 12}};
    for (const Case& c : cases) {
        gl.ResetCounters();
        device->SetMatrix(c.scale, 0, 0, c.scale, 0, 0);
        device->DrawOval(10, 10, c.size, c.size);
        device->EndFrame();
        ASSERT_EQ(gl.drawCalls, 1) << c.size;
        EXPECT_EQ(gl.draws[0].mode, gl::kTriangleFan);
        EXPECT_EQ(gl.draws[0].count, c.segments) << c.size << " × " << c.scale;
    }
    // The first vertex sits at angle 0 on the right; y grows downwards so the
    // quarter turn is at the top.
    gl.ResetCounters();
    device->SetMatrix(1, 0, 0, 1, 0, 0);
    device->DrawOval(0, 0, 100, 60);
    device->EndFrame();
    const auto& v = gl.draws[0].vertices;
    EXPECT_FLOAT_EQ(v[0].x, 100);
    EXPECT_FLOAT_EQ(v[0].y, 30);
    EXPECT_NEAR(v[20].x, 50, 1e-3);  // 80 segments
    EXPECT_NEAR(v[20].y, 0, 1e-3);
}

TEST_F(RecorderTest, OvalsOfOneSegmentCountShareABatch) {
    device->DrawOval(0, 0, 100, 100);
    device->DrawOval(200, 0, 100, 100);
    device->DrawOval(0, 0, 4, 4);
    device->EndFrame();
    // One batch of two 100-fans (two fan calls), then one 12-fan.
    ASSERT_EQ(gl.drawCalls, 3);
    EXPECT_EQ(gl.draws[1].first, 100);
    EXPECT_EQ(gl.draws[2].count, 12);
}

TEST_F(RecorderTest, PolygonVertexLimits) {
    const std::vector<float> empty;
    const std::vector<float> tooMany(1025 * 2, 1.0f);
    const std::vector<float> most(1024 * 2, 1.0f);
    Ref<gxtkSurface> surface = device->MakeSurfaceFromData(PositionImage(2, 2));
    const std::vector<float> texturedTooMany(1025 * 4, 1.0f);
    const std::vector<float> texturedPartial(7, 1.0f);  // one whole vertex only
    device->DrawPolygon(empty);
    device->DrawPolygon(tooMany);
    device->DrawTexturedPolygon(texturedTooMany, surface.get(), 0, 0);
    device->EndFrame();
    EXPECT_EQ(gl.drawCalls, 0);

    device->DrawPolygon(most);
    device->DrawTexturedPolygon(texturedPartial, surface.get(), 0, 0);
    device->EndFrame();
    ASSERT_EQ(gl.drawCalls, 2);
    EXPECT_EQ(gl.draws[0].count, 1024);
    EXPECT_EQ(gl.draws[1].mode, gl::kPoints);
}

TEST_F(RecorderTest, SmallPolygonsBecomeTheBasicKinds) {
    const float triangle[] = {0, 0, 10, 0, 10, 10};
    const float quad[] = {0, 0, 10, 0, 10, 10, 0, 10};
    const float pentagon[] = {0, 0, 10, 0, 12, 5, 5, 10, 0, 5};
    device->DrawPolygon(triangle);
    device->DrawPolygon(quad);
    device->DrawRect(0, 0, 1, 1);  // joins the 4-vertex polygon's batch
    device->DrawPolygon(pentagon);
    device->EndFrame();
    ASSERT_EQ(gl.drawCalls, 3);
    EXPECT_EQ(gl.draws[0].mode, gl::kTriangles);
    EXPECT_EQ(gl.draws[1].count, 12);
    EXPECT_EQ(gl.draws[2].mode, gl::kTriangleFan);
}

TEST_F(RecorderTest, ClearDropsTheBatchedDraws) {
    device->DrawRect(0, 0, 10, 10);
    device->Clear(255, 0, 51);
    device->EndFrame();
    EXPECT_EQ(gl.drawCalls, 0);
    EXPECT_EQ(gl.clears, 1);
    EXPECT_FLOAT_EQ(gl.clearColor[2], 0.2f);
    EXPECT_FLOAT_EQ(gl.clearColor[3], 1.0f);
}

TEST_F(RecorderTest, TexturedQuadsSampleExactPixelsOfAPaddedTexture) {
    gl.refuseNpot = true;
    Ref<gxtkSurface> surface = device->MakeSurfaceFromData(PositionImage(100, 60));
    const GlRecorder::Texture& texture = gl.textures.at(surface->texture);
    EXPECT_EQ(texture.width, 128);
    EXPECT_EQ(texture.height, 64);
    EXPECT_FLOAT_EQ(surface->uPerPixel, 1.0f / 128);
    EXPECT_FLOAT_EQ(surface->vPerPixel, 1.0f / 64);
    // The image sits in the top-left corner of the texture.
    const std::size_t texel = (std::size_t(59) * 128 + 99) * 4;
    EXPECT_EQ(texture.pixels[texel], 99);
    EXPECT_EQ(texture.pixels[texel + 1], 59);

    device->DrawWholeSurface(surface.get(), 0, 0);
    device->DrawSurfaceRegion(surface.get(), 0, 0, 10, 20, 30, 40);
    device->EndFrame();
    const auto& v = gl.draws[0].vertices;
    EXPECT_EQ(v[2].x, 100);
    EXPECT_EQ(v[2].y, 60);
    EXPECT_FLOAT_EQ(v[2].u, 100.0f / 128);
    EXPECT_FLOAT_EQ(v[2].v, 60.0f / 64);
    EXPECT_FLOAT_EQ(v[6].u, 10.0f / 128);
    EXPECT_FLOAT_EQ(v[6].v, 20.0f / 64);
    EXPECT_FLOAT_EQ(v[8].u, 40.0f / 128);
    EXPECT_FLOAT_EQ(v[8].v, 60.0f / 64);
}

TEST_F(RecorderTest, TexturesFollowTheContextGeneration) {
    Ref<gxtkSurface> surface = device->MakeSurfaceFromData(PositionImage(8, 8));
    const unsigned int first = surface->texture;
    EXPECT_EQ(gl.textures.at(first).uploads, 1);

    // The window is re-opened: a new context, the old texture is gone.
    BumpContextGeneration();
    device->DrawWholeSurface(surface.get(), 0, 0);
    EXPECT_EQ(surface->texture, first) << "re-created only when drawn";
    device->EndFrame();
    ASSERT_NE(surface->texture, first);
    const GlRecorder::Texture& again = gl.textures.at(surface->texture);
    EXPECT_EQ(again.uploads, 1);
    EXPECT_EQ(again.pixels[(std::size_t(3) * 8 + 5) * 4], 5);
    EXPECT_FALSE(gl.textures.at(first).deleted) << "a stale texture's context is gone";
    EXPECT_EQ(gl.draws[0].texture, surface->texture);

    const unsigned int second = surface->texture;
    surface->Discard();
    EXPECT_TRUE(gl.textures.at(second).deleted);
}

TEST_F(RecorderTest, DiscardDeletesTheCurrentTextureAndFreesPixels) {
    Ref<gxtkSurface> surface = device->MakeSurfaceFromData(PositionImage(8, 8));
    const unsigned int name = surface->texture;
    surface->Discard();
    EXPECT_TRUE(gl.textures.at(name).deleted);
    EXPECT_EQ(surface->Data(), nullptr);
    EXPECT_EQ(surface->generation, -1);
    surface->Discard();  // twice is harmless
}

TEST_F(RecorderTest, ASurfaceDiscardedWhileBatchedIsDrawnFirst) {
    Ref<gxtkSurface> surface = device->MakeSurfaceFromData(PositionImage(8, 8));
    const unsigned int name = surface->texture;
    device->DrawWholeSurface(surface.get(), 0, 0);
    surface.reset();
    EXPECT_EQ(gl.drawCalls, 1);
    EXPECT_EQ(gl.draws[0].texture, name);
    // A new surface (possibly at the same address) starts a fresh batch.
    Ref<gxtkSurface> next = device->MakeSurfaceFromData(PositionImage(8, 8));
    device->DrawWholeSurface(next.get(), 0, 0);
    device->EndFrame();
    ASSERT_EQ(gl.drawCalls, 2);
    EXPECT_EQ(gl.draws[1].texture, next->texture);
}

TEST_F(RecorderTest, LoadedPixelsArePremultiplied) {
    struct Case {
        int depth;
        std::vector<std::uint8_t> in, out;
        gl::Enum format;
    };
    const Case cases[] = {
        {1, {200}, {200}, gl::kLuminance},
        {2, {200, 128}, {100, 128}, gl::kLuminanceAlpha},
        {3, {200, 100, 50}, {200, 100, 50}, gl::kRgb},
        {4, {200, 100, 50, 128}, {100, 50, 25, 128}, gl::kRgba},
    };
    for (const Case& c : cases) {
        Ref<gxtkSurface> surface = device->MakeSurfaceFromData(MakeImageData(1, 1, c.depth, c.in));
        EXPECT_EQ(surface->format, c.format) << c.depth;
        const auto& texture = gl.textures.at(surface->texture);
        EXPECT_EQ(texture.format, c.format);
        EXPECT_EQ(texture.pixels, c.out) << c.depth;
    }
}

TEST_F(RecorderTest, WritePixelsPremultipliesAndUploadsTheBlock) {
    Ref<gxtkSurface> surface = device->MakeSurface(4, 3);
    ASSERT_TRUE(surface);
    EXPECT_EQ(surface->Data(), nullptr) << "pixels only come with the first write";
    // A 2 × 2 block out of a source 3 wide, written at (1, 1) of a surface
    // 4 wide: rows must land 4 apart, not 2.
    const int source[] = {
        int(0xff102030), int(0x80ff0000), 0,  //
        int(0xff405060), int(0x00ffffff), 0,
    };
    device->WritePixels(surface.get(), source, 1, 1, 2, 2, 0, 3);
    const auto& texture = gl.textures.at(surface->texture);
    auto texel = [&](int x, int y) {
        const std::uint8_t* p = &texture.pixels[(std::size_t(y) * 4 + std::size_t(x)) * 4];
        return std::array{p[0], p[1], p[2], p[3]};
    };
    using Px = std::array<std::uint8_t, 4>;
    EXPECT_EQ(texel(1, 1), (Px{0x10, 0x20, 0x30, 0xff}));
    EXPECT_EQ(texel(2, 1), (Px{128, 0, 0, 128}));
    EXPECT_EQ(texel(1, 2), (Px{0x40, 0x50, 0x60, 0xff}));
    EXPECT_EQ(texel(2, 2), (Px{0, 0, 0, 0}));
    EXPECT_EQ(texel(0, 1), (Px{0, 0, 0, 0}));
    EXPECT_EQ(std::memcmp(surface->Data() + (4 + 1) * 4, texel(1, 1).data(), 4), 0);
}

TEST_F(RecorderTest, WritePixelsIgnoresWhatDoesNotFit) {
    Ref<gxtkSurface> rgba = device->MakeSurface(4, 4);
    Ref<gxtkSurface> rgb = device->MakeSurfaceFromData(MakeImageData(1, 1, 3, {1, 2, 3}));
    const int source[4] = {-1, -1, -1, -1};
    gl.ResetCounters();
    device->WritePixels(rgb.get(), source, 0, 0, 1, 1, 0, 1);
    device->WritePixels(rgba.get(), source, 3, 3, 2, 1, 0, 2);   // past the right edge
    device->WritePixels(rgba.get(), source, -1, 0, 1, 1, 0, 1);  // negative position
    device->WritePixels(rgba.get(), source, 0, 0, 2, 2, 1, 2);   // source too short
    device->WritePixels(rgba.get(), source, 0, 0, 1, 1, -1, 1);  // negative offset
    device->WritePixels(nullptr, source, 0, 0, 1, 1, 0, 1);
    EXPECT_EQ(gl.textureUploads, 0);
    EXPECT_EQ(rgba->Data(), nullptr);
}

TEST_F(RecorderTest, ReadPixelsReturnsTheTopRowFirst) {
    gl.Clear(gl::kColorBufferBit);
    gl.SetFramebufferPixel(10, 20, 0xff112233);  // top row of the block
    gl.SetFramebufferPixel(11, 22, 0x80445566);  // bottom row
    int pixels[1 + 3 * 4] = {};
    device->ReadPixels(pixels, 10, 20, 2, 3, 1, 4);
    EXPECT_EQ(pixels[0], 0) << "before the offset";
    EXPECT_EQ(std::uint32_t(pixels[1]), 0xff112233u);
    EXPECT_EQ(std::uint32_t(pixels[1 + 2 * 4 + 1]), 0x80445566u);
    EXPECT_EQ(gl.readPixelsCalls, 1);

    int tooSmall[4] = {};
    device->ReadPixels(tooSmall, 0, 0, 3, 2, 0, 3);
    EXPECT_EQ(gl.readPixelsCalls, 1) << "a block larger than the array is not read";
}

TEST_F(RecorderTest, BeginFrameSetsUpAPixelProjection) {
    gl.targetWidth = 320;
    gl.targetHeight = 200;
    EXPECT_EQ(device->BeginFrame(), 1);
    EXPECT_EQ(device->Width(), 320);
    EXPECT_EQ(device->Height(), 200);
    EXPECT_EQ(gl.viewport[2], 320);
    EXPECT_EQ(gl.ortho[2], 200) << "bottom";
    EXPECT_EQ(gl.ortho[3], 0) << "top: y grows downwards";
    EXPECT_TRUE(gl.blendEnabled);
    EXPECT_EQ(gl.blendDst, gl::kOneMinusSrcAlpha);

    gl.windowOpen = false;
    device->BeginFrame();
    EXPECT_EQ(device->Width(), 0);
}

TEST(ImageDecoding, KeepsTheFilesChannelCountAndRejectsGarbage) {
    const std::vector<std::uint8_t> greyAlpha = {10, 20, 30, 40, 50, 60};
    const std::vector<std::uint8_t> png = EncodePng(3, 1, 2, greyAlpha);
    ImageData image = DecodeImageMemory(png.data(), png.size());
    ASSERT_TRUE(image);
    EXPECT_EQ(image.width, 3);
    EXPECT_EQ(image.depth, 2);
    EXPECT_EQ(std::vector<std::uint8_t>(image.pixels.get(), image.pixels.get() + 6), greyAlpha);

    const std::vector<std::uint8_t> garbage = {0x89, 'P', 'N', 'G', 0, 1, 2};
    EXPECT_FALSE(DecodeImageMemory(garbage.data(), garbage.size()));
    std::vector<std::uint8_t> truncated(png.begin(), png.begin() + long(png.size() / 2));
    EXPECT_FALSE(DecodeImageMemory(truncated.data(), truncated.size()));
    EXPECT_FALSE(DecodeImageMemory(nullptr, 0));
    EXPECT_FALSE(DecodeImageFile("/nonexistent/picture.png"));
}

// An RGBA image, opaque but for one transparent pixel at (hx, hy).
ImageData OpaqueWithHole(int width, int height, int hx, int hy) {
    std::vector<std::uint8_t> bytes;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            bytes.insert(bytes.end(), {200, 100, 50, std::uint8_t(x == hx && y == hy ? 0 : 255)});
        }
    }
    return MakeImageData(width, height, 4, bytes);
}

TEST_F(RecorderTest, OpacityIsJudgedPerCellOfTheKeptPixels) {
    // 32 × 16, cells of 8: the hole at (20, 3) spoils cell (2, 0) only.
    Ref<gxtkSurface> surface = device->MakeSurfaceFromData(OpaqueWithHole(32, 16, 20, 3));
    Ref<gxtkSurface> solid = device->MakeSurfaceFromData(PositionImage(4, 4));
    EXPECT_TRUE(solid->opaque);
    EXPECT_FALSE(surface->opaque);
    struct Case {
        int x, y, w, h;
        bool opaque;
    } cases[] = {
        {0, 0, 16, 16, true},   // cells (0..1, 0..1)
        {24, 0, 8, 16, true},   // the last column of cells
        {16, 8, 8, 8, true},    // below the hole
        {16, 0, 8, 8, false},   // the hole's cell
        {15, 0, 2, 2, false},   // touches the hole's cell
        {28, 12, 8, 8, false},  // reaches past the surface
        {-1, 0, 4, 4, false},   // starts before it
        {0, 0, 0, 4, false},    // empty
    };
    for (const Case& c : cases) {
        EXPECT_EQ(surface->RegionOpaque(c.x, c.y, c.w, c.h), c.opaque) << c.x << "," << c.y << " " << c.w << "x" << c.h;
    }
    // Pixels written later are not known: nothing counts as opaque then.
    const int pixel[1] = {-1};
    Ref<gxtkSurface> blank = device->MakeSurface(8, 8);
    device->WritePixels(blank.get(), pixel, 0, 0, 1, 1, 0, 1);
    EXPECT_FALSE(blank->RegionOpaque(0, 0, 8, 8));
    device->WritePixels(solid.get(), pixel, 0, 0, 1, 1, 0, 1);
    EXPECT_FALSE(solid->opaque);
}

TEST_F(RecorderTest, OpaqueBatchesDrawWithoutBlending) {
    Ref<gxtkSurface> solid = device->MakeSurfaceFromData(PositionImage(8, 8));
    Ref<gxtkSurface> holed = device->MakeSurfaceFromData(OpaqueWithHole(8, 8, 1, 1));
    // Opaque: a rectangle and an opaque picture, unblended.
    device->DrawRect(0, 0, 4, 4);
    device->DrawWholeSurface(solid.get(), 0, 0);
    device->EndFrame();
    ASSERT_EQ(gl.drawCalls, 2);
    EXPECT_FALSE(gl.draws[0].blend);
    EXPECT_FALSE(gl.draws[1].blend);
    EXPECT_TRUE(gl.blendEnabled) << "the frame ends with blending on, as it began";
    const std::pair<const char*, std::function<void()>> blended[] = {
        {"translucent colour",
         [&] {
             device->SetAlpha(0.5f);
             device->DrawWholeSurface(solid.get(), 0, 0);
             device->SetAlpha(1);
         }},
        {"additive",
         [&] {
             device->SetBlendMode(1);
             device->DrawWholeSurface(solid.get(), 0, 0);
             device->SetBlendMode(0);
         }},
        {"transparent texel", [&] { device->DrawWholeSurface(holed.get(), 0, 0); }},
        {"outside the picture", [&] { device->DrawSurfaceRegion(solid.get(), 0, 0, 4, 4, 8, 8); }},
    };
    for (const auto& [name, draw] : blended) {
        device->BeginFrame();
        gl.ResetCounters();
        draw();
        device->EndFrame();
        ASSERT_EQ(gl.drawCalls, 1) << name;
        EXPECT_TRUE(gl.draws[0].blend) << name;
    }
}

TEST_F(RecorderTest, ALargeOpaqueRunIsNotBlendedForATranslucentPrimitiveAfterIt) {
    Ref<gxtkSurface> tiles = device->MakeSurfaceFromData(OpaqueWithHole(32, 16, 20, 3));
    // A small opaque run joins the translucent cell's batch...
    device->DrawSurfaceRegion(tiles.get(), 0, 0, 0, 0, 16, 16);
    device->DrawSurfaceRegion(tiles.get(), 16, 0, 16, 0, 16, 16);
    device->EndFrame();
    ASSERT_EQ(gl.drawCalls, 1);
    EXPECT_TRUE(gl.draws[0].blend);
    // ...a large one is drawn on its own first, unblended.
    device->BeginFrame();
    gl.ResetCounters();
    device->SetMatrix(10, 0, 0, 10, 0, 0);
    device->DrawSurfaceRegion(tiles.get(), 0, 0, 0, 0, 16, 16);
    device->DrawSurfaceRegion(tiles.get(), 16, 0, 16, 0, 16, 16);
    device->EndFrame();
    ASSERT_EQ(gl.drawCalls, 2);
    EXPECT_FALSE(gl.draws[0].blend);
    EXPECT_TRUE(gl.draws[1].blend);
}

TEST_F(RecorderTest, BatchesSharingStateDoNotSetItAgain) {
    Ref<gxtkSurface> a = device->MakeSurfaceFromData(PositionImage(4, 4));
    Ref<gxtkSurface> b = device->MakeSurfaceFromData(PositionImage(4, 4));
    device->BeginFrame();
    gl.ResetCounters();
    // Points break the textured batches without changing the texture.
    device->DrawWholeSurface(a.get(), 0, 0);
    device->DrawPoint(0, 0);
    device->DrawWholeSurface(a.get(), 0, 0);
    device->DrawWholeSurface(b.get(), 0, 0);
    device->SetBlendMode(0);  // already in force
    device->DrawWholeSurface(b.get(), 0, 0);
    device->FlushBatch();
    ASSERT_EQ(gl.drawCalls, 4);
    EXPECT_EQ(gl.draws[0].texture, a->texture);
    EXPECT_TRUE(gl.draws[2].textured);
    EXPECT_EQ(gl.draws[2].texture, a->texture);
    EXPECT_EQ(gl.draws[3].texture, b->texture);
    EXPECT_FALSE(gl.draws[1].textured);
    // a, b bound once each; texturing on, off, on; blending off once for
    // the opaque batches; no blend function again.
    EXPECT_EQ(gl.bindCalls, 2);
    EXPECT_EQ(gl.blendFuncCalls, 0);
    EXPECT_EQ(gl.stateChanges, 2 + 3 + 1);
    // A texture made in between is bound again for the next batch.
    Ref<gxtkSurface> c = device->MakeSurfaceFromData(PositionImage(4, 4));
    device->DrawWholeSurface(b.get(), 0, 0);
    device->FlushBatch();
    EXPECT_EQ(gl.draws.back().texture, b->texture);
}

}  // namespace
