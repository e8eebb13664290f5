// scenery.cpp — trees placed in the maps ("tree1.png" .. "tree4.png") and
// the parallax layers behind them ("background1_parallax.png",
// "background2_parallax.png", "parallaxtree1.png" .. "parallaxtree4.png"),
// each in the cool first world and, with the "alt_" prefix, the warm second.
//
// The parallax pictures of each style are also packed into one atlas
// ("scenery_atlas.png", "alt_scenery_atlas.png") listed in "atlas.txt"; the
// game draws them from there, one texture per background, without the clear
// sky above each picture. The level objects share "objects_atlas.png".
//
// The layers stand on the bottom edge of the map and repeat sideways, so
// every far picture is seamless from its right edge to its left. Colours
// fade toward the sky with distance, which keeps the play layer in front.
#include <algorithm>
#include <vector>

#include "datagen/images/art.h"
#include "datagen/images/pixel_math.h"

namespace datagen {
namespace {
const Rgba kInk = Hex("1c1a2b");

struct Foliage {
    Rgba dark, mid, light, highlight;
    Rgba bark, barkDark;
    Rgba ink;
};

Foliage Cool() {
    return {Hex("2f6b52"), Hex("3f8f5f"), Hex("62b86a"), Hex("a6e08a"), Hex("7a5a4a"), Hex("4e3830"), Hex("1d2a33")};
}
Foliage Warm() {
    return {Hex("5a6a2a"), Hex("7f9a3a"), Hex("a8c257"), Hex("dcec8a"), Hex("9a6238"), Hex("663c22"), Hex("3a2418")};
}

// Leafy clump: a dark ball with a lighter ball up-left and a few glints.
void Clump(Canvas& c, float x, float y, float r, const Foliage& f, std::uint32_t seed) {
    c.FillCircle(x, y, r, f.dark);
    c.FillCircle(x - r * 0.2f, y - r * 0.25f, r * 0.78f, f.mid);
    c.FillCircle(x - r * 0.38f, y - r * 0.45f, r * 0.42f, f.light);
    Random rnd(seed);
    for (int i = 0; i < static_cast<int>(r); ++i) {
        float a = rnd.Unit() * 2 * kPi, d = rnd.Unit() * r * 0.7f;
        int px = Round(x + Cos(a) * d), py = Round(y + Sin(a) * d);
        if (c.Get(px, py) == f.light || c.Get(px, py) == f.mid) c.Set(px, py, py < y ? f.highlight : f.dark);
    }
}

void Trunk(Canvas& c, int x, int top, int bottom, int width, const Foliage& f) {
    for (int y = top; y <= bottom; ++y) {
        int w = width + (y > bottom - 3 ? 2 : 0);
        int x0 = x - w / 2;
        for (int i = 0; i < w; ++i) c.Set(x0 + i, y, i == 0 ? f.bark : (i == w - 1 ? f.barkDark : f.bark));
        if ((y * 7) % 5 == 0) c.Set(x0 + w / 2, y, f.barkDark);
    }
}

void Finish(Canvas& c, const Foliage& f) {
    c.Outline(f.ink);
    // the tree stands on the ground: no outline along the bottom row
    int h = c.Height();
    for (int x = 0; x < c.Width(); ++x)
        if (c.Get(x, h - 1) == f.ink && !c.Opaque(x, h - 2)) c.Set(x, h - 1, kClear);
}

constexpr int kTreeW = 40, kTreeH = 56;

// World 1: a round oak, a fir, a young tree and a bushy birch.
Canvas CoolTree(int kind) {
    Foliage f = Cool();
    Canvas c(kTreeW, kTreeH);
    switch (kind) {
        case 1:
            Trunk(c, 20, 28, 55, 4, f);
            c.Line(20, 36, 12, 28, f.bark, 2);
            Clump(c, 12, 24, 9, f, 1);
            Clump(c, 28, 22, 10, f, 2);
            Clump(c, 20, 13, 11, f, 3);
            Clump(c, 19, 26, 8, f, 4);
            break;
        case 2:
            Trunk(c, 20, 44, 55, 3, f);
            for (int tier = 0; tier < 5; ++tier) {
                float top = 2 + tier * 8.5f, half = 6 + tier * 3.2f, bottom = top + 13;
                c.FillPolygon({20, top, 20 + half, bottom, 20 - half, bottom}, f.dark);
                c.FillPolygon({20, top + 2, 20 + half * 0.2f, bottom - 1, 20 - half + 2, bottom - 1}, f.mid);
                c.FillPolygon({20, top + 4, 20 - half * 0.1f, bottom - 3, 20 - half * 0.55f, bottom - 2}, f.light);
            }
            break;
        case 3:
            Trunk(c, 20, 34, 55, 2, f);
            c.Line(20, 42, 25, 36, f.bark);
            Clump(c, 20, 27, 9, f, 5);
            Clump(c, 25, 33, 5, f, 6);
            break;
        default:
            for (int x : {15, 24}) {
                Trunk(c, x, 24, 55, 2, {f.dark, f.mid, f.light, f.highlight, Hex("eeeae0"), Hex("8a8a9a"), f.ink});
            }
            for (int y = 28; y < 56; y += 5) c.Set(15, y, kInk);
            for (int y = 31; y < 56; y += 6) c.Set(24, y, kInk);
            Clump(c, 14, 18, 9, f, 7);
            Clump(c, 26, 16, 10, f, 8);
            Clump(c, 20, 9, 8, f, 9);
            break;
    }
    Finish(c, f);
    return c;
}

// World 2: a palm, a saguaro, a flat-topped acacia and a short palm.
Canvas WarmTree(int kind) {
    Foliage f = Warm();
    Canvas c(kTreeW, kTreeH);
    auto palm = [&](int baseX, int topY, int lean) {
        for (int y = topY; y < kTreeH; ++y) {
            float t = static_cast<float>(y - topY) / (kTreeH - topY);
            int x = baseX + Round(lean * (1 - t) * (1 - t));
            c.FillRect(x - 1, y, 3, 1, (y % 3 == 0) ? f.barkDark : f.bark);
        }
        int cx = baseX + lean, cy = topY;
        const float dirs[][2] = {{-1, 0.2f}, {1, 0.25f}, {-0.7f, -0.5f}, {0.8f, -0.45f}, {-0.2f, -0.9f}, {0.25f, 0.6f}};
        for (auto& d : dirs) {
            for (int s = 0; s < 13; ++s) {
                float px = cx + d[0] * s, py = cy + d[1] * s + s * s * 0.045f;
                c.FillCircle(px, py, 1.6f - s * 0.07f, f.mid);
                c.Set(Round(px), Round(py - 1), f.light);
            }
        }
        c.FillCircle(cx, cy + 1, 2.2f, Hex("6a4a2a"));
    };
    switch (kind) {
        case 1: palm(20, 12, 5); break;
        case 2: {
            const Rgba cactus = Hex("5e9a4a"), cactusLight = Hex("8ac468"), cactusDark = Hex("3e6e3a");
            auto arm = [&](int x, int y0, int y1, int w) {
                c.FillRect(x, y0, w, y1 - y0, cactus);
                c.FillRect(x + 1, y0 + 1, 1, y1 - y0 - 2, cactusLight);
                c.FillRect(x + w - 1, y0 + 1, 1, y1 - y0 - 1, cactusDark);
                c.FillCircle(x + w / 2.0f, y0 + 0.5f, w / 2.0f, cactus);
            };
            arm(17, 8, 56, 7);
            arm(8, 20, 33, 5);
            c.FillRect(8, 31, 10, 4, cactus);
            arm(27, 14, 30, 5);
            c.FillRect(23, 27, 8, 4, cactus);
            for (int y = 12; y < 54; y += 4) c.Set(20, y, cactusLight);
            c.Set(20, 7, Hex("f25f6a"));
            c.Set(21, 7, Hex("f25f6a"));
            Finish(c, {cactusDark, cactus, cactusLight, cactusLight, f.bark, f.barkDark, f.ink});
            return c;
        }
        case 3:
            Trunk(c, 20, 22, 55, 3, f);
            c.Line(20, 30, 10, 20, f.bark, 2);
            c.Line(20, 28, 30, 19, f.bark, 2);
            for (float x = 4; x <= 36; x += 4) {
                float y = 16 + (std::abs(x - 20) / 6);
                c.FillEllipse(Round(x - 5), Round(y - 4), 10, 7, f.dark);
            }
            for (float x = 6; x <= 34; x += 5)
                c.FillEllipse(Round(x - 4), 11 + Round(std::abs(x - 20) / 7), 8, 5, f.mid);
            for (float x = 8; x <= 28; x += 6) c.FillEllipse(Round(x - 3), 10, 6, 3, f.light);
            break;
        default: palm(17, 26, -4); break;
    }
    Finish(c, f);
    return c;
}

// A seamless skyline of height h: heights[x] for x in 0..w-1, a sum of
// sines whose periods divide the width.
std::vector<float> Skyline(int w, const std::vector<std::pair<int, float>>& waves, float base, std::uint32_t seed) {
    std::vector<float> heights(w);
    Random r(seed);
    std::vector<float> phases;
    for (std::size_t i = 0; i < waves.size(); ++i) phases.push_back(r.Unit() * 2 * kPi);
    for (int x = 0; x < w; ++x) {
        float v = base;
        for (std::size_t i = 0; i < waves.size(); ++i)
            v += waves[i].second * Sin(2 * kPi * waves[i].first * x / w + phases[i]);
        heights[x] = v;
    }
    return heights;
}

// World 1 far layer: misty blue mountains with snow, and soft clouds.
Canvas CoolFar() {
    const int w = 320, h = 160;
    Canvas c(w, h);
    // clouds
    const Rgba cloud = Hex("e8f3f8"), cloudShade = Hex("d2e6f0");
    Random r(77);
    for (int i = 0; i < 5; ++i) {
        int cx = i * 64 + r.Range(0, 30), cy = 14 + r.Range(0, 26);
        for (int k = 0; k < 5; ++k) {
            int dx = (k - 2) * 7 + r.Range(-2, 2), rad = 6 + r.Range(0, 5) - std::abs(k - 2);
            for (int wrap = -1; wrap <= 1; ++wrap) {
                c.FillCircle(cx + dx + wrap * w, cy + 1.0f, rad, cloudShade);
                c.FillCircle(cx + dx + wrap * w, cy - 1.0f, rad - 1, cloud);
            }
        }
        for (int wrap = -1; wrap <= 1; ++wrap)
            for (int x = cx - 22; x < cx + 22; ++x) c.Set(x + wrap * w, cy + 6, kClear);
    }
    auto far = Skyline(w, {{1, 14}, {3, 10}, {5, 7}, {9, 3}}, 75, 3);
    auto mid = Skyline(w, {{2, 10}, {4, 8}, {7, 4}, {13, 2}}, 100, 4);
    const Rgba farCol = Hex("a6c8dc"), farLit = Hex("bcd6e6"), snow = Hex("eef6fa");
    const Rgba midCol = Hex("8cb4cc"), midLit = Hex("9fc2d6");
    for (int x = 0; x < w; ++x) {
        int top = Round(h - far[x]);
        float slope = far[(x + 1) % w] - far[x];
        for (int y = top; y < h; ++y) {
            Rgba col = slope > 0 ? farLit : farCol;
            if (y < top + 4 && far[x] > 80) col = snow;
            c.Set(x, y, col);
        }
        int mtop = Round(h - mid[x]);
        float ms = mid[(x + 1) % w] - mid[x];
        for (int y = mtop; y < h; ++y) c.Set(x, y, ms > 0 ? midLit : midCol);
    }
    return c;
}

// World 1 near layer: rolling green-blue hills with a band of tree tops.
Canvas CoolNear() {
    const int w = 320, h = 110;
    Canvas c(w, h);
    auto hill = Skyline(w, {{2, 12}, {3, 8}, {8, 3}}, 70, 8);
    const Rgba col = Hex("78aab0"), lit = Hex("88bab8"), dark = Hex("6898a4");
    for (int x = 0; x < w; ++x) {
        int top = Round(h - hill[x]);
        for (int y = top; y < h; ++y) c.Set(x, y, (hill[(x + 1) % w] > hill[x]) ? lit : col);
        // a fringe of distant tree tops along the crest
        int bump = Round(2.5f + 2.5f * Sin(x * 0.9f) + 1.5f * Sin(x * 2.3f + 1));
        for (int y = top - bump; y < top; ++y) c.Set(x, y, dark);
    }
    return c;
}

// World 2 far layer: pale mesas under a low sun.
Canvas WarmFar() {
    const int w = 320, h = 160;
    Canvas c(w, h);
    const Rgba sun = Hex("fff6d6"), sunHalo = Hex("fdf0c0");
    c.FillCircle(236, 40, 19, sunHalo);
    c.FillCircle(236, 40, 14, sun);
    const Rgba mesa = Hex("f0c98e"), mesaLit = Hex("f6d9a6"), mesaShade = Hex("e2b47a");
    // flat-topped rocks: plateaus at a few heights with steep sides
    struct Butte {
        int x0, x1, height;
    };
    const Butte buttes[] = {{10, 70, 62}, {60, 96, 46}, {130, 210, 78}, {200, 230, 55}, {262, 300, 66}, {290, 330, 40}};
    std::vector<int> top(w, h);
    for (const Butte& b : buttes)
        for (int x = b.x0 - 8; x < b.x1 + 8; ++x) {
            int edge = std::min(x - (b.x0 - 8), (b.x1 + 8) - x);  // slopes 8 wide
            int height = edge >= 8 ? b.height : b.height * edge / 8;
            int px = ((x % w) + w) % w;
            top[px] = std::min(top[px], h - height);
        }
    auto base = Skyline(w, {{2, 6}, {5, 3}}, 30, 12);
    for (int x = 0; x < w; ++x) {
        top[x] = std::min(top[x], h - Round(base[x]));
        for (int y = top[x]; y < h; ++y) {
            Rgba col = mesa;
            if (y < top[x] + 2)
                col = mesaLit;
            else if ((x + y / 3) % 29 < 3)
                col = mesaShade;  // strata
            if (y > h - 40 && (y / 4) % 3 == 0) col = Mix(col, mesaShade, 0.5f);
            c.Set(x, y, col);
        }
    }
    return c;
}

// World 2 near layer: dunes.
Canvas WarmNear() {
    const int w = 320, h = 110;
    Canvas c(w, h);
    auto dune = Skyline(w, {{2, 14}, {3, 7}, {6, 3}}, 68, 15);
    const Rgba col = Hex("e6b678"), lit = Hex("f0c88e"), shade = Hex("d6a066");
    for (int x = 0; x < w; ++x) {
        int top = Round(h - dune[x]);
        bool sunny = dune[(x + 1) % w] > dune[x];
        for (int y = top; y < h; ++y) {
            Rgba px = sunny ? lit : col;
            if (!sunny && y < top + 3) px = shade;
            if ((y - top) % 9 == 4 && (x / 3) % 4 != 0) px = Mix(px, shade, 0.6f);  // ripples
            c.Set(x, y, px);
        }
    }
    return c;
}

// Far tree silhouettes: one hazy colour with a lighter lit edge.
Canvas FarTree(int kind, bool warm) {
    const int widths[] = {0, 26, 34, 22, 40}, heights[] = {0, 84, 100, 70, 92};
    int w = widths[kind], h = heights[kind];
    Canvas c(w, h);
    const Rgba col = warm ? Hex("d9a772") : Hex("6f9eaa"), lit = warm ? Hex("e4b883") : Hex("80adb6");
    float cx = w / 2.0f;
    if (!warm) {
        if (kind == 2 || kind == 3) {  // firs
            c.FillRect(Round(cx) - 1, h - 14, 3, 14, col);
            for (int tier = 0; tier < 6; ++tier) {
                float top = 2 + tier * (h - 16) / 6.5f, half = 3 + tier * (w / 2.0f - 3) / 5.5f;
                c.FillPolygon({cx, top, cx + half, top + (h - 16) / 5.0f, cx - half, top + (h - 16) / 5.0f}, col);
            }
        } else {  // round-topped trees
            c.FillRect(Round(cx) - 1, h / 2, 3, h / 2, col);
            for (int k = 0; k < 5; ++k)
                c.FillCircle(cx + ((k * 7) % 5 - 2) * w / 9.0f, 6 + k * (h * 0.55f - 6) / 4, w / 2.6f - k % 2, col);
        }
    } else {
        if (kind == 2 || kind == 4) {  // palms
            for (int y = 10; y < h; ++y) c.FillRect(Round(cx + 4 * (1 - (y - 10.0f) / (h - 10)) - 1), y, 2, 1, col);
            for (float d : {-1.0f, -0.6f, 0.6f, 1.0f, -0.2f, 0.25f})
                for (int s = 0; s < w / 2; ++s)
                    c.FillCircle(cx + 4 + d * s, 10 + (1 - std::abs(d)) * -s * 0.5f + s * s * 0.04f, 1.4f, col);
        } else {  // cacti
            c.FillRect(Round(cx) - 3, 6, 6, h - 6, col);
            c.FillCircle(cx, 6, 3, col);
            c.FillRect(Round(cx) - 9, h / 3, 4, h / 4, col);
            c.FillRect(Round(cx) - 9, h / 3 + h / 4 - 3, 8, 3, col);
            c.FillRect(Round(cx) + 5, h / 4, 4, h / 4, col);
            c.FillRect(Round(cx) + 2, h / 4 + h / 4 - 3, 6, 3, col);
        }
    }
    // lit left edge
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (c.Opaque(x, y) && !c.Opaque(x - 1, y)) c.Set(x, y, lit);
    return c;
}
// Copies `src` into the atlas at (x, y) with its edge pixels repeated one
// pixel outward, so that a sample that strays past the picture's edge reads
// what the clamped texture of the lone picture did.
void PlaceExtruded(Canvas& atlas, const Canvas& src, int x, int y) {
    const int w = src.Width(), h = src.Height();
    for (int row = -1; row <= h; ++row) {
        for (int col = -1; col <= w; ++col) {
            atlas.Set(x + col, y + row, src.Get(std::clamp(col, 0, w - 1), std::clamp(row, 0, h - 1)));
        }
    }
}

// The picture without the clear rows above its first drawn one but one: the
// game stands each parallax picture on its bottom edge, so the rows it drops
// change no pixel on screen, only stop being blended. The clear row it keeps
// is what the extruded border repeats, as the lone picture's edge did.
Canvas WithoutClearTop(const Canvas& src) {
    const int w = src.Width(), h = src.Height();
    int first = 0;
    auto clearRow = [&](int row) {
        for (int col = 0; col < w; ++col)
            if (src.Opaque(col, row)) return false;
        return true;
    };
    while (first < h - 1 && clearRow(first)) ++first;
    const int top = std::max(first - 1, 0);
    Canvas kept(w, h - top);
    for (int row = top; row < h; ++row)
        for (int col = 0; col < w; ++col) kept.Set(col, row - top, src.Get(col, row));
    return kept;
}

// One style's parallax pictures in one texture, so that a background draws
// from a single surface: the two far layers stacked, the four tree
// silhouettes in a row below. Each entry of the index is
// "<picture> <atlas> <x> <y> <width> <height>".
void MakeSceneryAtlas(ImageOutput& out, const std::string& prefix, std::string& index) {
    std::vector<std::string> names = {prefix + "background1_parallax.png", prefix + "background2_parallax.png"};
    for (int i = 1; i <= 4; ++i) names.push_back(prefix + "parallaxtree" + std::to_string(i) + ".png");
    struct Spot {
        int x, y;
    };
    std::vector<Spot> spots;
    std::vector<Canvas> pictures;
    for (const std::string& name : names) pictures.push_back(WithoutClearTop(out.Find(name)));
    int x = 1, y = 1, rowHeight = 0, width = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const Canvas& picture = pictures[i];
        // The two wide layers each take a row; the trees share one.
        if (i < 2 || x + picture.Width() + 1 > 330) {
            if (x > 1) y += rowHeight + 2;
            x = 1;
            rowHeight = 0;
        }
        spots.push_back({x, y});
        width = std::max(width, x + picture.Width() + 1);
        rowHeight = std::max(rowHeight, picture.Height());
        x += picture.Width() + 2;
        if (i < 2) {
            y += picture.Height() + 2;
            x = 1;
            rowHeight = 0;
        }
    }
    const int height = y + rowHeight + 1;
    Canvas atlas(width, height);
    const std::string atlasName = prefix + "scenery_atlas.png";
    for (std::size_t i = 0; i < names.size(); ++i) {
        const Canvas& picture = pictures[i];
        PlaceExtruded(atlas, picture, spots[i].x, spots[i].y);
        index += names[i] + " " + atlasName + " " + std::to_string(spots[i].x) + " " + std::to_string(spots[i].y) +
                 " " + std::to_string(picture.Width()) + " " + std::to_string(picture.Height()) + "\n";
    }
    out.Texture(atlasName, atlas);
}

// The pictures a level draws between its tile layers (trees, door, key,
// flower, boxes, waterfalls, both characters, the HUD key, snow) in one
// texture, so that consecutive objects of both worlds share a batch. A
// sprite sheet keeps its frame grid as one block. Shelves of pictures sorted
// tallest first, each picture extruded like the scenery.
void MakeObjectsAtlas(ImageOutput& out, std::string& index) {
    std::vector<std::string> names = {"door.png",
                                      "key.png",
                                      "key_icon.png",
                                      "arrow_mark.png",
                                      "flower_1.png",
                                      "box.png",
                                      "box_break.png",
                                      "waterfall_top.png",
                                      "waterfall_body.png",
                                      "waterfall_bottom.png",
                                      "char1_spritesheet.png",
                                      "char2_spritesheet.png",
                                      "snow.png",
                                      "snowdust.png"};
    for (int i = 1; i <= 4; ++i) {
        names.push_back("tree" + std::to_string(i) + ".png");
        names.push_back("alt_tree" + std::to_string(i) + ".png");
    }
    std::stable_sort(names.begin(), names.end(), [&](const std::string& a, const std::string& b) {
        return out.Find(a).Height() > out.Find(b).Height();
    });
    constexpr int kShelfWidth = 512;
    struct Spot {
        int x, y;
    };
    std::vector<Spot> spots;
    int x = 1, y = 1, rowHeight = 0, width = 0;
    for (const std::string& name : names) {
        const Canvas& picture = out.Find(name);
        if (x > 1 && x + picture.Width() + 1 > kShelfWidth) {
            y += rowHeight + 2;
            x = 1;
            rowHeight = 0;
        }
        spots.push_back({x, y});
        width = std::max(width, x + picture.Width() + 1);
        rowHeight = std::max(rowHeight, picture.Height());
        x += picture.Width() + 2;
    }
    Canvas atlas(width, y + rowHeight + 1);
    const std::string atlasName = "objects_atlas.png";
    for (std::size_t i = 0; i < names.size(); ++i) {
        const Canvas& picture = out.Find(names[i]);
        PlaceExtruded(atlas, picture, spots[i].x, spots[i].y);
        index += names[i] + " " + atlasName + " " + std::to_string(spots[i].x) + " " + std::to_string(spots[i].y) +
                 " " + std::to_string(picture.Width()) + " " + std::to_string(picture.Height()) + "\n";
    }
    out.Texture(atlasName, atlas);
}
}  // namespace

void MakeScenery(const SpriteBook&, ImageOutput& out) {
    for (int i = 1; i <= 4; ++i) {
        std::string n = std::to_string(i);
        out.Texture("tree" + n + ".png", CoolTree(i));
        out.Texture("alt_tree" + n + ".png", WarmTree(i));
    }
    out.Texture("background1_parallax.png", CoolFar());
    out.Texture("background2_parallax.png", CoolNear());
    out.Texture("alt_background1_parallax.png", WarmFar());
    out.Texture("alt_background2_parallax.png", WarmNear());
    for (int i = 1; i <= 4; ++i) {
        std::string n = std::to_string(i);
        out.Texture("parallaxtree" + n + ".png", FarTree(i, false));
        out.Texture("alt_parallaxtree" + n + ".png", FarTree(i, true));
    }
    std::string index = "# picture atlas x y width height: the game reads these pictures from their atlas\n";
    MakeSceneryAtlas(out, "", index);
    MakeSceneryAtlas(out, "alt_", index);
    MakeObjectsAtlas(out, index);
    out.DataText("atlas.txt", index);
}

}  // namespace datagen
