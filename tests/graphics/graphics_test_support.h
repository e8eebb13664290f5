// graphics_test_support.h — shared set-up for the graphics tests: a renderer
// on the recording GL seam, and small images made on the spot.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include "graphics/gxtk_graphics.h"
#include "host/image_data.h"
#include "stb_image_write.h"
#include "support/gl_recorder.h"

// Decoded pixels as the image loader would hand them over.
inline ImageData MakeImageData(int width, int height, int depth, const std::vector<std::uint8_t>& bytes) {
    ImageData image;
    auto* block = static_cast<std::uint8_t*>(std::malloc(bytes.size()));
    std::memcpy(block, bytes.data(), bytes.size());
    image.pixels.reset(block);
    image.width = width;
    image.height = height;
    image.depth = depth;
    return image;
}

// A w × h RGBA image whose pixel (x, y) is opaque and encodes its position:
// R = x, G = y, B = 7.
inline ImageData PositionImage(int width, int height) {
    std::vector<std::uint8_t> bytes;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            bytes.insert(bytes.end(), {std::uint8_t(x), std::uint8_t(y), 7, 255});
        }
    }
    return MakeImageData(width, height, 4, bytes);
}

// Under LeakSanitizer the exit-time scan trips over the thread-local storage
// of Mesa's driver (it reads a bogus dynamic TLS range and crashes, depending
// on heap layout). A process that has touched real GL therefore runs its leak
// check before the driver is loaded and skips the one at exit. Address and
// undefined-behaviour checks stay on; the renderer's own memory is leak
// checked by the recording-seam tests (ctest runs each test in its own
// process, so no other test loses its exit-time check).
inline void LeakCheckBeforeTheDriverLoads() {
#if defined(__SANITIZE_ADDRESS__)
    __lsan_do_leak_check();
#endif
}

// A PNG file in memory.
inline std::vector<std::uint8_t> EncodePng(int width, int height, int depth, const std::vector<std::uint8_t>& pixels) {
    std::vector<std::uint8_t> bytes;
    stbi_write_png_to_func(
        [](void* context, void* data, int size) {
            auto* out = static_cast<std::vector<std::uint8_t>*>(context);
            const auto* p = static_cast<const std::uint8_t*>(data);
            out->insert(out->end(), p, p + size);
        },
        &bytes, width, height, depth, pixels.data(), width * depth);
    return bytes;
}

// A renderer drawing into a GlRecorder, inside a started frame.
class RecorderTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (ContextGeneration() == 0) BumpContextGeneration();
        device = New<gxtkGraphics>();
        device->BeginFrame();
        device->SetMatrix(1, 0, 0, 1, 0, 0);
        device->SetAlpha(1);
        device->SetColor(255, 255, 255);
        gl.ResetCounters();
    }
    void TearDown() override { device.reset(); }

    GlRecorder gl;
    GlApiScope seam{gl};
    Ref<gxtkGraphics> device;
};
