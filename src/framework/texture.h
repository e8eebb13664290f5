// texture.h — c_Texture, a loaded image file shared through a process-wide
// cache keyed by path and frame count.
//
// The cache owns its textures: a texture stays loaded until it is discarded
// (by the tile set, sprite or static image that uses it, or by whoever got
// it from GetTexture) unless it is marked `keep`. Discard frees the image's
// surface at once even if another user still holds the texture: that user
// then draws nothing (the game discards whole stages together).
//
// A picture listed in the data folder's "atlas.txt" is a block of a shared
// atlas image instead of a file of its own (one texture for many pictures,
// so they draw in one batch); the atlas is loaded once while any of its
// pictures lives. The names the game asks for stay the same.
//
// In the shipped game every image is read from a scrambled variant of its
// file (png → imx, jpg → imy); EnableScrambledImages switches that on.
#pragma once

#include <cstdint>
#include <map>

#include "framework/interfaces.h"
#include "host/object.h"
#include "host/scramble.h"

class c_Image;

class c_Texture : public Object, public c_Resource {
public:
    // Set when made; the stage manager draws each new texture once to get it
    // onto the graphics device and then clears it (WarmUpNewTextures).
    bool loaded = false;
    // Null when loading failed.
    Ref<c_Image> image;
    int frameCount = 1;
    String path;
    // A kept texture ignores Discard.
    bool keep = false;
    // Its key in the cache.
    int id = 0;

    // Loads the image (null on failure) and enters the texture into the
    // cache. Use GetTexture to share one texture between users.
    c_Texture(StringView imagePath, int frames, bool keepLoaded);
    ~c_Texture() override;

    String ToString() const override { return u"c_Texture"; }
    // Leaves the cache and frees the image's surface (unless `keep`).
    void Discard() override;
};

// The cached texture of that path and frame count, loading it on first use.
// The same file with another frame count is another texture.
Ref<c_Texture> GetTexture(StringView path, int frameCount = 1, bool keep = false);
// The cache, by id (ascending = creation order).
const std::map<int, Ref<c_Texture>>& TextureCache();
// Draws every frame of each texture made since the last call once at (0, 0)
// and clears its `loaded` flag.
void WarmUpNewTextures();

// Reads images from their scrambled files from now on (or again from the
// plain files), with the given seed of the scrambled format.
void EnableScrambledImages(bool enabled, std::uint32_t seed = kScrambleSeed);
bool ScrambledImagesEnabled();
// The file an image path is read from in scrambled mode: the last
// "."-separated part "png" becomes "imx" and "jpg" becomes "imy".
String ScrambledImagePath(StringView path);
