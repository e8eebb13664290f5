// render_fixture.h — draws framework objects into the GL recorder.
//
//   RecordedFrame frame;          // 640 × 480 target
//   frame.Begin();
//   node->Render();
//   frame.End();                  // flushes: frame.gl.draws holds the result
//
// or, for one node alone, auto vertices = frame.RenderOnce(*node).
//
// Textures left in the cache are discarded when the frame object goes.
#pragma once

#include <algorithm>
#include <vector>

#include "framework/color_stack.h"
#include "framework/gdo.h"
#include "framework/screen.h"
#include "framework/texture.h"
#include "graphics/gl_api.h"
#include "graphics/graphics_context.h"
#include "support/gl_recorder.h"

class RecordedFrame {
public:
    explicit RecordedFrame(int width = 640, int height = 480) {
        gl.targetWidth = width;
        gl.targetHeight = height;
        if (ContextGeneration() == 0) BumpContextGeneration();
        device = New<gxtkGraphics>();
        SetGraphicsDevice(device);
        Screen() = GameScreen{};
    }
    ~RecordedFrame() {
        // Textures are cached process-wide; none may outlive the recorder
        // that holds their GL names.
        while (!TextureCache().empty()) {
            Ref<c_Texture> texture = TextureCache().begin()->second;
            texture->keep = false;
            texture->Discard();
        }
        SetGraphicsDevice(nullptr);
        device.reset();
        Screen() = GameScreen{};
    }
    RecordedFrame(const RecordedFrame&) = delete;
    RecordedFrame& operator=(const RecordedFrame&) = delete;

    void Begin() {
        device->BeginFrame();
        BeginDrawing();
        gl.draws.clear();
        gl.ResetCounters();
    }
    void End() {
        EndDrawing();
        device->EndFrame();
    }

    // Draws one node (and its subtree) in a frame of its own and returns
    // the vertices.
    std::vector<GlRecorder::Vertex> RenderOnce(c_GDO& node, bool* drawn = nullptr) {
        Begin();
        bool result = node.Render();
        End();
        if (drawn) *drawn = result;
        return Vertices();
    }

    // Every vertex drawn, in order.
    std::vector<GlRecorder::Vertex> Vertices() const {
        std::vector<GlRecorder::Vertex> all;
        for (const auto& d : gl.draws) all.insert(all.end(), d.vertices.begin(), d.vertices.end());
        return all;
    }

    GlRecorder gl;
    GlApiScope seam{gl};
    Ref<gxtkGraphics> device;
};

// The bounding box of some vertices.
struct Box {
    float x0, y0, x1, y1;
};
inline Box BoundsOf(const std::vector<GlRecorder::Vertex>& v, std::size_t first, std::size_t count) {
    Box b{1e9f, 1e9f, -1e9f, -1e9f};
    for (std::size_t i = first; i < first + count && i < v.size(); ++i) {
        b.x0 = std::min(b.x0, v[i].x);
        b.y0 = std::min(b.y0, v[i].y);
        b.x1 = std::max(b.x1, v[i].x);
        b.y1 = std::max(b.y1, v[i].y);
    }
    return b;
}
