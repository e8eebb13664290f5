// generators.h — the data generator's parts. Each writes its files under
// `data` (the game's data folder) and may write review pictures under
// `preview`. Each returns false after printing what went wrong.
#pragma once

#include <filesystem>

namespace datagen {
namespace fs = std::filesystem;

// Images and fonts (assets/images, assets/fonts).
bool GenerateImages(const fs::path& assets, const fs::path& data, const fs::path& preview);
// Sound effects and music (assets/sound).
bool GenerateAudio(const fs::path& assets, const fs::path& data, const fs::path& preview);
// Level maps and the translation table (assets/levels, assets/text).
bool GenerateLevels(const fs::path& assets, const fs::path& data, const fs::path& preview);
// The program's icons for desktop menus, plain PNG in the hicolor theme's
// layout: out/hicolor/NxN/apps/orbel.png for N in 16 32 48 64 128 256.
bool GenerateIcons(const fs::path& assets, const fs::path& out);
// Test maps: every *.txt in `sources`, in the level format, to out/<name>.tmx.
bool GenerateLevelFixtures(const fs::path& sources, const fs::path& out, const fs::path& preview);
}  // namespace datagen
