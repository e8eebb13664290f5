// raster.cpp — pixel operations and PNG output (stb_image_write).
#include "datagen/levels/raster.h"

#include <algorithm>

#include "stb_image.h"
#include "stb_image_write.h"

namespace datagen {

Raster::Raster(int width, int height, Rgba fill) : width_(width), height_(height) {
    pixels_.resize(static_cast<std::size_t>(width) * height * 4);
    for (std::size_t i = 0; i < pixels_.size(); i += 4) {
        pixels_[i] = fill.r;
        pixels_[i + 1] = fill.g;
        pixels_[i + 2] = fill.b;
        pixels_[i + 3] = fill.a;
    }
}

Raster Raster::Decode(const std::string& file) {
    int w = 0, h = 0, channels = 0;
    stbi_uc* pixels = stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(file.data()),
                                            static_cast<int>(file.size()), &w, &h, &channels, 4);
    if (!pixels) return {};
    Raster r(w, h);
    std::copy(pixels, pixels + static_cast<std::size_t>(w) * h * 4, r.pixels_.begin());
    stbi_image_free(pixels);
    return r;
}

Rgba Raster::Get(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return {};
    const std::uint8_t* p = &pixels_[(static_cast<std::size_t>(y) * width_ + x) * 4];
    return {p[0], p[1], p[2], p[3]};
}

void Raster::Set(int x, int y, Rgba c) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    std::uint8_t* p = &pixels_[(static_cast<std::size_t>(y) * width_ + x) * 4];
    p[0] = c.r, p[1] = c.g, p[2] = c.b, p[3] = c.a;
}

void Raster::Blend(int x, int y, Rgba c) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_ || c.a == 0) return;
    std::uint8_t* p = &pixels_[(static_cast<std::size_t>(y) * width_ + x) * 4];
    if (c.a == 255) {
        p[0] = c.r, p[1] = c.g, p[2] = c.b, p[3] = 255;
        return;
    }
    // Straight-alpha "over": out = src + dst * (1 - srcA), colours weighted.
    const int sa = c.a, da = p[3] * (255 - sa) / 255, oa = sa + da;
    auto mix = [&](int s, int d) { return static_cast<std::uint8_t>((s * sa + d * da) / oa); };
    p[0] = mix(c.r, p[0]);
    p[1] = mix(c.g, p[1]);
    p[2] = mix(c.b, p[2]);
    p[3] = static_cast<std::uint8_t>(oa);
}

void Raster::FillRect(int x, int y, int w, int h, Rgba c) {
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i) Blend(i, j, c);
}

void Raster::FrameRect(int x, int y, int w, int h, Rgba c) {
    FillRect(x, y, w, 1, c);
    FillRect(x, y + h - 1, w, 1, c);
    FillRect(x, y + 1, 1, h - 2, c);
    FillRect(x + w - 1, y + 1, 1, h - 2, c);
}

void Raster::Draw(const Raster& src, int sx, int sy, int w, int h, int dx, int dy) {
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) Blend(dx + i, dy + j, src.Get(sx + i, sy + j));
}

void Raster::DrawArt(const std::vector<std::string>& rows, const std::string& keys, const std::vector<Rgba>& colours,
                     int dx, int dy) {
    for (std::size_t j = 0; j < rows.size(); ++j)
        for (std::size_t i = 0; i < rows[j].size(); ++i) {
            std::size_t k = keys.find(rows[j][i]);
            if (k != std::string::npos && k < colours.size())
                Blend(dx + static_cast<int>(i), dy + static_cast<int>(j), colours[k]);
        }
}

bool Raster::WritePng(const std::filesystem::path& path) const {
    return stbi_write_png(path.string().c_str(), width_, height_, 4, pixels_.data(), width_ * 4) != 0;
}

}  // namespace datagen
