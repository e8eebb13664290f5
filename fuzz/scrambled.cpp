// scrambled.cpp — fuzz target: the scrambled data files (header, check byte,
// payload) as the game reads them from disk, and the picture inside, as a
// scrambled image becomes a texture.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "fuzz/fuzz_support.h"
#include "graphics/graphics_context.h"
#include "host/image_data.h"
#include "host/streams.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Session session;
    const std::string path = fuzz::WriteTempFile("scrambled.imx", fuzz::Bytes(data, size));
    try {
        if (Ref<c_DataBuffer> plain = LoadScrambled(FromUtf8(path))) {
            if (plain->Length() < 0) __builtin_trap();
            if (plain->Length() > 0) {
                if (Ref<c_Image> image = LoadImageFromMemory(plain->Data(), static_cast<std::size_t>(plain->Length())))
                    image->Discard();
            }
        }
    } catch (const fuzz::Refused&) {}
    std::remove(path.c_str());
    return 0;
}
