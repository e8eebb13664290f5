// fixtures.cpp — small test maps written in the level format, compiled into
// a folder of their own so that tests can play them in place of a level
// without touching the game's data.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "datagen/common/png.h"
#include "datagen/generators.h"
#include "datagen/levels/editor_art.h"
#include "datagen/levels/level_source.h"
#include "datagen/levels/preview.h"
#include "datagen/levels/tmx_writer.h"

namespace datagen {

bool GenerateLevelFixtures(const fs::path& sources, const fs::path& out, const fs::path& preview) {
    std::error_code ec;
    fs::create_directories(out, ec);
    fs::create_directories(preview, ec);
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(sources, ec))
        if (entry.is_regular_file() && entry.path().extension() == ".txt") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    if (files.empty()) {
        std::fprintf(stderr, "fixtures: no level sources in %s\n", sources.string().c_str());
        return false;
    }
    const Canvas tiles = MakeStandInTiles(false), altTiles = MakeStandInTiles(true);
    bool ok = true;
    for (const fs::path& path : files) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        LevelSource level;
        std::string error;
        if (!in || !ParseLevelSource(text.str(), path.string(), level, error)) {
            std::fprintf(stderr, "fixtures: %s\n",
                         error.empty() ? ("cannot read " + path.string()).c_str() : error.c_str());
            ok = false;
            continue;
        }
        std::ofstream tmx(out / (level.name + ".tmx"), std::ios::binary);
        tmx << WriteTmx(level, GameMapImages(), "Test map generated from " + path.filename().string() + ".");
        if (!tmx) {
            std::fprintf(stderr, "fixtures: cannot write %s.tmx\n", level.name.c_str());
            ok = false;
        }
        if (!WritePng(RenderPreview(level, tiles, altTiles), preview / (level.name + ".png"))) ok = false;
    }
    return ok;
}

}  // namespace datagen
