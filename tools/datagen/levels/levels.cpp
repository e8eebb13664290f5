// levels.cpp — the level part of the data generator.
//
// assets/levels/levelN.txt  -> data/levelN.tmx and preview/levelN.png
// object set icons          -> data/editor/*.png (for the Tiled editor)
// assets/text/trans_desktop.txt -> data/trans_desktop.txt
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>

#include "datagen/generators.h"
#include "datagen/levels/editor_art.h"
#include "datagen/levels/level_source.h"
#include "datagen/levels/object_sets.h"
#include "datagen/levels/preview.h"
#include "datagen/levels/tile_table.h"
#include "datagen/levels/tmx_writer.h"

namespace datagen {

namespace {

bool ReadFile(const fs::path& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    out = s.str();
    return true;
}

bool WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    return static_cast<bool>(out);
}

bool WritePicture(const Raster& r, const fs::path& path) {
    if (r.WritePng(path)) return true;
    std::fprintf(stderr, "levels: cannot write %s\n", path.string().c_str());
    return false;
}

// The tile images as the editor and the previews see them. The game reads the
// art engineer's scrambled images; the editor needs a plain PNG beside the
// maps, so a stand-in with the same frame layout is written when none exists.
void TileImages(const fs::path& data, Raster& tiles, Raster& altTiles, bool& ok) {
    tiles = MakeStandInTiles(false);
    altTiles = MakeStandInTiles(true);
    ok = WritePicture(tiles, data / std::string(tiles::kImage)) && ok;
}

}  // namespace

bool GenerateLevels(const fs::path& assets, const fs::path& data, const fs::path& preview) {
    bool ok = true;
    std::error_code ec;
    fs::create_directories(data / "editor", ec);

    for (std::size_t i = 0; i < kObjectSets.size(); ++i)
        ok = WritePicture(MakeObjectSetImage(static_cast<int>(i)), data / kObjectSets[i].image) && ok;
    Raster tiles, altTiles;
    TileImages(data, tiles, altTiles, ok);

    // Levels, in name order so messages come out the same every run.
    std::vector<fs::path> sources;
    const std::regex levelName("level[0-9]+\\.txt");
    for (const auto& entry : fs::directory_iterator(assets / "levels", ec))
        if (entry.is_regular_file() && std::regex_match(entry.path().filename().string(), levelName))
            sources.push_back(entry.path());
    std::sort(sources.begin(), sources.end());
    if (sources.empty()) {
        std::fprintf(stderr, "levels: no level sources in %s\n", (assets / "levels").string().c_str());
        ok = false;
    }
    for (const fs::path& path : sources) {
        std::string text, error;
        LevelSource level;
        if (!ReadFile(path, text) || !ParseLevelSource(text, path.string(), level, error)) {
            std::fprintf(stderr, "levels: %s\n", error.empty() ? ("cannot read " + path.string()).c_str() : error.c_str());
            ok = false;
            continue;
        }
        if (!WriteFile(data / (level.name + ".tmx"), WriteTmx(level))) {
            std::fprintf(stderr, "levels: cannot write %s.tmx\n", level.name.c_str());
            ok = false;
        }
        ok = WritePicture(RenderPreview(level, tiles, altTiles), preview / (level.name + ".png")) && ok;
    }

    std::string table;
    if (!ReadFile(assets / "text" / "trans_desktop.txt", table) || !WriteFile(data / "trans_desktop.txt", table)) {
        std::fprintf(stderr, "levels: cannot copy assets/text/trans_desktop.txt\n");
        ok = false;
    }
    return ok;
}

}  // namespace datagen
