// png.h — PNG bytes to and from a canvas, for every part of the generator
// that writes or reads pictures. The encoder's settings are fixed, so the same
// pixels always give the same file.
#pragma once

#include <filesystem>
#include <string>

#include "datagen/common/canvas.h"

namespace datagen {

// PNG bytes of the canvas (RGBA, fixed compression settings).
std::string EncodePng(const Canvas& canvas);
// The picture in PNG (or any format stb reads) bytes; an empty canvas when
// they do not decode.
Canvas DecodePng(const std::string& bytes);
// Writes EncodePng(canvas) to the file; false when it cannot.
bool WritePng(const Canvas& canvas, const std::filesystem::path& path);

}  // namespace datagen
