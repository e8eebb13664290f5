// progress.cpp — fuzz target: the level-progress record (Base64 of the
// enciphered "progress|check" text) as it is read from the state file's text.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_support.h"
#include "host/progress.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Session session;
    try {
        const int progress = ProgressFromState(fuzz::Text(data, size));
        if (progress < 0 || progress > kMaxProgress) __builtin_trap();
        // Whatever decodes, encodes back to the same record.
        const String decoded = Base64ToString(fuzz::Text(data, size));
        if (!decoded.empty() && Base64ToString(StringToBase64(decoded)) != decoded) __builtin_trap();
    } catch (const fuzz::Refused&) {}
    return 0;
}
