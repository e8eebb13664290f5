// preview.cpp — renders a level's worlds into one picture.
#include "datagen/levels/preview.h"

#include <string>
#include <vector>

#include "datagen/levels/editor_art.h"
#include "datagen/levels/object_sets.h"
#include "datagen/levels/tile_table.h"
#include "datagen/levels/tmx_writer.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#include "stb_easy_font.h"
#pragma GCC diagnostic pop

namespace datagen {

namespace {

constexpr int kMargin = 8;
constexpr int kTitleHeight = 14;
constexpr int kGap = 24;  // between the worlds, holds the column ruler

// The skies of the two worlds' backgrounds.
constexpr Rgba kSky1{187, 218, 232, 255};
constexpr Rgba kSky2{251, 236, 163, 255};

void Text(Canvas& r, int x, int y, const std::string& text, Rgba c) {
    static char buffer[60000];
    std::string copy = text;
    unsigned char colour[4] = {c.r, c.g, c.b, c.a};
    int quads = stb_easy_font_print(0, 0, copy.data(), colour, buffer, sizeof buffer);
    for (int q = 0; q < quads; ++q) {
        const float* v = reinterpret_cast<const float*>(buffer + q * 64);
        // Vertices are (x, y, z, colour) records of 16 bytes; corners 0 and 2 span the quad.
        int x0 = static_cast<int>(v[0]), y0 = static_cast<int>(v[1]);
        int x1 = static_cast<int>(v[8]), y1 = static_cast<int>(v[9]);
        r.BlendRect(x + x0, y + y0, x1 - x0, y1 - y0, c);
    }
}

int TextWidth(const std::string& text) {
    std::string copy = text;
    return stb_easy_font_width(copy.data());
}

// A message as the game will break it.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            out.emplace_back();
            ++i;
        } else {
            out.back() += text[i];
        }
    }
    return out;
}

void Caption(Canvas& r, int cx, int bottom, const std::string& text, Rgba colour) {
    auto lines = Lines(text);
    int y = bottom - static_cast<int>(lines.size()) * 8;
    int width = 0;
    for (auto& l : lines) width = std::max(width, TextWidth(l));
    r.BlendRect(cx - width / 2 - 2, y - 2, width + 4, static_cast<int>(lines.size()) * 8 + 2, Rgba{0, 0, 0, 150});
    for (auto& l : lines) {
        Text(r, cx - TextWidth(l) / 2, y, l, colour);
        y += 8;
    }
}

void TileLayer(Canvas& r, const Canvas& tiles, const LevelSource& level, const std::vector<int>& cells, int ox,
               int oy) {
    for (int row = 0; row < level.height; ++row)
        for (int col = 0; col < level.width; ++col) {
            int t = cells[static_cast<std::size_t>(row) * level.width + col];
            if (t < 0) continue;
            r.Blit(tiles.Crop((t % tiles::kColumns) * tiles::kSize, (t / tiles::kColumns) * tiles::kSize, tiles::kSize,
                              tiles::kSize),
                   ox + col * tiles::kSize, oy + row * tiles::kSize);
        }
}

void Objects(Canvas& r, const std::vector<Canvas>& sets, const LevelSource& level, int world, bool scenery, int ox,
             int oy) {
    for (const PlacedObject& obj : level.objects) {
        if (obj.world != world || IsScenery(obj.kind) != scenery) continue;
        ObjectTile tile = ObjectTileOf(obj);
        const ObjectSetInfo& set = kObjectSets[tile.set];
        ObjectPlace p = PlaceOf(obj);
        const int x = ox + p.centreX, bottom = oy + p.bottomY;
        // The sizes the game's sprites have, so fits can be judged here.
        auto body = [&](int w, int h, int shiftX, Rgba c) { r.BlendFrame(x + shiftX - w / 2, bottom - h, w, h, c); };
        auto icon = [&](int centreY) {
            r.Blit(sets[tile.set].Crop(tile.frame * set.tileWidth, 0, set.tileWidth, set.tileHeight),
                   x - set.tileWidth / 2, centreY - set.tileHeight / 2);
        };
        switch (obj.kind) {
            case ObjectKind::Spawn:  // the characters, drawn once both worlds are
                break;
            case ObjectKind::Box: icon(bottom - 8); break;
            case ObjectKind::Breakable:  // its box sits 2 px left of the sprite's centre
                r.Blit(sets[0].Crop(tile.frame * 16, 0, 16, 16), x - 10, bottom - 16);
                break;
            case ObjectKind::Key:
                body(19, 17, 0, Rgba{250, 206, 40, 255});
                icon(bottom - 8);
                if (!obj.text.empty()) Caption(r, x, bottom - 20, obj.text, Rgba{255, 230, 120, 255});
                break;
            case ObjectKind::ExitDoor:
            case ObjectKind::LevelDoor:
                r.BlendRect(x - 14, bottom - 44, 28, 44,
                            obj.kind == ObjectKind::ExitDoor ? Rgba{170, 50, 40, 220} : Rgba{50, 90, 190, 220});
                r.BlendFrame(x - 14, bottom - 44, 28, 44, Rgba{30, 22, 18, 255});
                icon(bottom - 30);
                if (obj.kind == ObjectKind::LevelDoor)
                    Caption(r, x, bottom - 46, "Level " + std::to_string(obj.level), Rgba{255, 255, 255, 255});
                break;
            case ObjectKind::Sign:
            case ObjectKind::Dialog:
            case ObjectKind::Trigger: {
                // Markers: the game puts them 12.5 px above the given bottom;
                // the frame shows how near the character must come.
                int cy = bottom - 12;
                r.BlendFrame(x - 38, cy - 48, 76, 96, Rgba{120, 40, 160, 70});
                icon(cy);
                if (!obj.text.empty())
                    Caption(r, x, cy - 9, obj.text,
                            obj.kind == ObjectKind::Sign ? Rgba{255, 255, 255, 255} : Rgba{170, 255, 170, 255});
                break;
            }
            default: icon(bottom - set.tileHeight / 2); break;
        }
    }
}

}  // namespace

Canvas RenderPreview(const LevelSource& level, const Canvas& tiles, const Canvas& altTiles) {
    const int mapW = level.width * tiles::kSize, mapH = level.height * tiles::kSize;
    const int worlds = level.HasWorld2() ? 2 : 1;
    Canvas r(mapW + 2 * kMargin, kTitleHeight + worlds * mapH + kGap + 2 * kMargin, Rgba{40, 40, 48, 255},
             BlendRounding::Down);
    std::vector<Canvas> sets;
    for (std::size_t i = 0; i < kObjectSets.size(); ++i) sets.push_back(MakeObjectSetImage(static_cast<int>(i)));

    std::string title = level.name + "  \"" + level.title + "\"  mode " + std::to_string(level.gameMode) +
                        (level.forcedSync ? "  forced sync" : "") +
                        (level.weather.empty() ? "" : "  " + level.weather) + "  " + std::to_string(level.width) +
                        " x " + std::to_string(level.height) + " tiles";
    Text(r, kMargin, kMargin, title, Rgba{255, 255, 255, 255});

    for (int world = 1; world <= worlds; ++world) {
        const int ox = kMargin, oy = kMargin + kTitleHeight + (world - 1) * (mapH + kGap);
        r.BlendRect(ox, oy, mapW, mapH, world == 1 ? kSky1 : kSky2);
        WorldTiles t = BuildWorldTiles(level, world);
        const Canvas& img = world == 1 ? tiles : altTiles;
        TileLayer(r, img, level, t.base, ox, oy);
        Objects(r, sets, level, world, true, ox, oy);
        TileLayer(r, img, level, t.solid, ox, oy);
        Objects(r, sets, level, world, false, ox, oy);
        TileLayer(r, img, level, t.front, ox, oy);
        if (world == 2) continue;
        // Column ruler: a tick per 5 columns, a number per 10.
        for (int c = 0; c <= level.width; c += 5) {
            int x = ox + c * tiles::kSize, y = oy + mapH;
            r.BlendRect(x, y, 1, c % 10 ? 4 : 8, Rgba{255, 255, 255, 255});
            if (c % 10 == 0) Text(r, x + 2, y + 10, std::to_string(c), Rgba{255, 255, 255, 255});
        }
    }
    // Both characters start at the spawn point, each in its own world.
    for (const PlacedObject& obj : level.objects) {
        if (obj.kind != ObjectKind::Spawn) continue;
        ObjectPlace p = PlaceOf(obj);
        for (int world = 1; world <= worlds; ++world) {
            const int x = kMargin + p.centreX, feet = kMargin + kTitleHeight + (world - 1) * (mapH + kGap) + p.bottomY;
            r.BlendRect(x - 8, feet - 25, 16, 25, world == 1 ? Rgba{60, 90, 220, 220} : Rgba{220, 70, 150, 220});
            r.BlendRect(x - 3, feet - 21, 6, 3, Rgba{255, 255, 255, 255});
        }
    }
    return r;
}

}  // namespace datagen
