// fuzz_support.cpp — see fuzz_support.h.
#include "fuzz/fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "framework/color_stack.h"
#include "framework/events.h"
#include "framework/screen.h"
#include "framework/texture.h"
#include "graphics/graphics_context.h"
#include "graphics/gxtk_graphics.h"
#include "host/files.h"
#include "host/gl_context.h"
#include "host/image_data.h"
#include "host/runtime_error.h"
#include "support/gl_recorder.h"

namespace fuzz {

namespace {

[[noreturn]] void ThrowRefused(StringView message) { throw Refused{ToUtf8(message)}; }

// A 64 × 64 opaque picture with a pattern, so tile and glyph cuts differ.
ImageData GeneratedImage(StringView path) {
    if (path.find(kMissingImage) != StringView::npos) return {};
    constexpr int kSide = 64;
    ImageData image;
    image.pixels.reset(static_cast<std::uint8_t*>(std::malloc(kSide * kSide * 4)));
    if (!image.pixels) return {};
    for (int i = 0; i < kSide * kSide; ++i) {
        std::uint8_t* p = image.pixels.get() + i * 4;
        p[0] = static_cast<std::uint8_t>(i * 7);
        p[1] = static_cast<std::uint8_t>(i >> 3);
        p[2] = 0x80;
        p[3] = 0xFF;
    }
    image.width = kSide;
    image.height = kSide;
    image.depth = 4;
    return image;
}

}  // namespace

struct Session::Parts {
    GlRecorder gl;
    GlApiScope seam{gl};
    Ref<gxtkGraphics> device;
    RuntimeErrorTrap previousTrap = nullptr;
};

Session::Session() : parts_(std::make_unique<Parts>()) {
    parts_->previousTrap = SetRuntimeErrorTrap(ThrowRefused);
    if (ContextGeneration() == 0) BumpContextGeneration();
    parts_->device = New<gxtkGraphics>();
    SetGraphicsDevice(parts_->device);
    Screen() = GameScreen{};
    SetImageDataLoader(GeneratedImage);
    ClearListeners();
}

Session::~Session() {
    ClearListeners();
    // Textures are cached process-wide; none may outlive the recorder that
    // holds their GL names, and an input must not leave its names behind.
    while (!TextureCache().empty()) {
        Ref<c_Texture> texture = TextureCache().begin()->second;
        texture->keep = false;
        texture->Discard();
    }
    SetImageDataLoader(nullptr);
    SetGraphicsDevice(nullptr);
    parts_->device.reset();
    Screen() = GameScreen{};
    SetRuntimeErrorTrap(parts_->previousTrap);
}

void Session::BeginFrame() {
    parts_->device->BeginFrame();
    BeginDrawing();
}

void Session::EndFrame() {
    EndDrawing();
    parts_->device->EndFrame();
}

String Text(const std::uint8_t* data, std::size_t size) { return DecodeText(Bytes(data, size)); }

std::string WriteTempFile(std::string_view name, std::string_view bytes) {
    const char* dir = std::getenv("TMPDIR");
    std::string path =
        std::string(dir && *dir ? dir : "/tmp") + "/orbel-fuzz-" + std::to_string(getpid()) + "-" + std::string(name);
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    return path;
}

}  // namespace fuzz
