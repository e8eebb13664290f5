// levels.cpp — the level part of the data generator.
//
// assets/levels/levelN.txt      -> data/levelN.tmx (the game's map),
//                                  data/editor/levelN.tmx (the same map for the
//                                  Tiled editor) and preview/levelN.png
// editor pictures               -> data/editor/*.png
// assets/text/trans_desktop.txt -> data/trans_desktop.txt
//
// Runs after the image generator, so the game's art is there to show.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>

#include "datagen/common/png.h"
#include "datagen/generators.h"
#include "datagen/levels/editor_art.h"
#include "datagen/levels/level_source.h"
#include "datagen/levels/object_sets.h"
#include "datagen/levels/preview.h"
#include "datagen/levels/tile_table.h"
#include "datagen/levels/tmx_writer.h"
#include "host/scramble.h"

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

bool WritePicture(const Canvas& r, const fs::path& path) {
    if (WritePng(r, path)) return true;
    std::fprintf(stderr, "levels: cannot write %s\n", path.string().c_str());
    return false;
}

// A picture of the game's art: the scrambled file the game reads, decoded.
// Empty when the art is not there (or does not decode).
Canvas GameImage(const fs::path& data, const std::string& stem, std::string* plainPng = nullptr) {
    std::string scrambled;
    if (!ReadFile(data / (stem + ".imx"), scrambled)) return {};
    auto plain = UnscrambleFile(scrambled);
    if (!plain) return {};
    if (plainPng) *plainPng = *plain;
    return DecodePng(*plain);
}

// Where the game's own pictures of the scenery and the boxes exist, the
// editor shows them instead of the icons.
void UseGameArt(const fs::path& data, int set, Canvas& image) {
    const ObjectSetInfo& info = kObjectSets[static_cast<std::size_t>(set)];
    // Draws frame `frame` (cut w x h from the left) standing on the bottom of
    // cell `cell`, centred, after clearing the cell.
    auto place = [&](const Canvas& art, int cell, int sx, int sy, int w, int h) {
        if (art.Width() == 0) return;
        const int x0 = cell * info.tileWidth;
        for (int y = 0; y < info.tileHeight; ++y)
            for (int x = 0; x < info.tileWidth; ++x) image.Set(x0 + x, y, Rgba{});
        image.Blit(art.Crop(sx, sy, w, h), x0 + (info.tileWidth - w) / 2, info.tileHeight - h);
    };
    switch (set) {
        case 0:
            place(GameImage(data, "box"), static_cast<int>(ObjectKind::Box), 0, 0, 16, 16);
            // The breakable box's first frame has the box at columns 29-44, rows 7-22.
            place(GameImage(data, "box_break"), static_cast<int>(ObjectKind::Breakable), 29, 7, 16, 16);
            break;
        case 1: place(GameImage(data, "flower_1"), 0, 0, 0, 9, 10); break;
        case 2:
            place(GameImage(data, "waterfall_top"), 0, 0, 0, 16, 16);
            place(GameImage(data, "waterfall_body"), 1, 0, 0, 16, 16);
            place(GameImage(data, "waterfall_bottom"), 2, 0, 0, 16, 16);
            break;
        default:
            for (int i = 0; i < info.count; ++i) {
                Canvas tree = GameImage(data, "tree" + std::to_string(i + 1));
                if (tree.Width() <= info.tileWidth && tree.Height() <= info.tileHeight)
                    place(tree, i, 0, 0, tree.Width(), tree.Height());
            }
            break;
    }
}

}  // namespace

bool GenerateLevels(const fs::path& assets, const fs::path& data, const fs::path& preview) {
    bool ok = true;
    std::error_code ec;
    const fs::path editor = data / "editor";
    fs::create_directories(editor, ec);
    // Older versions of this generator put the editor's tile image beside the
    // game's files; plain pictures belong in data/editor only.
    fs::remove(data / std::string(tiles::kImage), ec);

    // The editor's pictures: object set icons (or the game's art where it
    // exists) and a plain copy of the tile image, which the game itself only
    // has scrambled.
    for (std::size_t i = 0; i < kObjectSets.size(); ++i) {
        Canvas image = MakeObjectSetImage(static_cast<int>(i));
        UseGameArt(data, static_cast<int>(i), image);
        ok = WritePicture(image, editor / kObjectSets[i].image) && ok;
    }
    const std::string tileStem(tiles::kImage.substr(0, tiles::kImage.rfind('.')));
    std::string tilePng;
    Canvas tiles = GameImage(data, tileStem, &tilePng), altTiles = GameImage(data, "alt_" + tileStem);
    if (tiles.Width() == 0) tiles = MakeStandInTiles(false);
    if (altTiles.Width() == 0) altTiles = MakeStandInTiles(true);
    ok = (tilePng.empty() ? WritePicture(tiles, editor / std::string(tiles::kImage))
                          : WriteFile(editor / std::string(tiles::kImage), tilePng)) &&
         ok;

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
            std::fprintf(stderr, "levels: %s\n",
                         error.empty() ? ("cannot read " + path.string()).c_str() : error.c_str());
            ok = false;
            continue;
        }
        const std::string source = "assets/levels/" + level.name + ".txt";
        if (!WriteFile(
                data / (level.name + ".tmx"),
                WriteTmx(level, GameMapImages(), "Generated from " + source + "; edit that file, not this one.")) ||
            !WriteFile(editor / (level.name + ".tmx"), WriteTmx(level, EditorMapImages(),
                                                                "Editor view of ../" + level.name +
                                                                    ".tmx, beside a plain copy of its tile image. "
                                                                    "Generated from " +
                                                                    source + "."))) {
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
