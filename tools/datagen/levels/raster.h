// raster.h — a small RGBA picture for the level tools: the editor icons of the
// object tile sets and the designers' previews. Plain, unscrambled PNGs: the
// game never reads these files, only the Tiled editor and people do.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace datagen {

struct Rgba {
    std::uint8_t r = 0, g = 0, b = 0, a = 0;
};

class Raster {
public:
    Raster() = default;
    Raster(int width, int height, Rgba fill = {});
    // Decodes an image file (PNG) held in memory; empty when it does not decode.
    static Raster Decode(const std::string& file);

    int Width() const { return width_; }
    int Height() const { return height_; }
    Rgba Get(int x, int y) const;
    void Set(int x, int y, Rgba c);
    // Blends `c` over the pixel ("over" with straight alpha); outside is ignored.
    void Blend(int x, int y, Rgba c);
    void FillRect(int x, int y, int w, int h, Rgba c);
    void FrameRect(int x, int y, int w, int h, Rgba c);
    // Draws a w x h part of `src` at (dx, dy), blending.
    void Draw(const Raster& src, int sx, int sy, int w, int h, int dx, int dy);
    // Draws a picture given as rows of characters; `palette` maps each
    // character to a colour, characters it lacks are transparent.
    void DrawArt(const std::vector<std::string>& rows, const std::string& keys, const std::vector<Rgba>& colours,
                 int dx, int dy);
    bool WritePng(const std::filesystem::path& path) const;

private:
    int width_ = 0, height_ = 0;
    std::vector<std::uint8_t> pixels_;  // RGBA, row-major
};

}  // namespace datagen
