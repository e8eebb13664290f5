// image_data.cpp — stb_image decoding and the replaceable image loader.
#include "graphics/image_data.h"

#include <climits>
#include <cstdlib>
#include <utility>

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

// The data-folder schemes, for when no host has installed its own loader.
std::string MapGamePath(StringView path) {
    struct Scheme {
        StringView prefix;
        const char* folder;
    };
    static constexpr Scheme kSchemes[] = {{u"cobalt://data/", "./data/"},
                                          {u"cobalt://internal/", "./internal/"},
                                          {u"cobalt://external/", "./external/"}};
    if (!StartsWith(path, u"cobalt:")) return ToUtf8(path);
    for (const Scheme& scheme : kSchemes) {
        if (StartsWith(path, scheme.prefix)) {
            return scheme.folder + ToUtf8(path.substr(scheme.prefix.size()));
        }
    }
    return {};
}

ImageData DefaultLoader(StringView path) {
    std::string fileName = MapGamePath(path);
    if (fileName.empty()) return {};
    return DecodeImageFile(fileName);
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
