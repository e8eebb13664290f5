// fuzz_support.h — what the fuzz targets share: a session per input in which
// a runtime error unwinds to the target instead of ending the process, GL
// calls go to the recorder, a graphics device exists and every picture a
// loader asks for is a small generated one (no files, so each input is judged
// on its own bytes). The targets are built two ways: with libFuzzer (fuzz/,
// ORBEL_FUZZ=ON) and into the test program, which replays every corpus file
// through the same entry points.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "host/text.h"

namespace fuzz {

// The trap's exception: the input was refused with a runtime error, which is
// the game's answer to damaged data, not a finding.
struct Refused {
    std::string message;
};

// Image paths containing this never load, so inputs can reach the loaders'
// "missing picture" answers.
inline constexpr char16_t kMissingImage[] = u"missing";

// One input's surroundings; everything is put back when it goes.
class Session {
public:
    Session();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Draws between the frame bracket of the recorder's device.
    void BeginFrame();
    void EndFrame();

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

inline std::string_view Bytes(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}
// The input as the game decodes a text file.
String Text(const std::uint8_t* data, std::size_t size);

// Writes the input to a file of this process's own (for readers that take a
// path); returns its path.
std::string WriteTempFile(std::string_view name, std::string_view bytes);

}  // namespace fuzz
