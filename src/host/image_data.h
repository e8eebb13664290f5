// image_data.h — decoding image files (PNG and JPEG) into 8-bit pixels.
//
// Pixels keep the file's own channel count (depth 1 grey, 2 grey + alpha,
// 3 RGB, 4 RGBA), rows top first, no padding. Decoding is stb_image.
//
// The renderer reads image files through LoadImageData, which goes through
// a replaceable loader: the host installs its own (RtGlfwGame::LoadImageData,
// which maps "cobalt:" paths and forwards to DecodeImageFile). The default
// loader, used while no host exists (tools, tests), does the same: the path
// goes through MapDataPath (host/files.h) and the file is decoded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "host/text.h"

struct ImageData {
    struct FreeDeleter {
        void operator()(std::uint8_t* p) const;
    };
    // Pixels allocated with malloc (stb's allocator); null when decoding
    // failed, in which case width, height and depth are 0.
    std::unique_ptr<std::uint8_t[], FreeDeleter> pixels;
    int width = 0;
    int height = 0;
    int depth = 0;  // bytes per pixel, 1..4

    explicit operator bool() const { return pixels != nullptr; }
    std::size_t ByteSize() const { return std::size_t(width) * std::size_t(height) * std::size_t(depth); }
};

// The largest picture decoded: per side, and in decoded bytes.
constexpr int kMaxImageSide = 8192;
constexpr long long kMaxImageBytes = 64LL * 1024 * 1024;

// Decodes the file at `fileName` (a file-system path, UTF-8). Empty result
// when the file is missing, unreadable or not an image. Only PNG and JPEG are
// decoded, and only within kMaxImageSide and kMaxImageBytes (checked from the
// header before anything is allocated); a file refused for either prints a
// line naming it and the limit.
ImageData DecodeImageFile(const std::string& fileName);
// Decodes an image file held in memory (for example the unscrambled bytes of
// a scrambled image), under the same rules; `name` stands for the file in the
// printed line. Empty result for bytes that do not decode.
ImageData DecodeImageMemory(const std::uint8_t* bytes, std::size_t length, const std::string& name = "image in memory");

using ImageDataLoader = std::function<ImageData(StringView path)>;
// Installs the loader behind LoadImageData; an empty function restores the
// default one.
void SetImageDataLoader(ImageDataLoader loader);
// Loads the image at a game path through the installed loader.
ImageData LoadImageData(StringView path);
