// state_file.cpp — fuzz target: the files the game keeps between runs, read
// back: the state file through the game's text loader (byte-order marks,
// UTF-16, UTF-8 with invalid stretches) and the settings file's lines.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "fuzz/fuzz_support.h"
#include "host/files.h"
#include "host/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Session session;
    const std::string path = fuzz::WriteTempFile("state", fuzz::Bytes(data, size));
    try {
        const String state = LoadString(FromUtf8(path));
        if (size > 0 && state.empty() && LastTextDecodingError().empty() && data[0] != 0xFE && data[0] != 0xFF &&
            data[0] != 0xEF)
            __builtin_trap();  // text that decodes to nothing without an error or a marker
        const GameSettings settings = ParseSettings(std::string(fuzz::Bytes(data, size)));
        if (settings.windowWidth < 160 || settings.windowWidth > 16384 || settings.windowHeight < 160 ||
            settings.windowHeight > 16384)
            __builtin_trap();
    } catch (const fuzz::Refused&) {}
    std::remove(path.c_str());
    return 0;
}
