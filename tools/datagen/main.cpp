// main.cpp — the data generator: orbel_datagen ASSETS_DIR DATA_DIR [PREVIEW_DIR]
// Turns the readable sources under assets/ into the files the game reads.
// The output is deterministic: the same bytes on every run and machine.
#include <cstdio>
#include <filesystem>

#include "datagen/generators.h"

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    if (argc < 3) {
        std::fprintf(stderr, "usage: orbel_datagen ASSETS_DIR DATA_DIR [PREVIEW_DIR]\n");
        return 2;
    }
    fs::path assets = argv[1], data = argv[2];
    fs::path preview = argc > 3 ? fs::path(argv[3]) : data.parent_path() / "preview";
    fs::create_directories(data);
    fs::create_directories(preview);
    bool ok = datagen::GenerateImages(assets, data, preview);
    ok = datagen::GenerateAudio(assets, data, preview) && ok;
    ok = datagen::GenerateLevels(assets, data, preview) && ok;
    return ok ? 0 : 1;
}
