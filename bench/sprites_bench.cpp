// One frame of 10,000 16 × 16 sprites from one texture under a moving
// matrix, drawn through the drawing API into the recording GL seam (so the
// figure is the CPU cost of batching, not of a GPU).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "graphics/graphics_context.h"
#include "support/gl_recorder.h"

namespace {

constexpr int kSprites = 10000;

Ref<c_Image> SpriteStrip(gxtkGraphics& device) {
    // Four 16 × 16 cells in one strip.
    ImageData data;
    data.width = 64;
    data.height = 16;
    data.depth = 4;
    data.pixels.reset(static_cast<std::uint8_t*>(std::malloc(data.ByteSize())));
    std::memset(data.pixels.get(), 0xff, data.ByteSize());
    Ref<c_Image> image = New<c_Image>();
    image->Init(device.MakeSurfaceFromData(std::move(data)), 4, c_Image::HandleAtCentre);
    return image;
}

void Run(benchmark::State& state, bool turned) {
    GlRecorder gl;
    gl.keepDraws = false;
    GlApiScope seam(gl);
    if (ContextGeneration() == 0) BumpContextGeneration();
    Ref<gxtkGraphics> device = New<gxtkGraphics>();
    SetGraphicsDevice(device);
    Ref<c_Image> sprite = SpriteStrip(*device);

    float camera = 0;
    for (auto _ : state) {
        device->BeginFrame();
        BeginDrawing();
        Translate(-camera, camera * 0.5f);
        for (int i = 0; i < kSprites; ++i) {
            const float x = float(i % 100) * 17.0f, y = float(i / 100) * 17.0f;
            if (turned) {
                DrawImage(sprite.get(), x, y, float(i), 1.5f, 1.5f, i & 3);
            } else {
                PushMatrix();
                Translate(x, y);
                DrawImage(sprite.get(), 0, 0, i & 3);
                PopMatrix();
            }
        }
        EndDrawing();
        device->EndFrame();
        camera += 1.0f;
    }
    const double frames = double(state.iterations());
    state.counters["draw_calls_per_frame"] = double(gl.drawCalls) / frames;
    state.counters["vertices_per_frame"] = double(gl.vertices) / frames;
    state.counters["sprites_per_second"] = benchmark::Counter(double(kSprites) * frames, benchmark::Counter::kIsRate);
    SetGraphicsDevice(nullptr);
}

void BM_SpriteFrame(benchmark::State& state) { Run(state, false); }
void BM_SpriteFrameRotatedScaled(benchmark::State& state) { Run(state, true); }

}  // namespace

BENCHMARK(BM_SpriteFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SpriteFrameRotatedScaled)->Unit(benchmark::kMicrosecond);
