// tiles.cpp — the level tile sets ("tileset.png" for the first world,
// "alt_tileset.png" for the second) and the snow caps ("snowset.png").
//
// Both tile sets share one layout of 16 x 16 tiles, eight to a row, so a map
// draws the same shapes in both worlds; only the materials differ (a cool
// grass-and-slate hillside, a warm sandstone one). The table of tile indices
// is in docs/ARCHITECTURE.md ("Data files").
#include <algorithm>
#include <vector>

#include "datagen/images/art.h"
#include "datagen/images/pixel_math.h"

namespace datagen {
namespace {
constexpr int kTile = 16;
constexpr int kColumns = 8;

struct Theme {
    std::uint32_t seed;
    Rgba topLight, top, topDark;        // grass (or sand crust) cap
    Rgba fillLight, fill, fillDark;     // earth
    Rgba stoneLight, stone, stoneDark;  // pebbles, bricks
    Rgba edge;                          // darkest rim
    Rgba accent, accentDark;            // flowers, lantern light
    Rgba leaf, leafDark;                // bushes, vines
    Rgba wood, woodDark;
    bool desert;
};

Theme World1() {
    return {11,
            Hex("8fd46e"),
            Hex("5aa856"),
            Hex("3a7a4a"),
            Hex("7f89ab"),
            Hex("636d92"),
            Hex("4a5276"),
            Hex("a3adc8"),
            Hex("8a94b4"),
            Hex("3c4366"),
            Hex("272b45"),
            Hex("f4d24a"),
            Hex("e0604e"),
            Hex("5fae5a"),
            Hex("347a4a"),
            Hex("a0694a"),
            Hex("6e4433"),
            false};
}

Theme World2() {
    return {23,
            Hex("f2d58c"),
            Hex("dcae62"),
            Hex("b07f42"),
            Hex("d9945c"),
            Hex("c0773f"),
            Hex("95552e"),
            Hex("e8b780"),
            Hex("cc9660"),
            Hex("7a4327"),
            Hex("4a2620"),
            Hex("f25f6a"),
            Hex("9b3a8a"),
            Hex("8fae4a"),
            Hex("5e7a32"),
            Hex("8a5a3a"),
            Hex("5c3826"),
            true};
}

// Which sides of a terrain tile face open air.
struct Open {
    bool top = false, left = false, right = false, bottom = false;
};

// Earth texture that repeats seamlessly every 16 pixels: a base colour
// with a few embedded pebbles, their lit side up-left.
void PaintEarth(Canvas& c, const Theme& t, std::uint32_t variant) {
    for (int y = 0; y < kTile; ++y)
        for (int x = 0; x < kTile; ++x) {
            float n = Hash01(x, y, t.seed + variant);
            Rgba base = t.fill;
            if (n < 0.07f)
                base = t.fillDark;
            else if (n > 0.95f)
                base = t.fillLight;
            c.Set(x, y, base);
        }
    Random r(t.seed * 31 + variant);
    int pebbles = 3 + static_cast<int>(variant % 2);
    for (int i = 0; i < pebbles; ++i) {
        int px = r.Range(0, 15), py = r.Range(0, 15), w = r.Range(2, 3), h = 2;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                Rgba col = (y == 0 && x < w - 1) ? t.stoneLight : t.stone;
                c.Set((px + x) % kTile, (py + y) % kTile, col);
            }
        c.Set((px + w) % kTile, (py + 1) % kTile, t.fillDark);
        for (int x = 0; x < w; ++x) c.Set((px + x) % kTile, (py + h) % kTile, t.fillDark);
    }
}

// Grass (or sand crust) over the top rows, with an uneven lower fringe.
void PaintCap(Canvas& c, const Theme& t, int fromX = 0, int toX = kTile) {
    for (int x = fromX; x < toX; ++x) {
        int depth = 4 + ((x * 7 + 3) % 5 == 0 ? 1 : 0) + ((x * 3) % 4 == 1 ? -1 : 0);
        for (int y = 0; y < depth; ++y) {
            Rgba col = y == 0 ? t.topLight : (y < depth - 1 ? t.top : t.topDark);
            if (y == 1 && (x % 3 == 0)) col = t.topLight;
            c.Set(x, y, col);
        }
        c.Set(x, depth, Shade(t.fillDark, 0.85f));  // shadow under the cap
    }
}

void PaintRims(Canvas& c, const Theme& t, const Open& o) {
    for (int i = 0; i < kTile; ++i) {
        if (o.left) {
            if (!o.top || i > 4) c.Set(1, i, Shade(c.Get(1, i), 0.8f));
            c.Set(0, i, t.edge);
        }
        if (o.right) {
            c.Set(kTile - 2, i, Shade(c.Get(kTile - 2, i), 0.75f));
            c.Set(kTile - 1, i, t.edge);
        }
        if (o.bottom) {
            c.Set(i, kTile - 2, Shade(c.Get(i, kTile - 2), 0.75f));
            c.Set(i, kTile - 1, t.edge);
        }
    }
    if (o.top) {
        // Cap highlights run into the rims; round the exposed corners.
        if (o.left) {
            c.Set(0, 0, kClear);
            c.Set(0, 1, t.topDark);
            c.Set(1, 0, t.topDark);
        }
        if (o.right) {
            c.Set(kTile - 1, 0, kClear);
            c.Set(kTile - 1, 1, t.topDark);
            c.Set(kTile - 2, 0, t.topDark);
        }
    }
    if (o.bottom) {
        if (o.left) {
            c.Set(0, kTile - 1, kClear);
            c.Set(1, kTile - 1, t.edge);
            c.Set(0, kTile - 2, t.edge);
        }
        if (o.right) {
            c.Set(kTile - 1, kTile - 1, kClear);
            c.Set(kTile - 2, kTile - 1, t.edge);
            c.Set(kTile - 1, kTile - 2, t.edge);
        }
    }
}

Canvas Terrain(const Theme& t, Open o, std::uint32_t variant = 0) {
    Canvas c(kTile, kTile);
    PaintEarth(c, t, variant);
    if (o.top) PaintCap(c, t);
    PaintRims(c, t, o);
    return c;
}

// Dressed stone: two courses of bricks with mortar.
Canvas Bricks(const Theme& t, Open o, bool capped) {
    Canvas c(kTile, kTile, t.stone);
    for (int y = 0; y < kTile; ++y)
        for (int x = 0; x < kTile; ++x) {
            int course = y / 8, ly = y % 8;
            int offset = course % 2 ? 4 : 0;
            int lx = (x + offset) % 8;
            Rgba col = t.stone;
            if (ly == 7 || lx == 7)
                col = t.stoneDark;
            else if (ly == 0 || lx == 0)
                col = t.stoneLight;
            else if (Hash01(x, y, t.seed + 77) < 0.08f)
                col = Shade(t.stone, 0.9f);
            c.Set(x, y, col);
        }
    if (capped) {
        PaintCap(c, t);
    } else if (o.top) {
        // a bare top: rimmed like the sides
        for (int x = 0; x < kTile; ++x) {
            c.Set(x, 1, Shade(t.stoneLight, 1.08f));
            c.Set(x, 0, t.edge);
        }
    }
    PaintRims(c, t, o);
    if (o.top && !capped) {  // rounded corners in the rim colour, not the cap's
        if (o.left) {
            c.Set(1, 0, t.edge);
            c.Set(0, 1, t.edge);
        }
        if (o.right) {
            c.Set(kTile - 2, 0, t.edge);
            c.Set(kTile - 1, 1, t.edge);
        }
    }
    return c;
}

// A floating ledge: a stone slab the full height of its cell (it is solid
// all the way down), capped, its ends rounded off.
Canvas Ledge(const Theme& t, bool leftEnd, bool rightEnd) {
    Canvas c = Bricks(t, {true, leftEnd, rightEnd, true}, true);
    if (leftEnd) {
        c.Set(0, kTile - 2, kClear);
        c.Set(1, kTile - 1, kClear);
        c.Set(1, kTile - 2, t.edge);
        c.Set(2, kTile - 1, t.edge);
    }
    if (rightEnd) {
        c.Set(kTile - 1, kTile - 2, kClear);
        c.Set(kTile - 2, kTile - 1, kClear);
        c.Set(kTile - 2, kTile - 2, t.edge);
        c.Set(kTile - 3, kTile - 1, t.edge);
    }
    return c;
}

// A corner where a cap runs into a higher wall: the lip of the cap climbs a
// few pixels up the wall.
Canvas InnerCorner(const Theme& t, bool left) {
    Canvas c(kTile, kTile);
    PaintEarth(c, t, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 4 - y / 2; ++x) {
            int px = left ? x : kTile - 1 - x;
            c.Set(px, y, y == 0 ? t.topLight : (x == 3 - y / 2 ? t.topDark : t.top));
        }
    return c;
}

Canvas Blank() { return Canvas(kTile, kTile); }

// ---- decoration (not solid) -------------------------------------------

Canvas Tuft(const Theme& t, bool tall) {
    Canvas c(kTile, kTile);
    int blades[] = {3, 5, 6, 8, 10, 12};
    for (int i = 0; i < 6; ++i) {
        int x = blades[i], h = tall ? 6 + (i * 5) % 6 : 3 + (i * 3) % 3;
        int lean = (i % 3) - 1;
        for (int y = 0; y < h; ++y) {
            int px = x + (y > h / 2 ? lean : 0);
            c.Set(px, kTile - 1 - y, y < h / 3 ? t.topDark : (y == h - 1 ? t.topLight : t.top));
        }
    }
    if (t.desert && tall) {
        // dry seed heads
        c.Set(6, kTile - 11, t.topLight);
        c.Set(10, kTile - 11, t.topLight);
    }
    return c;
}

Canvas Flowers(const Theme& t) {
    Canvas c = Tuft(t, false);
    int xs[] = {4, 8, 12}, hs[] = {6, 8, 5};
    for (int i = 0; i < 3; ++i) {
        int x = xs[i], top = kTile - 1 - hs[i];
        c.Line(x, top + 1, x, kTile - 1, t.topDark);
        Rgba petal = i == 1 ? t.accentDark : t.accent;
        c.Set(x - 1, top, petal);
        c.Set(x + 1, top, petal);
        c.Set(x, top - 1, petal);
        c.Set(x, top + 1, petal);
        c.Set(x, top, Hex("fff6d8"));
    }
    return c;
}

Canvas Rock(const Theme& t) {
    Canvas c(kTile, kTile);
    c.FillEllipse(2, 8, 12, 9, t.stone);
    c.FillEllipse(3, 8, 8, 5, t.stoneLight);
    c.FillEllipse(8, 12, 6, 4, t.stoneDark);
    c.Outline(t.edge);
    // only the rounded top is outlined; the bottom sits on the ground
    for (int x = 0; x < kTile; ++x) c.Set(x, kTile - 1, c.Opaque(x, kTile - 2) ? t.stoneDark : kClear);
    return c;
}

// A bush standing in one tile, whole on its own; the two variants side by
// side read as a longer hedge.
Canvas Bush(const Theme& t, int variant) {
    Canvas c(kTile, kTile);
    if (t.desert) {  // low, dry scrub
        if (variant == 0) {
            c.FillEllipse(0, 6, 11, 11, t.leafDark);
            c.FillEllipse(5, 4, 11, 13, t.leafDark);
            c.FillEllipse(1, 7, 7, 5, t.leaf);
            c.FillEllipse(6, 5, 7, 5, t.leaf);
        } else {
            c.FillEllipse(0, 5, 12, 12, t.leafDark);
            c.FillEllipse(7, 7, 9, 10, t.leafDark);
            c.FillEllipse(2, 6, 7, 5, t.leaf);
            c.FillEllipse(8, 8, 6, 4, t.leaf);
        }
    } else {
        if (variant == 0) {
            c.FillEllipse(0, 5, 10, 12, t.leafDark);
            c.FillEllipse(5, 2, 11, 15, t.leafDark);
            c.FillEllipse(1, 6, 7, 6, t.leaf);
            c.FillEllipse(6, 3, 8, 7, t.leaf);
            c.Set(4, 10, t.accent);
            c.Set(11, 7, t.accent);
        } else {
            c.FillEllipse(0, 3, 12, 14, t.leafDark);
            c.FillEllipse(8, 7, 8, 10, t.leafDark);
            c.FillEllipse(2, 4, 8, 7, t.leaf);
            c.FillEllipse(9, 8, 6, 5, t.leaf);
            c.Set(6, 6, t.accent);
            c.Set(12, 11, t.accent);
        }
    }
    for (int y = 0; y < kTile; ++y)
        for (int x = 0; x < kTile; ++x)
            if (c.Opaque(x, y) && Hash01(x, y, t.seed + 9 + variant) < 0.12f) c.Set(x, y, Shade(c.Get(x, y), 1.15f));
    Rgba ink = Shade(t.leafDark, 0.55f);
    c.Outline(ink);
    // it stands on the ground: the bottom row stays leaves, not outline
    for (int x = 0; x < kTile; ++x)
        if (c.Get(x, kTile - 1) == ink) c.Set(x, kTile - 1, c.Opaque(x, kTile - 2) ? t.leafDark : kClear);
    return c;
}

Canvas Fence(const Theme& t) {
    Canvas c(kTile, kTile);
    for (int x : {2, 10}) {
        c.FillRect(x, 4, 3, 12, t.wood);
        c.FillRect(x + 2, 5, 1, 11, t.woodDark);
        c.Set(x + 1, 3, t.wood);
    }
    c.FillRect(0, 7, kTile, 2, t.wood);
    c.FillRect(0, 12, kTile, 2, t.wood);
    c.FillRect(0, 8, kTile, 1, t.woodDark);
    c.FillRect(0, 13, kTile, 1, t.woodDark);
    return c;
}

// Outlines a prop that stands on the ground: the outline along the bottom
// row is taken away again, so the prop meets the ground without a seam.
void OutlineStanding(Canvas& c, Rgba edge) {
    c.Outline(edge);
    for (int x = 0; x < kTile; ++x)
        if (c.Get(x, kTile - 1) == edge) c.Set(x, kTile - 1, kClear);
}

Canvas Signpost(const Theme& t) {
    Canvas c(kTile, kTile);
    c.FillRect(7, 8, 2, 8, t.woodDark);
    c.FillRect(2, 2, 12, 7, t.wood);
    c.FillRect(2, 8, 12, 1, t.woodDark);
    c.FillRect(4, 4, 8, 1, t.woodDark);
    c.FillRect(4, 6, 6, 1, t.woodDark);
    OutlineStanding(c, t.edge);
    return c;
}

Canvas Arrow(const Theme& t) {
    Canvas c(kTile, kTile);
    c.FillRect(7, 9, 2, 7, t.woodDark);
    c.FillPolygon({1, 3, 10, 3, 10, 1, 15, 5.5f, 10, 10, 10, 8, 1, 8}, t.wood);
    c.FillRect(2, 7, 8, 1, t.woodDark);
    OutlineStanding(c, t.edge);
    return c;
}

Canvas Mushrooms(const Theme& t) {
    Canvas c(kTile, kTile);
    if (t.desert) {
        // a small barrel cactus with a flower
        c.FillEllipse(4, 5, 8, 11, t.leafDark);
        c.FillEllipse(5, 5, 5, 10, t.leaf);
        for (int y = 7; y < 15; y += 2) c.Set(7, y, Shade(t.leaf, 1.25f));
        c.Set(7, 4, t.accent);
        c.Set(8, 4, t.accent);
        c.Set(7, 3, t.accent);
        c.Outline(Shade(t.leafDark, 0.5f));
    } else {
        c.FillRect(4, 10, 2, 6, Hex("f2ead8"));
        c.FillEllipse(1, 6, 8, 6, t.accentDark);
        c.Set(3, 7, Hex("fff6e8"));
        c.Set(6, 8, Hex("fff6e8"));
        c.FillRect(10, 12, 2, 4, Hex("f2ead8"));
        c.FillEllipse(8, 9, 6, 5, t.accentDark);
        c.Set(10, 10, Hex("fff6e8"));
        c.Outline(t.edge);
    }
    for (int x = 0; x < kTile; ++x)
        if (!c.Opaque(x, kTile - 2)) c.Set(x, kTile - 1, kClear);
    return c;
}

Canvas Log(const Theme& t) {
    Canvas c(kTile, kTile);
    c.FillRect(1, 10, 14, 6, t.wood);
    c.FillRect(1, 10, 14, 1, Shade(t.wood, 1.2f));
    c.FillRect(1, 14, 14, 2, t.woodDark);
    c.FillEllipse(11, 10, 5, 6, Shade(t.wood, 1.3f));
    c.Set(13, 12, t.woodDark);
    c.Set(5, 9, t.leaf);
    c.Set(6, 8, t.leaf);
    OutlineStanding(c, t.edge);
    return c;
}

Canvas Vines(const Theme& t, bool end) {
    Canvas c(kTile, kTile);
    int xs[] = {3, 8, 12};
    for (int i = 0; i < 3; ++i) {
        int len = end ? 6 + i * 3 : kTile;
        for (int y = 0; y < len; ++y) {
            int x = xs[i] + (Round(Sin(y * 0.7f + i) * 0.8f));
            c.Set(x, y, i == 1 ? t.leafDark : t.leaf);
            if ((y + i) % 4 == 0) c.Set(x + 1, y, t.leaf);
            if ((y + i) % 5 == 2) c.Set(x - 1, y, t.leafDark);
        }
        if (end) c.Set(xs[i], len, t.accent);
    }
    return c;
}

// Rock face behind the play area (caves, under bridges): the earth,
// darkened, and not solid.
Canvas BackWall(const Theme& t, std::uint32_t variant) {
    Canvas c(kTile, kTile);
    PaintEarth(c, t, 40 + variant);
    for (int y = 0; y < kTile; ++y)
        for (int x = 0; x < kTile; ++x) c.Set(x, y, Mix(Shade(c.Get(x, y), 0.55f), t.edge, 0.25f));
    return c;
}

Canvas Lantern(const Theme& t) {
    Canvas c(kTile, kTile);
    c.FillRect(7, 0, 2, 4, t.woodDark);
    c.FillRect(5, 4, 6, 8, t.edge);
    c.FillRect(6, 5, 4, 6, t.accent);
    c.FillRect(7, 6, 2, 3, Hex("fff8d0"));
    c.FillRect(5, 12, 6, 1, t.woodDark);
    c.BlendRect(3, 3, 10, 11, WithAlpha(t.accent, 40));
    return c;
}

std::vector<Canvas> TileSet(const Theme& t) {
    std::vector<Canvas> tiles;
    auto add = [&](Canvas c) { tiles.push_back(std::move(c)); };
    // row 0: tops and platforms
    add(Blank());                                  // 0 invisible wall
    add(Terrain(t, {true, true, false, false}));   // 1 top-left
    add(Terrain(t, {true, false, false, false}));  // 2 top
    add(Terrain(t, {true, false, true, false}));   // 3 top-right
    add(Terrain(t, {true, true, true, false}));    // 4 column top
    add(Ledge(t, true, false));                    // 5 platform left
    add(Ledge(t, false, false));                   // 6 platform middle
    add(Ledge(t, false, true));                    // 7 platform right
    // row 1: walls and fill
    add(Terrain(t, {false, true, false, false}));  // 8 left wall
    add(Terrain(t, {}));                           // 9 fill
    add(Terrain(t, {false, false, true, false}));  // 10 right wall
    add(Terrain(t, {false, true, true, false}));   // 11 column middle
    add(InnerCorner(t, true));                     // 12 inner corner, cap on the left
    add(InnerCorner(t, false));                    // 13 inner corner, cap on the right
    add(Terrain(t, {}, 1));                        // 14 fill, stony
    add(Terrain(t, {}, 2));                        // 15 fill, other
    // row 2: undersides, blocks
    add(Terrain(t, {false, true, false, true}));      // 16 bottom-left
    add(Terrain(t, {false, false, false, true}));     // 17 bottom
    add(Terrain(t, {false, false, true, true}));      // 18 bottom-right
    add(Terrain(t, {false, true, true, true}));       // 19 column bottom
    add(Terrain(t, {true, true, true, true}));        // 20 single block
    add(Ledge(t, true, true));                        // 21 platform single
    add(Bricks(t, {true, true, true, true}, false));  // 22 stone block
    add(Bricks(t, {}, false));                        // 23 stone wall
    // rows 3 and 4: decoration
    add(Tuft(t, false));   // 24 grass tuft
    add(Tuft(t, true));    // 25 tall grass
    add(Flowers(t));       // 26 flowers
    add(Rock(t));          // 27 rock
    add(Bush(t, 0));       // 28 bush
    add(Bush(t, 1));       // 29 bush, other shape
    add(Fence(t));         // 30 fence
    add(Signpost(t));      // 31 signpost
    add(Mushrooms(t));     // 32 mushrooms / cactus
    add(Log(t));           // 33 log
    add(Vines(t, false));  // 34 hanging vines
    add(Vines(t, true));   // 35 vine ends
    add(BackWall(t, 0));   // 36 back wall
    add(BackWall(t, 1));   // 37 back wall, variant
    add(Arrow(t));         // 38 arrow sign
    add(Lantern(t));       // 39 lantern
    return tiles;
}

// One snow-cap tile: snow `left` deep on the left half and `right` deep on
// the right half (depth 0 to 2), joined by a short slope in the middle.
Canvas SnowCap(int left, int right) {
    const Rgba snow = Hex("f6f9ff"), shade = Hex("c6d6ee"), sparkle = Hex("ffffff");
    Canvas c(kTile, kTile);
    auto thickness = [](int depth) { return depth == 0 ? 0 : depth == 1 ? 3 : 6; };
    for (int x = 0; x < kTile; ++x) {
        float t = std::clamp((x - 5.5f) / 5.0f, 0.0f, 1.0f);
        int h = Round(thickness(left) + (thickness(right) - thickness(left)) * t);
        for (int y = 0; y < h; ++y) c.Set(x, y, y == h - 1 ? shade : snow);
        if (h > 2 && (x * 5) % 7 == 1) c.Set(x, 0, sparkle);
    }
    return c;
}
}  // namespace

void MakeTiles(const SpriteBook&, ImageOutput& out) {
    out.Texture("tileset.png", Grid(TileSet(World1()), kColumns), kTile, kTile);
    out.Texture("alt_tileset.png", Grid(TileSet(World2()), kColumns), kTile, kTile);
    std::vector<Canvas> caps;
    for (int right = 0; right < 3; ++right)
        for (int left = 0; left < 3; ++left) caps.push_back(SnowCap(left, right));
    out.Texture("snowset.png", Grid(caps, 3), kTile, kTile);
}

}  // namespace datagen
