// texture.cpp — see texture.h.
#include "framework/texture.h"

#include <algorithm>

#include "graphics/graphics_context.h"
#include "host/files.h"
#include "host/streams.h"

namespace {

struct Cache {
    std::map<int, Ref<c_Texture>> textures;
    int nextId = 0;
    bool scrambled = false;
};

Cache& TheCache() {
    static Cache cache;
    return cache;
}

Ref<c_Image> LoadTextureImage(StringView path, int frameCount) {
    if (!TheCache().scrambled) return LoadImage(path, frameCount, DefaultImageFlags());
    Ref<c_DataBuffer> bytes = LoadScrambled(FixDataPath(ScrambledImagePath(path)));
    if (!bytes || bytes->Length() <= 0) return nullptr;
    return LoadImageFromMemory(bytes->Data(), static_cast<std::size_t>(bytes->Length()), frameCount,
                               DefaultImageFlags());
}

}  // namespace

c_Texture::c_Texture(StringView imagePath, int frames, bool keepLoaded)
    : loaded(true), frameCount(std::max(frames, 1)), path(imagePath), keep(keepLoaded) {
    image = LoadTextureImage(path, frameCount);
    Cache& cache = TheCache();
    id = cache.nextId++;
}

c_Texture::~c_Texture() = default;

void c_Texture::Discard() {
    if (keep) return;
    TheCache().textures.erase(id);
    if (image && !image->sharedFrom) image->Discard();
    image = nullptr;
}

Ref<c_Texture> GetTexture(StringView path, int frameCount, bool keep) {
    Cache& cache = TheCache();
    const int frames = std::max(frameCount, 1);
    for (const auto& [id, texture] : cache.textures) {
        if (texture->path == path && texture->frameCount == frames) return texture;
    }
    auto texture = New<c_Texture>(path, frames, keep);
    cache.textures[texture->id] = texture;
    return texture;
}

const std::map<int, Ref<c_Texture>>& TextureCache() { return TheCache().textures; }

void WarmUpNewTextures() {
    for (const auto& [id, texture] : TheCache().textures) {
        if (!texture->loaded || !texture->image) continue;
        for (int frame = 0; frame < texture->image->Frames(); ++frame) DrawImage(texture->image.get(), 0, 0, frame);
        texture->loaded = false;
    }
}

void EnableScrambledImages(bool enabled, std::uint32_t seed) {
    TheCache().scrambled = enabled;
    ScrambleSeed() = seed;
}

bool ScrambledImagesEnabled() { return TheCache().scrambled; }

String ScrambledImagePath(StringView path) {
    std::vector<String> parts = Split(path, u".");
    if (parts.empty()) return String(path);
    String& last = parts.back();
    if (last == u"png")
        last = u"imx";
    else if (last == u"jpg")
        last = u"imy";
    return Join(parts, u".");
}
