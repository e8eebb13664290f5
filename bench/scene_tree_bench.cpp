// One update and one render of a level-sized display tree: 1,000 animated
// sprites (half of them off screen, so culling is part of the figure) in
// twenty tweened groups, drawn through a window into the recording GL seam.
// The figure is the CPU cost of walking the tree, not of a GPU.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "framework/gdo_with_tween.h"
#include "framework/screen.h"
#include "framework/sprite.h"
#include "framework/tile_set.h"
#include "framework/window.h"
#include "graphics/graphics_context.h"
#include "support/gl_recorder.h"

namespace {

constexpr int kGroups = 20;
constexpr int kSpritesPerGroup = 50;

struct Scene {
    GlRecorder gl;
    GlApiScope seam{gl};
    Ref<gxtkGraphics> device;
    Ref<c_Texture> texture;
    Ref<c_EmptyGDOContainer> root = New<c_EmptyGDOContainer>();
    Ref<c_Window> window = New<c_Window>(320, 180);

    Scene() {
        gl.keepDraws = false;
        gl.targetWidth = 960;
        gl.targetHeight = 540;
        if (ContextGeneration() == 0) BumpContextGeneration();
        device = New<gxtkGraphics>();
        SetGraphicsDevice(device);
        Screen().scale.Set(3, 3);
        Screen().SetVisibleRect(0, 0, 960, 540);

        // A 64 × 32 sheet of 16 × 16 cells, made in memory.
        ImageData data;
        data.width = 64;
        data.height = 32;
        data.depth = 4;
        data.pixels.reset(static_cast<std::uint8_t*>(std::malloc(data.ByteSize())));
        std::memset(data.pixels.get(), 0xff, data.ByteSize());
        texture = New<c_Texture>(u"/no-such-file.png", 1, false);
        texture->image = New<c_Image>();
        texture->image->Init(device->MakeSurfaceFromData(std::move(data)), 1, 0);

        for (int g = 0; g < kGroups; ++g) {
            auto group = New<c_GDOWithTween>();
            group->propertyName = u"position.y";
            group->tween = New<c_Tween>(c_QuadraticEaseInOut::Shared(), -3, 3, 900, true, true);
            group->tween->Start();
            for (int i = 0; i < kSpritesPerGroup; ++i) {
                auto sprite = New<c_Sprite>(New<c_TileSet>(texture, 16, 16), 10);
                sprite->AddSequenceRange(u"walk", 0, 7, true);
                sprite->Play(u"walk");
                // Every other sprite lies beyond the right edge of the view.
                sprite->position.Set(float((g * kSpritesPerGroup + i) % 40) * 8 + (i % 2) * 1000, float(g) * 9);
                group->AddChild(sprite);
            }
            root->AddChild(group);
        }
        window->position.Set(160, 90);
        window->camera.Set(160, 90);
    }
    ~Scene() { SetGraphicsDevice(nullptr); }
};

void BM_TreeUpdate(benchmark::State& state) {
    Scene scene;
    for (auto _ : state) scene.root->Update(16);
    state.SetItemsProcessed(state.iterations() * kGroups * kSpritesPerGroup);
}
BENCHMARK(BM_TreeUpdate);

void BM_TreeRender(benchmark::State& state) {
    Scene scene;
    for (auto _ : state) {
        scene.device->BeginFrame();
        BeginDrawing();
        PushMatrix();
        Scale(3, 3);
        scene.window->BeginView();
        scene.root->Render();
        scene.window->EndView();
        PopMatrix();
        EndDrawing();
        scene.device->EndFrame();
    }
    state.SetItemsProcessed(state.iterations() * kGroups * kSpritesPerGroup);
    state.counters["drawCallsPerFrame"] = benchmark::Counter(double(scene.gl.drawCalls) / double(state.iterations()));
}
BENCHMARK(BM_TreeRender);

}  // namespace
