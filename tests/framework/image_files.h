// image_files.h — small PNG files for texture tests, written into a fresh
// folder under the test temp directory.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/text.h"
#include "stb_image_write.h"

class ImageFolder {
public:
    ImageFolder() {
        static int counter = 0;
        dir_ = std::filesystem::path(::testing::TempDir()) /
               ("orbel_images_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
        std::filesystem::create_directories(dir_);
    }
    ~ImageFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    ImageFolder(const ImageFolder&) = delete;
    ImageFolder& operator=(const ImageFolder&) = delete;

    // PNG bytes of a w × h RGBA image whose pixel (x, y) is colour(x, y)
    // (0xRRGGBBAA).
    template <class F>
    static std::string Png(int w, int h, F colour) {
        std::vector<std::uint8_t> rgba(static_cast<std::size_t>(w * h * 4));
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                std::uint32_t c = colour(x, y);
                std::size_t i = static_cast<std::size_t>((y * w + x) * 4);
                rgba[i] = std::uint8_t(c >> 24);
                rgba[i + 1] = std::uint8_t(c >> 16);
                rgba[i + 2] = std::uint8_t(c >> 8);
                rgba[i + 3] = std::uint8_t(c);
            }
        }
        std::string out;
        stbi_write_png_to_func(
            [](void* context, void* data, int size) {
                static_cast<std::string*>(context)->append(static_cast<const char*>(data),
                                                           static_cast<std::size_t>(size));
            },
            &out, w, h, 4, rgba.data(), w * 4);
        return out;
    }

    // Writes bytes to `name` in the folder and returns the full path as a
    // game path (absolute, so it is read as it stands).
    String Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(dir_ / name, std::ios::binary) << bytes;
        return FromUtf8((dir_ / name).string());
    }
    String PathOf(const std::string& name) const { return FromUtf8((dir_ / name).string()); }

private:
    std::filesystem::path dir_;
};
