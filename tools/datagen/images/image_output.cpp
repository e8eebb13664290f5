// image_output.cpp — see image_output.h.
#include "datagen/images/image_output.h"

#include <cstdio>
#include <fstream>

#include "datagen/common/png.h"
#include "host/scramble.h"

namespace datagen {

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
