// Text: laying out a wrapped paragraph, and drawing a screen of labels (a
// credits-sized page of 20 lines) into the recording GL seam. The font is
// made in memory: printable ASCII in 8 × 10 cells on one page, with a few
// kerning pairs.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "framework/label.h"
#include "graphics/graphics_context.h"
#include "support/gl_recorder.h"

namespace {

struct TextScene {
    GlRecorder gl;
    GlApiScope seam{gl};
    Ref<gxtkGraphics> device;
    Ref<c_Font> font = New<c_Font>();
    Ref<c_EmptyGDOContainer> root = New<c_EmptyGDOContainer>();

    TextScene() {
        gl.keepDraws = false;
        gl.targetWidth = 960;
        gl.targetHeight = 540;
        if (ContextGeneration() == 0) BumpContextGeneration();
        device = New<gxtkGraphics>();
        SetGraphicsDevice(device);

        ImageData data;
        data.width = 128;
        data.height = 64;
        data.depth = 4;
        data.pixels.reset(static_cast<std::uint8_t*>(std::malloc(data.ByteSize())));
        std::memset(data.pixels.get(), 0xff, data.ByteSize());
        auto page = New<c_Texture>(u"/no-such-file.png", 1, false);
        page->image = New<c_Image>();
        page->image->Init(device->MakeSurfaceFromData(std::move(data)), 1, 0);
        font->pages[0] = page;
        font->common.lineHeight = 10;
        for (int code = 32; code < 127; ++code) {
            const int cell = code - 32;
            font->chars[code] = c_CharInfo{cell % 16 * 8, cell / 16 * 10, 7, 9, 0, 1, 8, 0};
        }
        font->kernings['A']['V'] = -1;
        font->kernings['T']['o'] = -1;

        for (int i = 0; i < 20; ++i) {
            auto label = New<c_LabelWithShadow>(font, 0.5f);
            label->SetText(u"Thanks for playing: A VOTE To everyone");
            label->position.Set(160, 8 + 8 * float(i));
            root->AddChild(label);
        }
    }
    ~TextScene() { SetGraphicsDevice(nullptr); }
};

void BM_LabelWrapLayout(benchmark::State& state) {
    TextScene scene;
    auto label = New<c_Label>(scene.font, 0.5f);
    label->box.Set(120, 0);
    label->text =
        u"Both characters must reach their world's exit door with a key to finish the level. "
        u"Push and break boxes, carry keys to doors and read the signs along the way.";
    for (auto _ : state) label->Refresh();
    benchmark::DoNotOptimize(label->lines.size());
    state.SetItemsProcessed(state.iterations() * static_cast<long>(label->text.size()));
}
BENCHMARK(BM_LabelWrapLayout);

void BM_LabelScreenDraw(benchmark::State& state) {
    TextScene scene;
    for (auto _ : state) {
        scene.device->BeginFrame();
        BeginDrawing();
        scene.root->Render();
        EndDrawing();
        scene.device->EndFrame();
    }
    // Two passes (shadow and text) of 39 glyphs per label.
    state.SetItemsProcessed(state.iterations() * 20 * 2 * 39);
}
BENCHMARK(BM_LabelScreenDraw);

}  // namespace
