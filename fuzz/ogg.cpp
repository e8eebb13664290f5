// ogg.cpp — fuzz target: the Ogg Vorbis reader the sound loader uses, from
// the file's bytes to 16-bit frames.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "fuzz/fuzz_support.h"
#include "host/audio_data.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;  // fmemopen takes no empty buffer
    fuzz::Session session;
    std::FILE* file = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
    if (!file) return 0;
    try {
        if (auto audio = DecodeAudioFile(file, u"music.ogg")) {
            const std::size_t frameBytes = static_cast<std::size_t>(audio->channelCount) * audio->bytesPerSample;
            if (audio->length < 0 || audio->data.size() < static_cast<std::size_t>(audio->length) * frameBytes)
                __builtin_trap();
        }
    } catch (const fuzz::Refused&) {}
    std::fclose(file);
    return 0;
}
