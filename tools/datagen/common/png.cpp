// png.cpp — see png.h.
#include "datagen/common/png.h"

#include <fstream>
#include <vector>

#include "stb_image.h"
#include "stb_image_write.h"

namespace datagen {

std::string EncodePng(const Canvas& canvas) {
    std::string out;
    // Fixed settings: the same pixels always give the same bytes.
    stbi_write_png_compression_level = 9;
    stbi_write_force_png_filter = -1;
    std::vector<unsigned char> raw;
    raw.reserve(canvas.Pixels().size() * 4);
    for (const Rgba& p : canvas.Pixels()) {
        // Fully transparent pixels carry no colour, which keeps files small
        // and the bytes independent of how the picture was drawn.
        if (p.a == 0) {
            raw.insert(raw.end(), {0, 0, 0, 0});
        } else {
            raw.insert(raw.end(), {p.r, p.g, p.b, p.a});
        }
    }
    auto append = [](void* context, void* data, int size) {
        static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<std::size_t>(size));
    };
    stbi_write_png_to_func(append, &out, canvas.Width(), canvas.Height(), 4, raw.data(), canvas.Width() * 4);
    return out;
}

Canvas DecodePng(const std::string& bytes) {
    int w = 0, h = 0, channels = 0;
    stbi_uc* pixels = stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()),
                                            static_cast<int>(bytes.size()), &w, &h, &channels, 4);
    if (!pixels) return {};
    Canvas out(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const stbi_uc* p = pixels + (static_cast<std::size_t>(y) * w + x) * 4;
            out.Set(x, y, {p[0], p[1], p[2], p[3]});
        }
    stbi_image_free(pixels);
    return out;
}

bool WritePng(const Canvas& canvas, const std::filesystem::path& path) {
    const std::string bytes = EncodePng(canvas);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

}  // namespace datagen
