// image_data.cpp — stb_image decoding and the replaceable image loader.
#include "host/image_data.h"

#include <climits>
#include <cstdlib>
#include <utility>

#include "host/files.h"
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
    int width = 0, height = 0, depth = 0;
    stbi_uc* pixels = stbi_load(fileName.c_str(), &width, &height, &depth, 0);
    return Wrap(pixels, width, height, depth);
}

ImageData DecodeImageMemory(const std::uint8_t* bytes, std::size_t length) {
    if (!bytes || length == 0 || length > std::size_t(INT_MAX)) return {};
    int width = 0, height = 0, depth = 0;
    stbi_uc* pixels = stbi_load_from_memory(bytes, int(length), &width, &height, &depth, 0);
    return Wrap(pixels, width, height, depth);
}

void SetImageDataLoader(ImageDataLoader loader) {
    Loader() = loader ? std::move(loader) : ImageDataLoader(DefaultLoader);
}

ImageData LoadImageData(StringView path) { return Loader()(path); }
