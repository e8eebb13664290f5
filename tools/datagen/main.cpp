// main.cpp — the data generator: orbel_datagen ASSETS_DIR DATA_DIR [PREVIEW_DIR]
// (or orbel_datagen --fixtures SOURCE_DIR OUT_DIR PREVIEW_DIR for test maps,
// orbel_datagen --icons ASSETS_DIR OUT_DIR for the desktop icons).
// Turns the readable sources under assets/ into the files the game reads.
// The output is deterministic: the same bytes on every run and machine.
// ORBEL_DATAGEN_ONLY=audio (or images, levels; comma-separated) runs only
// those parts, for tests that check one part's output.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "datagen/generators.h"

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    if (argc < 3) {
        std::fprintf(stderr, "usage: orbel_datagen ASSETS_DIR DATA_DIR [PREVIEW_DIR]\n");
        return 2;
    }
    if (std::strcmp(argv[1], "--fixtures") == 0) {
        if (argc < 5) {
            std::fprintf(stderr, "usage: orbel_datagen --fixtures SOURCE_DIR OUT_DIR PREVIEW_DIR\n");
            return 2;
        }
        return datagen::GenerateLevelFixtures(argv[2], argv[3], argv[4]) ? 0 : 1;
    }
    if (std::strcmp(argv[1], "--icons") == 0) {
        if (argc < 4) {
            std::fprintf(stderr, "usage: orbel_datagen --icons ASSETS_DIR OUT_DIR\n");
            return 2;
        }
        return datagen::GenerateIcons(argv[2], argv[3]) ? 0 : 1;
    }
    fs::path assets = argv[1], data = argv[2];
    fs::path preview = argc > 3 ? fs::path(argv[3]) : data.parent_path() / "preview";
    fs::create_directories(data);
    fs::create_directories(preview);
    const char* only = std::getenv("ORBEL_DATAGEN_ONLY");
    auto wanted = [only](const char* part) { return only == nullptr || std::strstr(only, part) != nullptr; };
    bool ok = true;
    if (wanted("images")) ok = datagen::GenerateImages(assets, data, preview) && ok;
    if (wanted("audio")) ok = datagen::GenerateAudio(assets, data, preview) && ok;
    if (wanted("levels")) ok = datagen::GenerateLevels(assets, data, preview) && ok;
    return ok ? 0 : 1;
}
