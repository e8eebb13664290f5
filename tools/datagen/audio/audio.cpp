// audio.cpp — placeholder until this part of the generator is written.
#include "datagen/generators.h"

namespace datagen {
bool GenerateAudio(const fs::path&, const fs::path&, const fs::path&) { return true; }
}  // namespace datagen
