// editor_art.cpp — icons for the object sets and the stand-in tile image.
// Simple shapes in strong colours: they have to be told apart at a glance in
// the editor and in the previews, not to look like the game.
#include "datagen/levels/editor_art.h"

#include <cstdlib>
#include <string>
#include <vector>

#include "datagen/levels/object_sets.h"
#include "datagen/levels/tile_table.h"

namespace datagen {

namespace {

constexpr Rgba kOutline{30, 22, 18, 255};
constexpr Rgba kWood{176, 112, 56, 255};
constexpr Rgba kWoodDark{112, 66, 30, 255};
constexpr Rgba kGold{250, 206, 40, 255};
constexpr Rgba kWhite{250, 250, 250, 255};
constexpr Rgba kGreen{70, 170, 60, 255};
constexpr Rgba kGreenDark{36, 110, 40, 255};
constexpr Rgba kRed{220, 60, 60, 255};
constexpr Rgba kBlue{70, 140, 230, 255};
constexpr Rgba kBlueLight{170, 215, 250, 255};
constexpr Rgba kPurple{150, 80, 200, 255};

void FillCircle(Canvas& r, int cx, int cy, int radius, Rgba c) {
    for (int y = -radius; y <= radius; ++y)
        for (int x = -radius; x <= radius; ++x)
            if (x * x + y * y <= radius * radius + radius / 2) r.Blend(cx + x, cy + y, c);
}

// Draws a picture given as rows of characters: the character at `keys[k]`
// takes `colours[k]`; characters not in `keys` stay transparent.
void DrawArt(Canvas& r, const std::vector<std::string>& rows, const std::string& keys, const std::vector<Rgba>& colours,
             int dx, int dy) {
    for (std::size_t j = 0; j < rows.size(); ++j)
        for (std::size_t i = 0; i < rows[j].size(); ++i) {
            const std::size_t k = keys.find(rows[j][i]);
            if (k != std::string::npos && k < colours.size())
                r.Blend(dx + static_cast<int>(i), dy + static_cast<int>(j), colours[k]);
        }
}

void Line(Canvas& r, int x0, int y0, int x1, int y1, Rgba c) {
    int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0), sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1, err = dx + dy;
    for (;;) {
        r.Blend(x0, y0, c);
        if (x0 == x1 && y0 == y1) break;
        int e2 = 2 * err;
        if (e2 >= dy) err += dy, x0 += sx;
        if (e2 <= dx) err += dx, y0 += sy;
    }
}

// ---- object icons (16 x 16 frames, x0 = the frame's left edge) ----------------

void Crate(Canvas& r, int x0, Rgba face, bool cracked) {
    r.BlendRect(x0, 0, 16, 16, face);
    r.BlendFrame(x0, 0, 16, 16, kOutline);
    r.BlendFrame(x0 + 2, 2, 12, 12, kWoodDark);
    Line(r, x0 + 2, 2, x0 + 13, 13, kWoodDark);
    if (!cracked) {
        Line(r, x0 + 13, 2, x0 + 2, 13, kWoodDark);
        return;
    }
    Line(r, x0 + 8, 0, x0 + 6, 5, kOutline);
    Line(r, x0 + 6, 5, x0 + 9, 9, kOutline);
    Line(r, x0 + 15, 10, x0 + 11, 12, kOutline);
}

void Door(Canvas& r, int x0, Rgba face, bool numbered) {
    r.BlendRect(x0 + 2, 2, 12, 14, face);
    r.BlendRect(x0 + 4, 1, 8, 1, face);
    r.BlendFrame(x0 + 2, 2, 12, 14, kOutline);
    r.BlendRect(x0 + 4, 0, 8, 1, kOutline);
    r.Blend(x0 + 3, 1, kOutline);
    r.Blend(x0 + 12, 1, kOutline);
    r.BlendRect(x0 + 10, 9, 2, 2, kGold);
    if (numbered) {  // a "#" plate: the door leads to a numbered level
        r.BlendRect(x0 + 5, 4, 6, 4, kWhite);
        r.BlendRect(x0 + 6, 5, 1, 2, kOutline);
        r.BlendRect(x0 + 9, 5, 1, 2, kOutline);
    }
}

void ObjectIcon(Canvas& r, ObjectKind kind, int x0) {
    static const std::vector<std::string> kSpawn = {
        "................", "...kk...........", "...kgggggg......", "...kgggggggg....",
        "...kgggggggggg..", "...kgggggggg....", "...kgggggg......", "...k............",
        "...k............", "...k............", "...k............", "...k............",
        "...k............", "...k............", "..kkk...........", ".kkkkk..........",
    };
    static const std::vector<std::string> kKey = {
        "................", "................", "................", "....yyyy........",
        "...yk..ky.......", "..yk....ky......", "..y......yyyyyyy", "..y......yyyyyyy",
        "..yk....ky..y.y.", "...yk..ky...y.y.", "....yyyy........", "................",
        "................", "................", "................", "................",
    };
    static const std::vector<std::string> kBubble = {
        "................", "..kkkkkkkkkkkk..", ".kwwwwwwwwwwwwk.", ".kwwwwwwwwwwwwk.",
        ".kwkkwkkkwkkwwk.", ".kwwwwwwwwwwwwk.", ".kwkkkwkkwkkkwk.", ".kwwwwwwwwwwwwk.",
        "..kkkkwwkkkkkk..", "......kwk.......", ".......kk.......", "................",
        "................", "................", "................", "................",
    };
    switch (kind) {
        case ObjectKind::Spawn: DrawArt(r, kSpawn, "kg", {kOutline, kGreen}, x0, 0); break;
        case ObjectKind::Box: Crate(r, x0, kWood, false); break;
        case ObjectKind::Key: DrawArt(r, kKey, "yk", {kGold, Rgba{150, 110, 10, 255}}, x0, 0); break;
        case ObjectKind::ExitDoor: Door(r, x0, Rgba{200, 60, 40, 255}, false); break;
        case ObjectKind::Breakable: Crate(r, x0, Rgba{214, 168, 110, 255}, true); break;
        case ObjectKind::Sign:
            r.BlendRect(x0 + 7, 8, 2, 8, kWoodDark);
            r.BlendRect(x0 + 1, 1, 14, 8, kWood);
            r.BlendFrame(x0 + 1, 1, 14, 8, kOutline);
            r.BlendRect(x0 + 3, 3, 10, 1, kOutline);
            r.BlendRect(x0 + 3, 6, 7, 1, kOutline);
            break;
        case ObjectKind::LevelDoor: Door(r, x0, kBlue, true); break;
        case ObjectKind::Dialog: DrawArt(r, kBubble, "kw", {kOutline, kWhite}, x0, 0); break;
        case ObjectKind::Trigger:
            for (int i = 0; i < 8; ++i) {  // a diamond with "!"
                r.BlendRect(x0 + 8 - i, 1 + i, 2 * i, 1, kPurple);
                r.BlendRect(x0 + 8 - i, 14 - i, 2 * i, 1, kPurple);
            }
            r.BlendRect(x0 + 7, 4, 2, 5, kWhite);
            r.BlendRect(x0 + 7, 10, 2, 2, kWhite);
            break;
        case ObjectKind::Flower:
            r.BlendRect(x0 + 7, 9, 2, 7, kGreenDark);
            r.BlendRect(x0 + 9, 12, 2, 1, kGreenDark);
            FillCircle(r, x0 + 8, 7, 3, kRed);
            r.BlendRect(x0 + 7, 6, 2, 2, kGold);
            break;
        case ObjectKind::WaterTop:
        case ObjectKind::WaterBody:
        case ObjectKind::WaterBottom:
            r.BlendRect(x0 + 2, 0, 12, 16, kBlue);
            for (int i = 0; i < 4; ++i) r.BlendRect(x0 + 3 + 3 * i, (i * 5) % 16, 1, 6, kBlueLight);
            if (kind == ObjectKind::WaterTop) r.BlendRect(x0 + 1, 0, 14, 3, kBlueLight);
            if (kind == ObjectKind::WaterBottom) {
                FillCircle(r, x0 + 4, 13, 3, kWhite);
                FillCircle(r, x0 + 11, 13, 3, kWhite);
            }
            break;
        case ObjectKind::Tree: break;  // drawn larger, see TreeIcon
    }
}

// Trees in their set's frames, standing on the frame's bottom edge.
void TreeIcon(Canvas& r, int variant, int x0) {
    const int w = kObjectSets[3].tileWidth, h = kObjectSets[3].tileHeight, cx = x0 + w / 2;
    const int trunk = variant == 4 ? h / 2 : h / 3;
    r.BlendRect(cx - 2, h - trunk, 4, trunk, kWoodDark);
    switch (variant) {
        case 1:  // round
            FillCircle(r, cx, h / 2 - 6, 14, kGreenDark);
            FillCircle(r, cx - 3, h / 2 - 9, 9, kGreen);
            break;
        case 2:  // pine
            for (int i = 0; i < h - 20; ++i)
                r.BlendRect(cx - i / 2 - 2, 4 + i, i + 4, 1, i % 12 < 9 ? kGreenDark : kGreen);
            break;
        case 3:  // low and wide
            FillCircle(r, cx - 7, h - 20, 8, kGreenDark);
            FillCircle(r, cx + 7, h - 20, 8, kGreenDark);
            FillCircle(r, cx, h - 27, 10, kGreen);
            break;
        default:  // tall and thin
            FillCircle(r, cx, 12, 9, kGreenDark);
            FillCircle(r, cx, 22, 7, kGreen);
            break;
    }
}

// ---- stand-in tiles -----------------------------------------------------------

struct Palette {
    Rgba earth, earthDark, grass, grassDark, stone, stoneDark, back;
};

// Sides of a terrain tile that join more terrain (the rest face open air).
constexpr int kUp = 1, kRight = 2, kDown = 4, kLeft = 8;

void TerrainTile(Canvas& r, int x0, int y0, int joined, const Palette& p, bool stone) {
    Rgba face = stone ? p.stone : p.earth, dark = stone ? p.stoneDark : p.earthDark;
    r.BlendRect(x0, y0, 16, 16, face);
    if (stone) {  // brick courses
        for (int y = 3; y < 16; y += 5) r.BlendRect(x0, y0 + y, 16, 1, dark);
        r.BlendRect(x0 + 7, y0, 1, 3, dark);
        r.BlendRect(x0 + 3, y0 + 4, 1, 4, dark);
        r.BlendRect(x0 + 11, y0 + 9, 1, 4, dark);
    } else {
        for (int i = 0; i < 5; ++i) r.BlendRect(x0 + (i * 7 + 3) % 14, y0 + (i * 5 + 4) % 14, 2, 1, dark);
    }
    if (!(joined & kLeft)) r.BlendRect(x0, y0, 1, 16, dark);
    if (!(joined & kRight)) r.BlendRect(x0 + 15, y0, 1, 16, dark);
    if (!(joined & kDown)) r.BlendRect(x0, y0 + 15, 16, 1, dark);
    if (!(joined & kUp)) {
        if (stone) {
            r.BlendRect(x0, y0, 16, 1, dark);
        } else {
            r.BlendRect(x0, y0, 16, 4, p.grass);
            for (int x = 0; x < 16; x += 3) r.Blend(x0 + x + 1, y0 + 4, p.grass);
            r.BlendRect(x0, y0, 16, 1, p.grassDark);
        }
    }
}

}  // namespace

Canvas MakeObjectSetImage(int set) {
    const ObjectSetInfo& info = kObjectSets[static_cast<std::size_t>(set)];
    Canvas r(info.count * info.tileWidth, info.tileHeight, kClear, BlendRounding::Down);
    for (int i = 0; i < info.count; ++i) {
        int x0 = i * info.tileWidth;
        switch (set) {
            case 0: ObjectIcon(r, static_cast<ObjectKind>(i), x0); break;
            case 1: ObjectIcon(r, ObjectKind::Flower, x0); break;
            case 2: ObjectIcon(r, static_cast<ObjectKind>(static_cast<int>(ObjectKind::WaterTop) + i), x0); break;
            default: TreeIcon(r, i + 1, x0); break;
        }
    }
    return r;
}

Canvas MakeStandInTiles(bool alt) {
    const Palette p = alt ? Palette{{214, 160, 96, 255},  {160, 106, 60, 255}, {226, 196, 80, 255}, {170, 140, 40, 255},
                                    {196, 170, 140, 255}, {140, 116, 90, 255}, {150, 100, 64, 255}}
                          : Palette{{134, 90, 54, 255},   {92, 58, 34, 255},  {96, 186, 70, 255}, {50, 128, 44, 255},
                                    {150, 150, 164, 255}, {96, 96, 112, 255}, {84, 70, 70, 255}};
    const int rows = (tiles::kCount + tiles::kColumns - 1) / tiles::kColumns;
    Canvas r(tiles::kColumns * tiles::kSize, rows * tiles::kSize, kClear, BlendRounding::Down);
    auto at = [&](int frame, auto&& draw) {
        draw((frame % tiles::kColumns) * tiles::kSize, (frame / tiles::kColumns) * tiles::kSize);
    };
    const int all = kUp | kRight | kDown | kLeft;
    const struct {
        int frame, joined;
    } earth[] = {
        {tiles::kTopLeft, kRight | kDown},
        {tiles::kTop, kRight | kDown | kLeft},
        {tiles::kTopRight, kDown | kLeft},
        {tiles::kColumnTop, kDown},
        {tiles::kWallLeft, all & ~kLeft},
        {tiles::kFill, all},
        {tiles::kWallRight, all & ~kRight},
        {tiles::kColumnMiddle, kUp | kDown},
        {tiles::kInnerTopLeft, all},
        {tiles::kInnerTopRight, all},
        {tiles::kFillVariantA, all},
        {tiles::kFillVariantB, all},
        {tiles::kUnderLeft, kUp | kRight},
        {tiles::kUnder, kUp | kRight | kLeft},
        {tiles::kUnderRight, kUp | kLeft},
        {tiles::kColumnBottom, kUp},
        {tiles::kBlock, 0},
    };
    for (auto& e : earth) at(e.frame, [&](int x, int y) { TerrainTile(r, x, y, e.joined, p, false); });
    at(tiles::kInnerTopLeft, [&](int x, int y) { r.BlendRect(x, y, 2, 2, p.grassDark); });
    at(tiles::kInnerTopRight, [&](int x, int y) { r.BlendRect(x + 14, y, 2, 2, p.grassDark); });
    at(tiles::kStoneBlock, [&](int x, int y) { TerrainTile(r, x, y, 0, p, true); });
    at(tiles::kStoneWall, [&](int x, int y) { TerrainTile(r, x, y, all, p, true); });
    for (int frame : {tiles::kLedgeLeft, tiles::kLedgeMiddle, tiles::kLedgeRight, tiles::kLedgeSingle})
        at(frame, [&](int x, int y) {
            r.BlendRect(x, y, 16, 8, p.stone);
            r.BlendRect(x, y + 7, 16, 1, p.stoneDark);
            r.BlendRect(x, y, 16, 1, p.stoneDark);
            if (frame == tiles::kLedgeLeft || frame == tiles::kLedgeSingle) r.BlendRect(x, y, 1, 8, p.stoneDark);
            if (frame == tiles::kLedgeRight || frame == tiles::kLedgeSingle) r.BlendRect(x + 15, y, 1, 8, p.stoneDark);
        });
    for (int frame : {tiles::kRockFace, tiles::kRockFaceDark})
        at(frame, [&](int x, int y) {
            r.BlendRect(x, y, 16, 16, frame == tiles::kRockFace ? p.back : p.earthDark);
            r.BlendRect(x + 3, y + 5, 3, 1, p.earthDark);
            r.BlendRect(x + 10, y + 11, 3, 1, p.earthDark);
        });
    at(tiles::kSignPost, [&](int x, int y) {
        r.BlendRect(x + 7, y + 6, 2, 10, kWoodDark);
        r.BlendRect(x + 2, y + 2, 12, 6, kWood);
        r.BlendFrame(x + 2, y + 2, 12, 6, kWoodDark);
    });
    at(tiles::kArrowSign, [&](int x, int y) {
        r.BlendRect(x + 7, y + 8, 2, 8, kWoodDark);
        r.BlendRect(x + 2, y + 3, 10, 5, kWood);
        for (int i = 0; i < 4; ++i) r.BlendRect(x + 12 + i, y + 2 + i, 1, 7 - 2 * i, kWood);
    });
    for (int frame : {tiles::kGrassTuft, tiles::kTallGrass})
        at(frame, [&](int x, int y) {
            int tall = frame == tiles::kTallGrass ? 5 : 0;
            for (int i = 0; i < 6; ++i)
                Line(r, x + 2 + 2 * i, y + 15, x + 1 + 2 * i + (i % 3), y + 10 - tall + (i % 2) * 2, p.grass);
        });
    at(tiles::kFlowers, [&](int x, int y) {
        for (int i = 0; i < 3; ++i) {
            r.BlendRect(x + 3 + 5 * i, y + 11, 1, 5, p.grassDark);
            r.BlendRect(x + 2 + 5 * i, y + 9 + (i % 2), 3, 2, i == 1 ? kGold : kRed);
        }
    });
    for (int frame : {tiles::kBush, tiles::kBushOther})
        at(frame, [&](int x, int y) {
            FillCircle(r, x + 5, y + 11, 4, p.grassDark);
            FillCircle(r, x + 11, y + 11, 4, p.grassDark);
            FillCircle(r, x + 8, y + 9, frame == tiles::kBush ? 4 : 3, p.grass);
        });
    at(tiles::kRock, [&](int x, int y) {
        FillCircle(r, x + 8, y + 13, 5, p.stone);
        r.BlendRect(x + 3, y + 15, 11, 1, p.stoneDark);
    });
    at(tiles::kFence, [&](int x, int y) {
        r.BlendRect(x + 2, y + 6, 2, 10, kWood);
        r.BlendRect(x + 12, y + 6, 2, 10, kWood);
        r.BlendRect(x, y + 8, 16, 2, kWoodDark);
        r.BlendRect(x, y + 12, 16, 2, kWoodDark);
    });
    at(tiles::kMushrooms, [&](int x, int y) {
        r.BlendRect(x + 5, y + 12, 2, 4, kWhite);
        FillCircle(r, x + 6, y + 11, 3, kRed);
        r.BlendRect(x + 11, y + 13, 1, 3, kWhite);
        FillCircle(r, x + 11, y + 12, 2, kRed);
    });
    at(tiles::kLog, [&](int x, int y) {
        r.BlendRect(x + 1, y + 10, 14, 6, kWood);
        r.BlendFrame(x + 1, y + 10, 14, 6, kWoodDark);
    });
    for (int frame : {tiles::kVines, tiles::kVineEnd})
        at(frame, [&](int x, int y) {
            int length = frame == tiles::kVines ? 16 : 9;
            r.BlendRect(x + 4, y, 1, length, p.grassDark);
            r.BlendRect(x + 10, y, 1, length - 3, p.grass);
        });
    at(tiles::kLantern, [&](int x, int y) {
        r.BlendRect(x + 7, y + 4, 2, 12, kWoodDark);
        r.BlendRect(x + 5, y + 1, 6, 5, kGold);
    });
    return r;
}

}  // namespace datagen
