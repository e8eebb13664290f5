// images.cpp — placeholder until this part of the generator is written.
#include "datagen/generators.h"

namespace datagen {
bool GenerateImages(const fs::path&, const fs::path&, const fs::path&) { return true; }
}  // namespace datagen
