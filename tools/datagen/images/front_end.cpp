// front_end.cpp — the pictures around the levels: the title ("title.png",
// 320 x 180), the ending ("outro.png", 320 x 180), the two studio logos of
// the 640 x 360 intro ("oxbrook.png", "vintor.png"), the falling leaf of
// the title ("leaf_1.png", 33 frames of 26 x 39) and the language flags
// ("flags.png", 10 cells of 16 x 14).
//
// The title and the ending are composed from the game's own art (tiles,
// trees, far layers, the characters), so they show the game as it is.
// Where the game writes text over them the picture is kept dark and calm.
#include <algorithm>
#include <vector>

#include "datagen/images/art.h"
#include "datagen/images/pixel_math.h"

namespace datagen {
namespace {
const Rgba kInk = Hex("1c1a2b");

void VerticalGradient(Canvas& c, int y0, int y1, Rgba top, Rgba bottom, int bands = 8) {
    // Banded, the way a small palette would show it, with an ordered dither
    // where one band meets the next.
    static const int bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    for (int y = y0; y < y1; ++y) {
        float t = static_cast<float>(y - y0) / std::max(1, y1 - y0 - 1) * bands;
        for (int x = 0; x < c.Width(); ++x) {
            float threshold = (bayer[y % 4][x % 4] + 0.5f) / 16.0f;
            float band = std::floor(t + threshold - 0.5f);
            c.Set(x, y, Mix(top, bottom, std::clamp(band / bands, 0.0f, 1.0f)));
        }
    }
}

// Big lettering: the title font scaled up, with a gradient face, a dark
// outline and a drop shadow.
Canvas Lettering(const BitmapFont& font, const std::string& text, int pixel, Rgba top, Rgba bottom, Rgba shadow) {
    int w = font.TextWidth(text) * pixel + 8, h = font.LineHeight() * pixel + 8;
    Canvas face(w, h);
    font.Draw(face, 3, 2, text, {255, 255, 255, 255}, pixel);
    int y0 = h, y1 = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (face.Opaque(x, y)) {
                y0 = std::min(y0, y);
                y1 = std::max(y1, y);
            }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (face.Opaque(x, y)) {
                float t = static_cast<float>(y - y0) / std::max(1, y1 - y0);
                Rgba col = Mix(top, bottom, std::floor(t * 5) / 5);
                // a lit rim along the top of each stroke
                if (!face.Opaque(x, y - 1)) col = Mix(col, Hex("ffffff"), 0.6f);
                face.Set(x, y, col);
            }
    Canvas out(w, h);
    Canvas drop = face;
    drop.Tint(shadow);
    drop.Outline(shadow, true);
    out.Blit(drop, 2, 2);
    Canvas outlined = face;
    outlined.Outline(kInk, true);
    out.Blit(outlined, 0, 0);
    return out;
}

// One of the two worlds as a 320 x 90 strip: sky, far and near layers,
// ground of the world's tiles from row `groundY` down.
Canvas WorldStrip(const ImageOutput& out, bool warm, int groundY, float darkenGround) {
    const std::string p = warm ? "alt_" : "";
    Canvas c(320, 90);
    Rgba sky = warm ? Rgba{251, 236, 163, 255} : Rgba{187, 218, 232, 255};
    VerticalGradient(c, 0, 90, warm ? Hex("f7dc8e") : Hex("9cc8e0"), sky);
    const Canvas& far = out.Find(p + "background1_parallax.png");
    const Canvas& near = out.Find(p + "background2_parallax.png");
    c.Blit(far, warm ? -150 : -40, groundY + 20 - far.Height());
    c.Blit(near, warm ? -60 : -100, groundY + 34 - near.Height());
    // ground: a row of cap tiles and fill below
    const std::string tiles = p + "tileset.png";
    for (int x = 0; x < 320; x += 16) {
        Canvas top = Cell(out.Find(tiles), 2, 16, 16), fill = Cell(out.Find(tiles), (x / 16) % 5 == 2 ? 14 : 9, 16, 16);
        c.Blit(top, x, groundY);
        for (int y = groundY + 16; y < 90; y += 16) c.Blit(fill, x, y);
    }
    if (darkenGround < 1.0f)
        for (int y = groundY + 6; y < 90; ++y)
            for (int x = 0; x < 320; ++x) {
                float k = 1.0f - (1.0f - darkenGround) * std::min(1.0f, (y - groundY - 6) / 10.0f);
                c.Set(x, y, Shade(c.Get(x, y), k));
            }
    return c;
}

Canvas Title(const ImageOutput& out, const GameFonts& fonts) {
    Canvas c(320, 180);
    // Two windows, as in play: the cool world above, the warm one below.
    Canvas top = WorldStrip(out, false, 66, 1.0f);
    Canvas bottom = WorldStrip(out, true, 48, 0.42f);
    // dressing of the upper world
    top.Blit(out.Find("tree2.png"), 6, 66 - 56);
    top.Blit(out.Find("tree1.png"), 36, 66 - 56);
    top.Blit(Cell(out.Find("tileset.png"), 26, 16, 16), 80, 50);
    top.Blit(Cell(out.Find("door.png"), 0, 28, 44), 268, 66 - 44);
    top.Blit(out.Find("box.png"), 236, 50);
    top.Blit(Cell(out.Find("char1_spritesheet.png"), 0, 16, 25), 150, 66 - 25);
    // dressing of the lower world (kept clear of the name and the prompt)
    bottom.Blit(out.Find("alt_tree2.png"), 2, 48 - 56);
    bottom.Blit(out.Find("alt_tree3.png"), 272, 48 - 56);
    bottom.Blit(Cell(out.Find("alt_tileset.png"), 32, 16, 16), 150, 32);
    bottom.Blit(Cell(out.Find("alt_tileset.png"), 26, 16, 16), 112, 32);
    bottom.Blit(Cell(out.Find("char2_spritesheet.png"), 0, 16, 25), 64, 48 - 25);
    bottom.Blit(Cell(out.Find("key.png"), 0, 19, 17), 40, 20);
    c.Paste(top, 0, 0);
    c.Paste(bottom, 0, 90);
    // the seam between the two windows
    c.FillRect(0, 89, 320, 2, kInk);
    // the name across the seam
    Canvas name = Lettering(fonts.title, "ORBEL", 5, Hex("fff3b0"), Hex("f08a3a"), Hex("1c1a2b"));
    c.Blit(name, (320 - name.Width()) / 2 + 4, 60);
    Canvas demo = Lettering(fonts.title, "DEMO", 2, Hex("d8f4ff"), Hex("7ab8e0"), Hex("1c1a2b"));
    c.Blit(demo, 160 + name.Width() / 2 - demo.Width() + 4, 60 + name.Height() - 4);
    return c;
}

Canvas Outro(const ImageOutput& out) {
    Canvas c(320, 180);
    VerticalGradient(c, 0, 180, Hex("221c44"), Hex("f08a5a"), 12);
    // stars in the upper sky
    Random r(303);
    for (int i = 0; i < 70; ++i) {
        int x = r.Range(0, 319), y = r.Range(0, 90);
        c.Set(x, y, Mix(Hex("fff6d8"), Hex("8a80c0"), y / 100.0f));
        if (i % 9 == 0) {
            c.Set(x - 1, y, Hex("8a80c0"));
            c.Set(x + 1, y, Hex("8a80c0"));
        }
    }
    // setting sun behind the far hills
    c.FillCircle(250, 128, 22, Hex("ffc070"));
    c.FillCircle(250, 128, 17, Hex("ffe0a0"));
    auto hills = [&](int base, float amp, int seed, Rgba col) {
        Random rr(seed);
        float ph = rr.Unit() * 6;
        for (int x = 0; x < 320; ++x) {
            int top = base - Round(amp * Sin(x * 0.02f + ph) + amp * 0.4f * Sin(x * 0.061f + ph * 2));
            for (int y = top; y < 180; ++y) c.Set(x, y, col);
        }
    };
    hills(134, 8, 1, Hex("a0587a"));
    hills(146, 6, 2, Hex("6a3a64"));
    // the hill the two sit on, dark under the text
    for (int x = 0; x < 320; ++x) {
        float dx = (x - 240) / 90.0f;
        int top = std::min(180, Round(120 + dx * dx * 40));
        for (int y = top; y < 180; ++y) c.Set(x, y, y < top + 2 ? Hex("4a2a4e") : Hex("2a1a34"));
    }
    for (int x = 0; x < 320; ++x)
        for (int y = 150; y < 180; ++y) c.Set(x, y, Mix(c.Get(x, y), Hex("1a1226"), (y - 150) / 40.0f));
    // a tree of each world and the two friends
    Canvas tree = out.Find("tree1.png");
    tree.Tint(Hex("2a1a34"));
    c.Blit(tree, 176, 121 - 54);
    Canvas palm = out.Find("alt_tree1.png");
    palm.Tint(Hex("2a1a34"));
    c.Blit(palm, 280, 124 - 54);
    Canvas one = Cell(out.Find("char1_spritesheet.png"), 0, 16, 25).Scaled(2);
    Canvas two = Cell(out.Find("char2_spritesheet.png"), 0, 16, 25);
    Canvas twoMirrored(16, 25);
    twoMirrored.Blit(two, 0, 0, true);
    c.Blit(one, 212, 120 - 50 + 2);
    c.Blit(twoMirrored.Scaled(2), 240, 120 - 50 + 2);
    return c;
}

// A studio logo for the 640 x 360 intro, drawn at half size and doubled, so
// each picture pixel is three screen pixels there as in the rest of the game.
Canvas Oxbrook(const GameFonts& fonts) {
    Canvas c(120, 80);
    const Rgba horn = Hex("f4ead2"), head = Hex("c8885a"), headDark = Hex("94603c"), water = Hex("4fb0d8");
    // ox head: face, horns, muzzle
    c.FillEllipse(44, 10, 32, 30, head);
    c.FillEllipse(48, 26, 24, 16, Hex("e8b48a"));
    c.FillPolygon({46, 18, 30, 6, 28, 12, 40, 22}, horn);
    c.FillPolygon({74, 18, 90, 6, 92, 12, 80, 22}, horn);
    c.FillRect(52, 31, 3, 3, headDark);
    c.FillRect(65, 31, 3, 3, headDark);
    c.FillRect(51, 20, 3, 3, kInk);
    c.FillRect(66, 20, 3, 3, kInk);
    c.Outline(kInk);
    // the brook underneath
    for (int x = 26; x < 94; ++x) {
        int y = 43 + Round(1.5f * Sin(x * 0.35f));
        c.Set(x, y, water);
        c.Set(x, y + 1, Shade(water, 0.7f));
    }
    int w = fonts.title.TextWidth("OXBROOK") * 2;
    fonts.title.Draw(c, (120 - w) / 2, 52, "OXBROOK", Hex("f4ead2"), 2);
    return c.Scaled(2);
}

Canvas Vintor(const GameFonts& fonts) {
    Canvas c(120, 80);
    const Rgba grape = Hex("7a4ab8"), grapeLight = Hex("a884e0"), leaf = Hex("6cc266"), gold = Hex("f6c443");
    // a bunch of grapes under a leaf, in a ring
    for (int ring = 0; ring < 2; ++ring) {
        float rad = 24.0f - ring * 1.2f;
        for (int a = 0; a < 360; a += 2) {
            float rads = a * kPi / 180;
            c.Set(Round(60 + rad * Cos(rads)), Round(25 + rad * Sin(rads)), gold);
        }
    }
    const int rows[][2] = {{4, 12}, {3, 19}, {2, 26}, {1, 33}};
    for (const auto& row : rows)
        for (int i = 0; i < row[0]; ++i) {
            float x = 60 + (i - (row[0] - 1) / 2.0f) * 7, y = row[1] + 4;
            c.FillCircle(x, y, 3.6f, grape);
            c.FillCircle(x - 1, y - 1, 1.5f, grapeLight);
        }
    c.FillPolygon({60, 12, 72, 4, 78, 10, 68, 14}, leaf);
    c.Line(60, 12, 60, 8, Hex("8a5a3a"), 2);
    c.Outline(kInk);
    int w = fonts.title.TextWidth("VINTOR") * 2;
    fonts.title.Draw(c, (120 - w) / 2, 54, "VINTOR", Hex("f6c443"), 2);
    return c.Scaled(2);
}

// 33 frames of 26 x 39: one autumn leaf tumbling down to the bottom.
Canvas Leaf() {
    const Rgba body = Hex("e8873a"), lit = Hex("f8b860"), vein = Hex("a84a26");
    std::vector<Canvas> frames;
    for (int f = 0; f < 33; ++f) {
        float t = f / 32.0f;
        Canvas c(26, 39);
        float cx = 13 + 5 * Sin(t * 2 * kPi * 1.5f), cy = 5 + t * 28;
        float tilt = 0.7f * Cos(t * 2 * kPi * 1.5f);  // rocking
        float turn = Cos(t * 2 * kPi * 2.0f);         // turning over
        float sx = std::max(0.25f, std::abs(turn));
        if (f == 32) {  // resting
            tilt = 0.15f;
            sx = 1.0f;
            turn = 1.0f;
        }
        // leaf outline in its own frame: a pointed oval 10 long, 6 wide
        std::vector<float> shape;
        const int n = 14;
        for (int i = 0; i < n; ++i) {
            float a = 2 * kPi * i / n;
            float lx = 6.5f * Cos(a), ly = 3.8f * Sin(a) * (1 - 0.35f * Cos(a));
            lx *= sx;
            float rx = lx * Cos(tilt) - ly * Sin(tilt), ry = lx * Sin(tilt) + ly * Cos(tilt);
            shape.push_back(cx + rx);
            shape.push_back(cy + ry);
        }
        c.FillPolygon(shape, turn >= 0 ? body : Shade(body, 0.8f));
        // midrib and stalk
        float ex = 7.0f * sx;
        c.Line(Round(cx - ex * Cos(tilt)), Round(cy - ex * Sin(tilt)), Round(cx + (ex - 1) * Cos(tilt)),
               Round(cy + (ex - 1) * Sin(tilt)), vein);
        c.Set(Round(cx - 2 * Cos(tilt)), Round(cy - 2 * Sin(tilt) - 1), lit);
        c.Outline(Hex("4a2018"));
        frames.push_back(c);
    }
    return Strip(frames);
}

// 10 cells of 16 x 14: a Spanish flag waving (cells 0-4) and a British one
// (cells 5-9), each on a little pole. The cloths are 13 x 9 pixel designs,
// rippled column by column.
Canvas Flags() {
    const char* const spain[] = {"RRRRRRRRRRRRR", "RRRRRRRRRRRRR", "YYYYYYYYYYYYY", "YYYYYYYYYYYYY", "YYYCCYYYYYYYY",
                                 "YYYCCYYYYYYYY", "YYYYYYYYYYYYY", "RRRRRRRRRRRRR", "RRRRRRRRRRRRR"};
    const char* const uk[] = {"RWBBBWRWBBBWR", "WRWBBWRWBBWRW", "BWRWBWRWBWRWB", "WWWWWWRWWWWWW", "RRRRRRRRRRRRR",
                              "WWWWWWRWWWWWW", "BWRWBWRWBWRWB", "WRWBBWRWBBWRW", "RWBBBWRWBBBWR"};
    auto colour = [](char c) {
        switch (c) {
            case 'R': return Hex("d01c34");
            case 'Y': return Hex("ffc72c");
            case 'C': return Hex("a8452a");
            case 'W': return Hex("f6f4f0");
            default: return Hex("1f3f95");
        }
    };
    std::vector<Canvas> cells;
    for (int flag = 0; flag < 2; ++flag)
        for (int f = 0; f < 5; ++f) {
            Canvas c(16, 14);
            c.FillRect(0, 1, 1, 13, Hex("d8d0c0"));  // pole
            c.Set(0, 0, Hex("f6c443"));
            for (int i = 0; i < 13; ++i) {
                float phase = 2 * kPi * f / 5 - i * 0.55f;
                float amp = 0.3f + i * 0.07f;
                int off = Round(amp * Sin(phase));
                float light = 1.0f + 0.16f * Cos(phase);
                for (int j = 0; j < 9; ++j) {
                    char code = (flag == 0 ? spain : uk)[j][i];
                    c.Set(2 + i, 3 + j + off, Shade(colour(code), light));
                }
            }
            c.Outline(kInk);
            cells.push_back(c);
        }
    return Strip(cells);
}
}  // namespace

void MakeFrontEnd(const SpriteBook&, const GameFonts& fonts, ImageOutput& out) {
    out.Texture("title.png", Title(out, fonts));
    out.Texture("outro.png", Outro(out));
    out.Texture("oxbrook.png", Oxbrook(fonts));
    out.Texture("vintor.png", Vintor(fonts));
    out.Texture("leaf_1.png", Leaf(), 26, 39);
    out.Texture("flags.png", Flags(), 16, 14);
}

}  // namespace datagen
