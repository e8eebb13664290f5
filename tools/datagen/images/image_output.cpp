// image_output.cpp — see image_output.h.
#include "datagen/images/image_output.h"

#include <cstdio>
#include <fstream>

#include "host/scramble.h"
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

std::string ScrambledName(const std::string& pngName) {
    auto dot = pngName.rfind('.');
    if (dot == std::string::npos || pngName.substr(dot + 1) != "png") return pngName;
    return pngName.substr(0, dot + 1) + "imx";
}

void ImageOutput::WriteFile(const std::filesystem::path& path, const std::string& bytes) {
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "images: cannot write %s\n", path.string().c_str());
        ok_ = false;
    }
}

void ImageOutput::Texture(const std::string& pngName, const Canvas& canvas, int frameWidth, int frameHeight) {
    std::string png = EncodePng(canvas);
    WriteFile(data_ / ScrambledName(pngName), ScrambleFile(png));
    WriteFile(preview_ / pngName, png);
    written_.push_back({pngName, canvas, frameWidth, frameHeight});
}

void ImageOutput::Plain(const std::string& pngName, const Canvas& canvas, int frameWidth, int frameHeight) {
    std::string png = EncodePng(canvas);
    WriteFile(data_ / pngName, png);
    WriteFile(preview_ / pngName, png);
    written_.push_back({pngName, canvas, frameWidth, frameHeight});
}

void ImageOutput::Preview(const std::string& pngName, const Canvas& canvas) {
    WriteFile(preview_ / pngName, EncodePng(canvas));
}

const Canvas& ImageOutput::Find(const std::string& pngName) const {
    static const Canvas empty;
    for (const auto& w : written_)
        if (w.name == pngName) return w.canvas;
    std::fprintf(stderr, "images: %s is used before it is drawn\n", pngName.c_str());
    return empty;
}

void ImageOutput::DataText(const std::string& name, const std::string& text) { WriteFile(data_ / name, text); }

}  // namespace datagen
