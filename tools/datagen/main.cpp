// main.cpp — the data generator: orbel_datagen ASSETS_DIR DATA_DIR PREVIEW_DIR
// Turns the readable sources under assets/ into the files the game reads.
#include <cstdio>
#include <filesystem>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: orbel_datagen ASSETS_DIR DATA_DIR [PREVIEW_DIR]\n");
        return 2;
    }
    std::filesystem::create_directories(argv[2]);
    return 0;
}
