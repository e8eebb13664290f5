// objects.cpp — the level's props and overlays: boxes (whole and breaking),
// the door, keys and the key icon, the character marker, the dancing
// flower, waterfalls, the speech bubble, the static of a disconnected
// window and the snow.
//
// They appear in both worlds, so they use strong outlines and colours that
// stand out against the cool blue and the warm sand backgrounds alike.
#include <algorithm>
#include <vector>

#include "datagen/images/art.h"
#include "datagen/images/pixel_math.h"

namespace datagen {
namespace {
const Rgba kInk = Hex("1c1a2b");  // outline of every prop

// ---- crate ------------------------------------------------------------

const Rgba kWoodLight = Hex("e0a86a"), kWood = Hex("bf7f46"), kWoodDark = Hex("8a5230");
const Rgba kSteel = Hex("8fa3c4"), kSteelLight = Hex("cfdcee"), kSteelDark = Hex("58688c");

// A 16 x 16 crate: a plank face in a steel-cornered frame with a brace.
Canvas Crate() {
    Canvas c(16, 16, kInk);
    c.FillRect(1, 1, 14, 14, kWood);
    for (int y = 1; y < 15; ++y)  // planks
        for (int x = 1; x < 15; ++x) {
            if (y % 4 == 0)
                c.Set(x, y, kWoodDark);
            else if (y % 4 == 1)
                c.Set(x, y, kWoodLight);
        }
    c.Line(3, 12, 12, 3, kWoodDark, 2);  // brace
    c.Line(3, 11, 11, 3, kWoodLight);
    // frame
    for (int i = 1; i < 15; ++i) {
        c.Set(i, 1, kWoodLight);
        c.Set(1, i, kWoodLight);
        c.Set(i, 14, kWoodDark);
        c.Set(14, i, kWoodDark);
    }
    // steel corners with rivets
    for (auto [x, y] : {std::pair{1, 1}, std::pair{12, 1}, std::pair{1, 12}, std::pair{12, 12}}) {
        c.FillRect(x, y, 3, 3, kSteel);
        c.Set(x, y, kSteelLight);
        c.Set(x + 2, y + 2, kSteelDark);
        c.Set(x + 1, y + 1, kSteelDark);
    }
    return c;
}

// 9 frames of 77 x 23: the crate whole (its collision box covers columns
// 29-44 and rows 7-22), then flying apart into planks, splinters and dust.
Canvas BoxBreak() {
    const int w = 77, h = 23, frames = 9;
    const int bx = 29, by = 7;
    std::vector<Canvas> out;
    Canvas whole(w, h);
    whole.Blit(Crate(), bx, by);
    out.push_back(whole);

    struct Piece {
        float x, y, vx, vy;
        int len;
        bool steel;
    };
    std::vector<Piece> pieces;
    Random r(4242);
    for (int i = 0; i < 14; ++i) {
        float px = bx + 2 + r.Range(0, 11), py = by + 2 + r.Range(0, 11);
        float dir = (px - (bx + 8)) / 8.0f;
        pieces.push_back({px, py, dir * (70 + r.Range(0, 110)) + (r.Unit() - 0.5f) * 50, -(25 + r.Range(0, 45)) * 1.0f,
                          i < 4 ? 2 : 3 + r.Range(0, 3), i < 4});
    }
    struct Puff {
        float x, y, r;
    };
    std::vector<Puff> puffs;
    for (int i = 0; i < 6; ++i) puffs.push_back({bx + 2.0f + i * 2.5f, by + 10.0f + (i % 2) * 3, 2.0f + (i % 3)});

    const float dt = 0.1f, gravity = 500.0f, floor = h - 1.0f;
    for (int f = 1; f < frames; ++f) {
        Canvas c(w, h);
        float fade = f < 5 ? 1.0f : 1.0f - (f - 4) / 4.5f;
        // dust, growing and thinning
        for (const Puff& p : puffs) {
            float rad = p.r + f * 1.2f;
            int alpha = static_cast<int>(std::max(0.0f, 150.0f - f * 22.0f));
            c.FillCircle(p.x + (p.x - (bx + 8)) * f * 0.25f, p.y - f * 0.6f, rad, WithAlpha(Hex("e8e0d4"), alpha));
        }
        // The first frame shows the crate just bursting, still in its shape.
        float step = f == 1 ? 0.03f : dt;
        for (Piece& p : pieces) {
            p.vy += gravity * step;
            p.x += p.vx * step;
            p.y += p.vy * step;
            if (p.y > floor - 1) {  // bounce once, then slide
                p.y = floor - 1;
                p.vy = -p.vy * 0.3f;
                p.vx *= 0.5f;
            }
            int x = Round(p.x), y = Round(p.y);
            bool vertical = ((f + p.len) % 3) == 0;
            Rgba body = p.steel ? kSteel : kWood;
            Rgba lit = p.steel ? kSteelLight : kWoodLight;
            Canvas bit(6, 6);
            if (vertical) {
                bit.FillRect(2, 1, 2, p.len, body);
                bit.Set(2, 1, lit);
            } else {
                bit.FillRect(1, 2, p.len, 2, body);
                bit.FillRect(1, 2, p.len, 1, lit);
            }
            bit.Outline(kInk);
            for (int yy = 0; yy < 6; ++yy)
                for (int xx = 0; xx < 6; ++xx) {
                    Rgba px = bit.Get(xx, yy);
                    if (px.a) c.Blend(x - 2 + xx, y - 2 + yy, WithAlpha(px, static_cast<int>(255 * fade)));
                }
        }
        out.push_back(c);
    }
    return Strip(out);
}

// ---- door -------------------------------------------------------------

// 11 frames of 28 x 44: shut, then swinging inward on its left hinge onto
// a warm lit room.
Canvas Door() {
    const int w = 28, h = 44;
    const Rgba stone = Hex("a9aec4"), stoneLight = Hex("d4d8e6"), stoneDark = Hex("6c7290");
    const Rgba plank = Hex("9a5a34"), plankLight = Hex("c07a48"), plankDark = Hex("6a3a24"), iron = Hex("3a3648");
    const Rgba roomDark = Hex("2a1f2e"), glow = Hex("ffe7a0"), glowHot = Hex("fff8e0");
    // the opening: columns 5-22, rows 9-43, round at the top
    auto inOpening = [](int x, int y) {
        if (x < 5 || x > 22 || y > 43) return false;
        if (y >= 18) return true;
        float dx = x + 0.5f - 14.0f, dy = y + 0.5f - 18.0f;
        return dx * dx + dy * dy <= 9.2f * 9.2f;
    };
    auto inArch = [](int x, int y) {
        if (x < 1 || x > 26 || y > 43) return false;
        if (y >= 18) return true;
        float dx = x + 0.5f - 14.0f, dy = y + 0.5f - 18.0f;
        return dx * dx + dy * dy <= 13.2f * 13.2f;
    };
    std::vector<Canvas> out;
    for (int f = 0; f < 11; ++f) {
        float open = f == 0 ? 0.0f : std::min(1.0f, f / 9.0f);
        float angle = open * 1.45f;  // radians the panel has turned
        int panelW = Round(18 * Cos(angle));
        Canvas c(w, h);
        // stone arch with blocks
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                if (!inArch(x, y)) continue;
                bool seam = (y % 6 == 0 && y > 16) || (x % 9 == 4 && y > 16 && (y / 6) % 2 == 0) ||
                            (x % 9 == 0 && y > 16 && (y / 6) % 2 == 1);
                Rgba col = seam ? stoneDark : (Hash01(x, y, 5) < 0.1f ? stoneLight : stone);
                c.Set(x, y, col);
            }
        // keystone
        c.FillRect(12, 1, 4, 5, stoneLight);
        c.FillRect(12, 5, 4, 1, stoneDark);
        // the room behind, lit more as the door opens
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                if (!inOpening(x, y)) continue;
                float lightness = open * (0.55f + 0.45f * (y - 9) / 34.0f);
                Rgba col = Mix(roomDark, glow, std::clamp(lightness, 0.0f, 1.0f));
                if (open > 0.8f && x > 9 && x < 18 && y > 22) col = Mix(col, glowHot, (open - 0.8f) * 4);
                c.Set(x, y, col);
            }
        // the panel, hinged at column 5
        if (panelW > 0) {
            float shade = 1.0f - open * 0.45f;
            for (int y = 9; y < h; ++y)
                for (int x = 5; x < 5 + panelW; ++x) {
                    if (!inOpening(x, y) && !(f > 0 && y >= 9 && x <= 22)) continue;
                    int u = (x - 5) * 18 / std::max(panelW, 1);  // position across the shut panel
                    // Near the top the round opening clips the panel; while it
                    // swings it may stand in front of the arch a little.
                    if (!inOpening(5 + u, y)) continue;
                    Rgba col = (u % 6 == 5) ? plankDark : (u % 6 == 0 ? plankLight : plank);
                    if (y == 16 || y == 34) col = iron;
                    c.Set(x, y, Shade(col, shade));
                }
            // ring handle, on the far edge of the panel
            int hx = 5 + std::max(panelW - 4, 0);
            if (panelW > 5) {
                c.Set(hx, 26, Hex("f2c14a"));
                c.Set(hx + 1, 27, Hex("f2c14a"));
                c.Set(hx, 28, Hex("f2c14a"));
                c.Set(hx - 1, 27, Hex("f2c14a"));
            }
            // the panel's edge turns toward the viewer as it opens
            if (f > 0)
                for (int y = 10; y < h; ++y)
                    if (inOpening(5 + panelW, y)) c.Set(5 + panelW, y, Shade(plankDark, 0.8f));
        }
        // threshold step
        c.FillRect(3, h - 2, 22, 2, stoneDark);
        c.FillRect(3, h - 2, 22, 1, stone);
        c.Outline(kInk);
        // light spilling out once open
        if (open > 0.3f)
            for (int y = 30; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    if (!c.Opaque(x, y) && x > 2 && x < 25)
                        c.Blend(x, y, WithAlpha(glow, static_cast<int>((open - 0.3f) * 60)));
        out.push_back(c);
    }
    return Strip(out);
}

// ---- key --------------------------------------------------------------

const Rgba kGoldLight = Hex("fff4a8"), kGold = Hex("f6c443"), kGoldDark = Hex("c5861f"), kGoldInk = Hex("4e2a12");

// The key seen turned by `angle` about its long axis: the bow narrows to an
// edge, the bit flips to the other side. 19 x 17, shaft on row 8.
Canvas KeyFrame(float angle, bool sparkle) {
    Canvas c(19, 17);
    float k = Cos(angle);
    float sy = std::max(std::abs(k), 0.14f);
    bool back = k < 0;
    Rgba body = back ? kGoldDark : kGold;
    Rgba lit = back ? kGold : kGoldLight;
    const float cy = 8.5f;
    // bow: a ring
    for (int y = 0; y < 17; ++y)
        for (int x = 0; x < 19; ++x) {
            float dx = x + 0.5f - 5.0f, dy = (y + 0.5f - cy) / sy;
            float d2 = dx * dx + dy * dy;
            if (d2 <= 4.3f * 4.3f && d2 >= 1.7f * 1.7f) c.Set(x, y, (dy < 0 && dx < 1) ? lit : body);
        }
    // shaft
    c.FillRect(9, 8, 8, 2, body);
    c.FillRect(9, 8, 8, 1, lit);
    // bit: two teeth below the shaft (above it when seen from the back)
    int teeth[][2] = {{12, 3}, {15, 4}};
    for (auto& t : teeth) {
        int len = std::max(1, Round(t[1] * std::abs(k)));
        for (int i = 0; i < len; ++i) {
            int y = k >= 0 ? 10 + i : 7 - i;
            c.Set(t[0], y, body);
            c.Set(t[0] + 1, y, Shade(body, 0.85f));
        }
    }
    c.Outline(kGoldInk);
    if (sparkle) {
        c.Set(3, 2, Hex("ffffff"));
        c.Set(2, 2, kGoldLight);
        c.Set(4, 2, kGoldLight);
        c.Set(3, 1, kGoldLight);
        c.Set(3, 3, kGoldLight);
    }
    return c;
}

Canvas Key() {
    std::vector<Canvas> frames;
    for (int i = 0; i < 8; ++i) frames.push_back(KeyFrame(i * kPi / 4, i == 0 || i == 1));
    return Strip(frames);
}

// A small key lying diagonally, for the HUD slot.
Canvas SmallKey(Rgba body, Rgba lit, Rgba ink) {
    Canvas c(14, 14);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 9; ++x) {
            float dx = x + 0.5f - 4.5f, dy = y + 0.5f - 4.5f, d2 = dx * dx + dy * dy;
            if (d2 <= 3.7f * 3.7f && d2 >= 1.5f * 1.5f) c.Set(x, y, body);
        }
    c.Line(6, 6, 12, 12, body, 2);
    c.Set(3, 2, lit);
    c.Set(2, 3, lit);
    c.Line(7, 7, 11, 11, lit);
    c.Line(10, 12, 11, 13, body);  // teeth
    c.Line(12, 10, 13, 11, body);
    c.Outline(ink);
    return c;
}

// 2 frames of 18 x 18: an empty key slot, and the slot holding the key.
Canvas KeyIcon() {
    std::vector<Canvas> frames;
    for (int on = 0; on < 2; ++on) {
        Canvas c(18, 18);
        c.FillRect(1, 0, 16, 18, Hex("1c1a2bd0"));
        c.FillRect(0, 1, 18, 16, Hex("1c1a2bd0"));
        c.FillRect(2, 1, 14, 16, Hex("33304ae0"));
        c.FillRect(1, 2, 16, 14, Hex("33304ae0"));
        // bevel
        for (int i = 2; i < 16; ++i) {
            c.Set(i, 1, Hex("4a4668"));
            c.Set(1, i, Hex("4a4668"));
        }
        if (on) {
            c.Blit(SmallKey(kGold, kGoldLight, kGoldInk), 2, 2);
            c.Set(14, 3, Hex("ffffff"));
            c.Set(13, 3, kGoldLight);
            c.Set(15, 3, kGoldLight);
            c.Set(14, 2, kGoldLight);
            c.Set(14, 4, kGoldLight);
        } else {
            c.Blit(SmallKey(Hex("5c587a"), Hex("6e6a8e"), Hex("24223a")), 2, 2);
        }
        frames.push_back(c);
    }
    return Strip(frames);
}

// ---- marker -----------------------------------------------------------

// 4 frames of 9 x 9: a down-pointing arrow turning about its upright axis.
Canvas ArrowMark() {
    std::vector<Canvas> frames;
    const float widths[] = {1.0f, 0.6f, 0.15f, 0.6f};
    for (int f = 0; f < 4; ++f) {
        Canvas c(9, 9);
        bool back = f == 3;
        Rgba body = back ? Hex("e0b030") : Hex("ffe45a"), lit = back ? Hex("ffe45a") : Hex("fffbd0");
        float s = widths[f];
        auto span = [&](int y, float half) {
            int lo = Round(4.5f - half * s - 0.01f), hi = Round(4.5f + half * s + 0.01f) - 1;
            if (hi < lo) lo = hi = 4;
            for (int x = lo; x <= hi; ++x) c.Set(x, y, x == lo && hi > lo ? lit : body);
        };
        for (int y = 1; y <= 3; ++y) span(y, 1.5f);  // stem
        span(4, 3.5f);
        span(5, 2.5f);
        span(6, 1.5f);
        span(7, 0.5f);
        c.Outline(kInk);
        frames.push_back(c);
    }
    return Strip(frames);
}

// ---- flower -----------------------------------------------------------

// 3 frames of 9 x 10: a flower leaning left, upright, leaning right.
Canvas Flower() {
    std::vector<Canvas> frames;
    const Rgba petal = Hex("ff6f91"), petalLight = Hex("ffb3c6"), heart = Hex("ffd84a");
    const Rgba stem = Hex("4f9a58"), leaf = Hex("6cc266");
    for (int f = 0; f < 3; ++f) {
        int lean = f - 1;
        Canvas c(9, 10);
        // stem from the ground to the head
        c.Set(4, 9, stem);
        c.Set(4, 8, stem);
        c.Set(4 + (lean != 0 ? lean : 0), 7, stem);
        c.Set(4 + lean, 6, stem);
        c.Set(3, 8, leaf);
        c.Set(5, 7, leaf);
        // head centred at (4 + lean, 3)
        int hx = 4 + lean, hy = 3;
        for (auto [dx, dy] : {std::pair{-1, 0}, std::pair{1, 0}, std::pair{0, -1}, std::pair{0, 1}, std::pair{-1, -1},
                              std::pair{1, -1}, std::pair{-1, 1}, std::pair{1, 1}})
            c.Set(hx + dx, hy + dy, (dy < 0) ? petalLight : petal);
        c.Set(hx - 2, hy, petal);
        c.Set(hx + 2, hy, petal);
        c.Set(hx, hy - 2, petalLight);
        c.Set(hx, hy, heart);
        c.Outline(kInk);
        // the stem meets the ground: no outline under it
        for (int x = 0; x < 9; ++x)
            if (c.Get(x, 9) == kInk) c.Set(x, 9, kClear);
        frames.push_back(c);
    }
    return Strip(frames);
}

// ---- waterfalls -------------------------------------------------------

const Rgba kWaterDeep = Hex("2f6fc4"), kWater = Hex("4f96e0"), kWaterLight = Hex("9fd6ff"), kFoam = Hex("f2fbff");

// The falling water's colour at (x, y) of frame f: streaks that run down
// 16 pixels over the 5 frames, so the loop is seamless.
Rgba Falling(int x, int y, int f) {
    int shift = (f * 16 + 2) / 5;
    int yy = ((y - shift) % 16 + 16) % 16;
    float n = Hash01(x, yy / 3, 91);
    Rgba col = kWater;
    if (x <= 1 || x >= 14)
        col = kWaterDeep;
    else if (n > 0.72f)
        col = kWaterLight;
    else if (n < 0.18f)
        col = kWaterDeep;
    if ((x == 4 || x == 10) && (yy % 8) < 3) col = kFoam;
    return col;
}

Canvas Waterfall(int part) {
    std::vector<Canvas> frames;
    for (int f = 0; f < 5; ++f) {
        Canvas c(16, 16);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                if (part == 0 && y < 5) continue;
                c.Set(x, y, Falling(x, y, f));
            }
        if (part == 0) {
            // the crest where the water tips over the edge
            for (int x = 0; x < 16; ++x) {
                int top = 5 + ((x + f) % 4 == 0 ? 1 : 0);
                for (int y = 0; y < top; ++y) c.Set(x, y, kClear);
                c.Set(x, top, kFoam);
                c.Set(x, top + 1, (x + f) % 3 ? kWaterLight : kFoam);
            }
        } else if (part == 2) {
            // churning foam where the water lands
            Random r(500 + f);
            for (int i = 0; i < 26; ++i) {
                float px = r.Range(0, 15), py = 7 + r.Range(0, 7);
                c.FillCircle(px + 0.5f, py + 0.5f, 1.2f + r.Unit() * 1.6f, i % 4 ? kFoam : kWaterLight);
            }
            for (int i = 0; i < 5; ++i) {  // spray above the pool
                int px = r.Range(0, 15), py = r.Range(3, 7);
                c.Set(px, py, kFoam);
            }
            for (int x = 0; x < 16; ++x) c.Set(x, 15, kWaterLight);
        }
        frames.push_back(c);
    }
    return Strip(frames);
}

// ---- speech bubble ----------------------------------------------------

// The bubble is stretched to fit its text in both directions, so it is
// small, plain and has no thin lines: a dark, slightly see-through body
// with cut corners and a tail under the middle.
Canvas Bubble() {
    Canvas c(16, 12);
    const Rgba body = Hex("1d1b30e6"), rim = Hex("3c3a5ce6");
    c.FillRect(1, 0, 14, 9, body);
    c.FillRect(0, 1, 16, 7, body);
    c.FillRect(1, 0, 14, 1, rim);
    c.FillRect(6, 9, 4, 1, body);
    c.FillRect(7, 10, 2, 1, body);
    c.FillRect(7, 11, 1, 1, body);
    return c;
}

// ---- static -----------------------------------------------------------

// 4 frames of 320 x 90 of grey television static with scan lines and a
// rolling bright band.
Canvas Noise() {
    const int w = 320, h = 90;
    std::vector<Canvas> frames;
    for (int f = 0; f < 4; ++f) {
        Canvas c(w, h);
        Random r(9000 + f);
        int band = (f * 23 + 10) % h;
        for (int y = 0; y < h; ++y) {
            float line = (y % 2) ? 0.8f : 1.0f;
            int d = std::abs(y - band);
            float bandBoost = d < 6 ? 0.25f * (6 - d) / 6.0f : 0.0f;
            int tear = (r.Next() % 23 == 0) ? r.Range(-8, 8) : 0;
            for (int x = 0; x < w; ++x) {
                float v = r.Unit();
                v = v * v * 0.9f + 0.1f;
                v = std::min(1.0f, v * line + bandBoost);
                auto g = static_cast<std::uint8_t>(v * 235);
                std::uint8_t tint = static_cast<std::uint8_t>(std::min(255, g + 12));
                c.Set((x + tear + w) % w, y, {g, g, tint, 255});
            }
        }
        frames.push_back(c);
    }
    return Strip(frames);
}

// ---- snow -------------------------------------------------------------

Canvas SnowFlake() {
    Canvas c(4, 4);
    const Rgba soft = Hex("e4ecfaa0"), core = Hex("ffffff");
    c.FillRect(1, 0, 2, 4, soft);
    c.FillRect(0, 1, 4, 2, soft);
    c.FillRect(1, 1, 2, 2, core);
    return c;
}

Canvas SnowDust() {
    Canvas c(6, 6);
    c.FillCircle(3.0f, 3.0f, 2.9f, Hex("eef3fc70"));
    c.FillCircle(3.0f, 3.0f, 1.9f, Hex("f6f9ffc0"));
    c.FillCircle(2.6f, 2.6f, 0.9f, Hex("ffffff"));
    return c;
}
}  // namespace

void MakeObjects(const SpriteBook&, ImageOutput& out) {
    out.Texture("box.png", Crate());
    out.Texture("box_break.png", BoxBreak(), 77, 23);
    out.Texture("door.png", Door(), 28, 44);
    out.Texture("key.png", Key(), 19, 17);
    out.Texture("key_icon.png", KeyIcon(), 18, 18);
    out.Texture("arrow_mark.png", ArrowMark(), 9, 9);
    out.Texture("flower_1.png", Flower(), 9, 10);
    out.Texture("waterfall_top.png", Waterfall(0), 16, 16);
    out.Texture("waterfall_body.png", Waterfall(1), 16, 16);
    out.Texture("waterfall_bottom.png", Waterfall(2), 16, 16);
    out.Texture("bubble.png", Bubble());
    out.Texture("noise.png", Noise(), 320, 90);
    out.Texture("snow.png", SnowFlake());
    out.Texture("snowdust.png", SnowDust());
}

}  // namespace datagen
