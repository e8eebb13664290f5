// image.cpp — fuzz target: image decoding (PNG and JPEG within the size
// limits) and the upload of what decodes into the renderer's images, cut
// into frames as sprite sheets are.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "graphics/graphics_context.h"
#include "graphics/image.h"
#include "host/image_data.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Session session;
    try {
        ImageData decoded = DecodeImageMemory(data, size, "fuzz input");
        if (decoded && (decoded.width <= 0 || decoded.height <= 0 || decoded.width > kMaxImageSide ||
                        decoded.height > kMaxImageSide || static_cast<long long>(decoded.ByteSize()) > kMaxImageBytes))
            __builtin_trap();
        // The renderer's own path from bytes, with a frame count the input
        // chooses (sheets are cut into equal frames side by side).
        const int frames = size > 0 ? 1 + data[size - 1] % 4 : 1;
        if (Ref<c_Image> image = LoadImageFromMemory(data, size, frames)) {
            session.BeginFrame();
            for (int frame = 0; frame < image->Frames(); ++frame) DrawImage(image.get(), 0, 0, frame);
            session.EndFrame();
            image->Discard();
        }
    } catch (const fuzz::Refused&) {}
    return 0;
}
