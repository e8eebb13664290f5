// texture.cpp — see texture.h.
#include "framework/texture.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "graphics/graphics_context.h"
#include "host/files.h"
#include "host/runtime_error.h"
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

Ref<c_Image> LoadImageFile(StringView path, int frameCount) {
    if (!TheCache().scrambled) return LoadImage(path, frameCount, DefaultImageFlags());
    Ref<c_DataBuffer> bytes = LoadScrambled(FixDataPath(ScrambledImagePath(path)));
    if (!bytes || bytes->Length() <= 0) return nullptr;
    return LoadImageFromMemory(bytes->Data(), static_cast<std::size_t>(bytes->Length()), frameCount,
                               DefaultImageFlags());
}

// The index of pictures kept in atlases ("atlas.txt" in the data folder):
// one line per picture, "<picture> <atlas> <x> <y> <width> <height>".
constexpr const char16_t* kAtlasIndex = u"atlas.txt";
// An index is a few lines; anything far larger is not one.
constexpr std::uintmax_t kMaxAtlasIndexBytes = 64 * 1024;

struct AtlasEntry {
    String atlas;
    int x = 0, y = 0, width = 0, height = 0;
};

bool ParseCount(StringView text, int& value) {
    if (text.empty() || text.size() > 5) return false;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') return false;
    }
    value = static_cast<int>(StringToInt(text));
    return true;
}

// The atlas entry of `path`; false when the data has no index or the index
// does not list the picture (then it is read from its own file). Lines that
// do not parse are skipped.
bool FindAtlasEntry(StringView path, AtlasEntry& entry) {
    const String index = FixDataPath(kAtlasIndex);
    std::error_code error;
    const std::uintmax_t bytes = std::filesystem::file_size(ToUtf8(MapDataPath(index)), error);
    if (error || bytes > kMaxAtlasIndexBytes) return false;
    for (const String& line : Split(LoadString(index), u"\n")) {
        std::vector<String> fields;
        for (const String& field : Split(Trim(line), u" ")) {
            if (!field.empty()) fields.push_back(field);
        }
        if (fields.size() != 6 || fields[0] != path) continue;
        if (ParseCount(fields[2], entry.x) && ParseCount(fields[3], entry.y) && ParseCount(fields[4], entry.width) &&
            ParseCount(fields[5], entry.height)) {
            entry.atlas = fields[1];
            return entry.atlas != path;
        }
    }
    return false;
}

// Atlases in use, shared by the pictures cut from them; each goes with the
// last of its pictures.
std::map<String, std::weak_ptr<c_Image>>& LiveAtlases() {
    static std::map<String, std::weak_ptr<c_Image>> atlases;
    return atlases;
}

Ref<c_Image> LoadTextureImage(StringView path, int frameCount) {
    AtlasEntry entry;
    if (!FindAtlasEntry(path, entry)) return LoadImageFile(path, frameCount);
    const String key = FixDataPath(entry.atlas);
    Ref<c_Image> atlas = LiveAtlases()[key].lock();
    if (!atlas || !atlas->surface) {
        atlas = LoadImageFile(entry.atlas, 1);
        if (!atlas) return nullptr;
        LiveAtlases()[key] = atlas;
    }
    Ref<c_Image> part = New<c_Image>();
    part->InitRegion(atlas, entry.x, entry.y, entry.width, entry.height, frameCount, DefaultImageFlags());
    if (part->Frames() == 0) {
        Print(u"Picture " + String(path) + u" lies outside its atlas " + entry.atlas + u" (" + kAtlasIndex + u")");
        return nullptr;
    }
    return part;
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
