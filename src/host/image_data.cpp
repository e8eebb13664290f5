// image_data.cpp — stb_image decoding and the replaceable image loader.
#include "host/image_data.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "host/files.h"
#include "host/runtime_error.h"
#include "stb_image.h"

void ImageData::FreeDeleter::operator()(std::uint8_t* p) const { stbi_image_free(p); }

namespace {

ImageData Wrap(stbi_uc* pixels, int width, int height, int depth) {
    ImageData image;
    if (!pixels) return image;
    if (width <= 0 || height <= 0 || depth < 1 || depth > 4) {
        stbi_image_free(pixels);
        return image;
    }
    image.pixels.reset(pixels);
    image.width = width;
    image.height = height;
    image.depth = depth;
    return image;
}

// stb_image is Debian's prebuilt library, which decodes every format it
// knows; the game's pictures are PNG or JPEG, so anything else is refused by
// its signature before stb sees it, and the size from the header is checked
// before any pixels are allocated.
bool IsPngOrJpeg(const std::uint8_t* bytes, std::size_t length) {
    static constexpr std::uint8_t kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    static constexpr std::uint8_t kJpeg[3] = {0xFF, 0xD8, 0xFF};
    return (length >= sizeof kPng && std::memcmp(bytes, kPng, sizeof kPng) == 0) ||
           (length >= sizeof kJpeg && std::memcmp(bytes, kJpeg, sizeof kJpeg) == 0);
}

// Whether an image of this header may be decoded; prints why not.
bool WithinLimits(const std::string& name, int width, int height, int depth) {
    if (width > kMaxImageSide || height > kMaxImageSide) {
        Print(u"IMAGE: " + FromUtf8(name) + u" is " + IntToString(width) + u"x" + IntToString(height) +
              u", over the limit of " + IntToString(kMaxImageSide) + u" pixels per side");
        return false;
    }
    const long long bytes = static_cast<long long>(width) * height * depth;
    if (bytes > kMaxImageBytes) {
        Print(u"IMAGE: " + FromUtf8(name) + u" decodes to " + IntToString(bytes) + u" bytes, over the limit of " +
              IntToString(kMaxImageBytes / (1024 * 1024)) + u" MB");
        return false;
    }
    return true;
}

bool RefuseFormat(const std::string& name) {
    Print(u"IMAGE: " + FromUtf8(name) + u" is neither PNG nor JPEG");
    return false;
}

ImageData DefaultLoader(StringView path) {
    const String fileName = MapDataPath(path);
    if (fileName.empty()) return {};
    return DecodeImageFile(ToUtf8(fileName));
}

ImageDataLoader& Loader() {
    static ImageDataLoader loader = DefaultLoader;
    return loader;
}

}  // namespace

ImageData DecodeImageFile(const std::string& fileName) {
    ReadingFile reading(FromUtf8(fileName));
    std::FILE* file = std::fopen(fileName.c_str(), "rb");
    if (!file) return {};
    std::uint8_t head[8] = {};
    const std::size_t got = std::fread(head, 1, sizeof head, file);
    int width = 0, height = 0, depth = 0;
    stbi_uc* pixels = nullptr;
    if (std::fseek(file, 0, SEEK_SET) == 0 && got > 0) {
        if (!IsPngOrJpeg(head, got)) {
            RefuseFormat(fileName);
        } else if (stbi_info_from_file(file, &width, &height, &depth) && WithinLimits(fileName, width, height, depth)) {
            pixels = stbi_load_from_file(file, &width, &height, &depth, 0);
        }
    }
    std::fclose(file);
    return Wrap(pixels, width, height, depth);
}

ImageData DecodeImageMemory(const std::uint8_t* bytes, std::size_t length, const std::string& name) {
    if (!bytes || length == 0 || length > std::size_t(INT_MAX)) return {};
    if (!IsPngOrJpeg(bytes, length)) {
        RefuseFormat(name);
        return {};
    }
    int width = 0, height = 0, depth = 0;
    if (!stbi_info_from_memory(bytes, int(length), &width, &height, &depth)) return {};
    if (!WithinLimits(name, width, height, depth)) return {};
    stbi_uc* pixels = stbi_load_from_memory(bytes, int(length), &width, &height, &depth, 0);
    return Wrap(pixels, width, height, depth);
}

void SetImageDataLoader(ImageDataLoader loader) {
    Loader() = loader ? std::move(loader) : ImageDataLoader(DefaultLoader);
}

ImageData LoadImageData(StringView path) { return Loader()(path); }
