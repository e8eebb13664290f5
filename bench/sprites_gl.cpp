// sprites_gl.cpp — 10,000 16 × 16 sprites a frame on real OpenGL (a hidden
// 960 × 540 GLFW window; under Xvfb that is Mesa's software rasteriser),
// drawn three ways in one process: through the drawing API; by hand-written
// GL 1.x client arrays in batches of 256 quads under one 16-bit index table
// with the texture bound once (the floor); and by the same hand-written GL
// switching texturing on and off around each batch, as the renderer does.
// Every frame ends in glFinish, so the figure is the whole cost of the
// frame, GPU side included.
// The variants take turns, run after run; the medians are printed as
// "name value" lines for bench.sh.
#define GLFW_INCLUDE_NONE
#include <GL/gl.h>
#include <GLFW/glfw3.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "graphics/graphics_context.h"

namespace {

constexpr int kSprites = 10000;
constexpr int kWidth = 960, kHeight = 540;
constexpr int kBatchQuads = 256;  // the renderer's batch
constexpr int kFramesPerRun = 10;
constexpr int kRuns = 31;

ImageData WhiteStrip() {
    // Four 16 × 16 cells in one strip, as the recorder benchmark uses.
    ImageData data;
    data.width = 64;
    data.height = 16;
    data.depth = 4;
    data.pixels.reset(static_cast<std::uint8_t*>(std::malloc(data.ByteSize())));
    std::memset(data.pixels.get(), 0xff, data.ByteSize());
    return data;
}

float SpriteX(int i) { return float(i % 100) * 17.0f; }
float SpriteY(int i) { return float(i / 100) * 17.0f; }

struct ThroughApi {
    Ref<gxtkGraphics> device = New<gxtkGraphics>();
    Ref<c_Image> sprite;

    ThroughApi() {
        SetGraphicsDevice(device);
        sprite = New<c_Image>();
        sprite->Init(device->MakeSurfaceFromData(WhiteStrip()), 4, c_Image::HandleAtCentre);
    }
    ~ThroughApi() { SetGraphicsDevice(nullptr); }

    void Frame(float camera) {
        device->BeginFrame();
        BeginDrawing();
        Translate(-camera, camera * 0.5f);
        for (int i = 0; i < kSprites; ++i) {
            PushMatrix();
            Translate(SpriteX(i), SpriteY(i));
            DrawImage(sprite.get(), 0, 0, i & 3);
            PopMatrix();
        }
        EndDrawing();
        device->EndFrame();
    }
};

struct RawGl {
    struct Vertex {
        float x, y, u, v;
        std::uint32_t colour;
    };
    std::vector<Vertex> vertices = std::vector<Vertex>(kSprites * 4);
    std::vector<std::uint16_t> indices;
    GLuint texture = 0;

    RawGl() {
        for (int q = 0; q < kBatchQuads; ++q) {
            const auto b = std::uint16_t(q * 4);
            for (std::uint16_t k : {0, 1, 2, 0, 2, 3}) indices.push_back(std::uint16_t(b + k));
        }
        ImageData strip = WhiteStrip();
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        // As the renderer sets it: repeating costs the software sampler more.
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 64, 16, 0, GL_RGBA, GL_UNSIGNED_BYTE, strip.pixels.get());
    }
    ~RawGl() { glDeleteTextures(1, &texture); }

    void Frame(float camera, bool toggleTexturing) {
        glViewport(0, 0, kWidth, kHeight);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, kWidth, kHeight, 0, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
        const float dx = -camera, dy = camera * 0.5f;
        for (int i = 0; i < kSprites; ++i) {
            const float x = SpriteX(i) + dx - 8, y = SpriteY(i) + dy - 8;
            const float u = float(i & 3) * 0.25f;
            Vertex* v = &vertices[std::size_t(i) * 4];
            v[0] = {x, y, u, 0, 0xffffffffu};
            v[1] = {x + 16, y, u + 0.25f, 0, 0xffffffffu};
            v[2] = {x + 16, y + 16, u + 0.25f, 1, 0xffffffffu};
            v[3] = {x, y + 16, u, 1, 0xffffffffu};
        }
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glEnableClientState(GL_COLOR_ARRAY);
        if (!toggleTexturing) {
            glEnable(GL_TEXTURE_2D);
            glBindTexture(GL_TEXTURE_2D, texture);
        }
        // One 16-bit index table for every batch, the arrays moved along.
        for (int first = 0; first < kSprites; first += kBatchQuads) {
            const int quads = std::min(kBatchQuads, kSprites - first);
            const Vertex* batch = &vertices[std::size_t(first) * 4];
            glVertexPointer(2, GL_FLOAT, sizeof(Vertex), &batch->x);
            glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex), &batch->u);
            glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(Vertex), &batch->colour);
            if (toggleTexturing) {
                glEnable(GL_TEXTURE_2D);
                glBindTexture(GL_TEXTURE_2D, texture);
            }
            glDrawElements(GL_TRIANGLES, quads * 6, GL_UNSIGNED_SHORT, indices.data());
            if (toggleTexturing) glDisable(GL_TEXTURE_2D);
        }
        if (!toggleTexturing) glDisable(GL_TEXTURE_2D);
    }
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main() {
    if (!glfwInit()) {
        std::fprintf(stderr, "sprites_gl: no display\n");
        return 1;
    }
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    GLFWwindow* window = glfwCreateWindow(kWidth, kHeight, "Orbel sprites bench", nullptr, nullptr);
    if (!window) {
        std::fprintf(stderr, "sprites_gl: no OpenGL window\n");
        return 1;
    }
    glfwMakeContextCurrent(window);
    glfwSwapInterval(0);
    BumpContextGeneration();
    {
        ThroughApi api;
        RawGl raw;
        using Clock = std::chrono::steady_clock;
        float camera = 0;
        // Milliseconds a frame over one run of the variant.
        auto run = [&](auto frame) {
            const auto start = Clock::now();
            for (int f = 0; f < kFramesPerRun; ++f) {
                frame(camera);
                glFinish();
                camera = camera < 100 ? camera + 1 : 0;
            }
            return std::chrono::duration<double, std::milli>(Clock::now() - start).count() / kFramesPerRun;
        };
        auto ours = [&](float c) { api.Frame(c); };
        auto floor = [&](float c) { raw.Frame(c, false); };
        auto toggled = [&](float c) { raw.Frame(c, true); };
        run(ours), run(floor), run(toggled);  // warm-up: textures resident, code paged in
        // The three draw the same picture: the share of the window each lights.
        auto lit = [&](auto frame) {
            glClearColor(0, 0, 0, 1);
            glClear(GL_COLOR_BUFFER_BIT);
            frame(0.0f);
            std::vector<std::uint8_t> pixels(std::size_t(kWidth) * kHeight * 4);
            glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
            long count = 0;
            for (std::size_t p = 0; p < pixels.size(); p += 4) count += pixels[p] != 0;
            return double(count) / (double(kWidth) * kHeight);
        };
        std::printf("sprites_lit_api %.3f\nsprites_lit_raw %.3f\nsprites_lit_raw_toggled %.3f\n", lit(ours), lit(floor),
                    lit(toggled));
        // Neighbouring runs share the machine's load of the moment, so the
        // ratio is taken run by run and its median reported.
        std::vector<double> a, b, c, overRaw, overToggled;
        for (int r = 0; r < kRuns; ++r) {
            a.push_back(run(ours));
            b.push_back(run(floor));
            c.push_back(run(toggled));
            overRaw.push_back(a.back() / b.back());
            overToggled.push_back(a.back() / c.back());
        }
        std::printf("sprites_api_ms %.3f\nsprites_raw_ms %.3f\nsprites_raw_toggled_ms %.3f\n", Median(a), Median(b),
                    Median(c));
        std::printf("sprites_ratio_raw %.3f\nsprites_ratio_toggled %.3f\n", Median(overRaw), Median(overToggled));
        std::printf("sprites_renderer %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    }
    glfwDestroyWindow(window);
    glfwTerminate();
    return 0;
}
