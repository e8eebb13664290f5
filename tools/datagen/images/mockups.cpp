// mockups.cpp — review pictures of the art as play shows it: both worlds in
// their 320 x 90 windows, one above the other like the split screen, at the
// window's 3 x 3 screen pixels per virtual pixel, with text set at the label
// scales the game uses (sampled texel by texel, as the renderer does).
#include <algorithm>
#include <cmath>

#include "datagen/images/art.h"

namespace datagen {
namespace {
constexpr int kScreen = 3;  // screen pixels per virtual pixel

// Text at a label scale onto a screen-resolution canvas: each screen pixel
// takes the font pixel under its centre, as nearest sampling does.
void ScaledText(Canvas& screen, const BitmapFont& font, float vx, float vy, const std::string& text, float scale,
                Rgba colour) {
    // the glyphs at one font pixel per pixel, then sampled
    Canvas line(font.TextWidth(text) + 2, font.LineHeight());
    font.Draw(line, 0, 0, text, colour);
    float step = font.Block() * scale * kScreen;  // screen pixels per font pixel
    int x0 = static_cast<int>(vx * kScreen), y0 = static_cast<int>(vy * kScreen);
    for (int sy = 0; sy < static_cast<int>(line.Height() * step) + 1; ++sy)
        for (int sx = 0; sx < static_cast<int>(line.Width() * step) + 1; ++sx) {
            int fx = static_cast<int>(std::floor((sx + 0.5f) / step)),
                fy = static_cast<int>(std::floor((sy + 0.5f) / step));
            Rgba p = line.Get(fx, fy);
            if (p.a) screen.Blend(x0 + sx, y0 + sy, p);
        }
}

// A world window: 320 x 90 of a map 10 tiles high whose bottom two rows
// are ground, seen with the camera at the bottom.
Canvas World(const ImageOutput& out, bool warm) {
    const std::string p = warm ? "alt_" : "";
    const int mapH = 160, top = mapH - 90;  // map rows shown
    Canvas map(320, mapH);
    map.FillRect(0, 0, 320, mapH, warm ? Rgba{251, 236, 163, 255} : Rgba{187, 218, 232, 255});
    const Canvas& far = out.Find(p + "background1_parallax.png");
    const Canvas& near = out.Find(p + "background2_parallax.png");
    map.Blit(far, 0, mapH - far.Height());
    map.Blit(near, -20, mapH - near.Height() + 32);
    int treeX = 0;
    for (int i = 0; treeX < 320; ++i) {
        const Canvas& t = out.Find(p + "parallaxtree" + std::to_string(1 + (i * 3) % 4) + ".png");
        map.Blit(t, treeX, mapH - t.Height());
        treeX += t.Width() + (i % 3) * 11;
    }
    const std::string tiles = p + "tileset.png";
    auto tile = [&](int index, int col, int row) {
        map.Blit(Cell(out.Find(tiles), index, 16, 16), col * 16, row * 16);
    };
    // ground with a step up on the right and a floating ledge
    for (int c = 0; c < 20; ++c) {
        bool high = c >= 13;
        int groundRow = high ? 7 : 8;
        tile(high ? (c == 13 ? 1 : 2) : 2, c, groundRow);
        for (int r = groundRow + 1; r < 10; ++r) tile((c * 7 + r) % 5 == 0 ? 14 : 9, c, r);
        if (c == 13) tile(8, c, 8);
    }
    tile(12, 13, 8);
    tile(5, 6, 6);
    tile(6, 7, 6);
    tile(7, 8, 6);
    tile(24, 2, 7);
    tile(26, 4, 7);
    tile(28, 10, 7);
    tile(29, 11, 7);
    tile(31, 15, 6);
    tile(27, 18, 6);
    map.Blit(out.Find(p + "tree1.png"), 40, 128 - 56);
    map.Blit(out.Find(p + "tree2.png"), 270, 112 - 56);
    map.Blit(Cell(out.Find("door.png"), 0, 28, 44), 226, 112 - 44);
    map.Blit(out.Find("box.png"), 180, 112);
    map.Blit(Cell(out.Find("box_break.png"), 0, 77, 23), 104 - 38, 96 - 23);
    map.Blit(Cell(out.Find("key.png"), 1, 19, 17), 130, 80);
    map.Blit(Cell(out.Find("flower_1.png"), 1, 9, 10), 20, 118);
    map.Blit(Cell(out.Find(warm ? "char2_spritesheet.png" : "char1_spritesheet.png"), warm ? 9 : 16, 16, 25), 150,
             128 - 25);
    map.Blit(Cell(out.Find("arrow_mark.png"), 0, 9, 9), 154, 128 - 25 - 12);
    if (!warm) {
        // snow: caps of mixed depths on the ground, flakes in the air
        for (int col = 0; col < 13; ++col)
            map.Blit(Cell(out.Find("snowset.png"), (col * 5 + 1) % 9, 16, 16), col * 16, 8 * 16);
        for (int col = 13; col < 20; ++col)
            map.Blit(Cell(out.Find("snowset.png"), (col * 4 + 3) % 9, 16, 16), col * 16, 7 * 16);
        Random r(5);
        for (int i = 0; i < 40; ++i) map.Blit(out.Find("snow.png"), r.Range(0, 319), r.Range(top, 150));
        map.Blit(out.Find("snowdust.png"), 146, 124);
        map.Blit(out.Find("snowdust.png"), 141, 121);
    }
    // the other world's character, as the translucent ghost
    Canvas ghost = Cell(out.Find(warm ? "char1_spritesheet.png" : "char2_spritesheet.png"), 0, 16, 25);
    for (int y = 0; y < 25; ++y)
        for (int x = 0; x < 16; ++x) {
            Rgba g = ghost.Get(x, y);
            if (g.a) map.Blend(100 + x, 128 - 25 + y, WithAlpha(g, 77));
        }
    return map.Crop(0, top, 320, 90);
}

Canvas Window(const ImageOutput& out, const GameFonts& fonts, bool warm) {
    Canvas screen = World(out, warm).Scaled(kScreen);
    // a speech bubble over the character: label at 0.4, bubble stretched
    const std::string say = warm ? "It's not opening.\nAm I missing something?" : "I need the key...";
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t nl; (nl = say.find('\n', start)) != std::string::npos; start = nl + 1)
        lines.push_back(say.substr(start, nl - start));
    lines.push_back(say.substr(start));
    const float scale = 0.4f;
    float lh = fonts.text.LineHeight() * fonts.text.Block() * scale;
    float textW = 0;
    for (const auto& l : lines) textW = std::max(textW, fonts.text.TextWidth(l) * fonts.text.Block() * scale);
    float textH = lh * lines.size();
    const Canvas& bubble = out.Find("bubble.png");
    float bw = textW + 8, bh = textH + 8;
    float cx = 92, cy = 24;
    Canvas stretched = bubble.Resized(static_cast<int>(bw * kScreen), static_cast<int>(bh * kScreen));
    screen.Blit(stretched, static_cast<int>((cx - bw / 2) * kScreen), static_cast<int>((cy - bh / 2) * kScreen));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        float w = fonts.text.TextWidth(lines[i]) * fonts.text.Block() * scale;
        ScaledText(screen, fonts.text, std::trunc(cx - w / 2), std::trunc(cy - textH / 2 + i * lh), lines[i], scale,
                   {255, 255, 255, 255});
    }
    // a sign's text at 0.25 with its one-pixel shadow
    const std::string sign = "Push boxes down\nto the other world!";
    float sy = 96 - 70 - 22;
    int n = 0;
    start = 0;
    std::string rest = sign + "\n";
    for (std::size_t nl; (nl = rest.find('\n', start)) != std::string::npos; start = nl + 1, ++n) {
        std::string l = rest.substr(start, nl - start);
        float w = fonts.text.TextWidth(l) * fonts.text.Block() * 0.25f;
        float x = std::trunc(248 - w / 2), y = std::trunc(sy + n * 10);
        ScaledText(screen, fonts.text, x + 1, y + 1, l, 0.25f, {0, 0, 0, 255});
        ScaledText(screen, fonts.text, x, y, l, 0.25f, {255, 255, 255, 255});
    }
    // the key slot of the HUD at the top right
    screen.Blit(Cell(out.Find("key_icon.png"), warm ? 1 : 0, 18, 18).Scaled(kScreen), (304 - 9) * kScreen,
                (10 - 9) * kScreen);
    return screen;
}

// The pause menu over the split screen: title at (0.4, 0.5), options at 0.4.
void Menu(Canvas& screen, const GameFonts& fonts) {
    const int mx = 160 - 60, my = 90 - 50;
    screen.FillRect(mx * kScreen, my * kScreen, 120 * kScreen, 100 * kScreen, {0, 0, 0, 255});
    screen.FillRect((160 - 55) * kScreen, (90 - 16 - 8) * kScreen, 110 * kScreen, 16 * kScreen, {96, 96, 96, 255});
    auto centred = [&](const std::string& t, float y, float scale, Rgba c) {
        float w = fonts.title.TextWidth(t) * fonts.title.Block() * scale;
        float h = fonts.title.LineHeight() * fonts.title.Block() * scale;
        ScaledText(screen, fonts.title, std::trunc(160 - w / 2), std::trunc(90 + y - h / 2), t, scale, c);
    };
    centred("- PAUSE -", -34, 0.45f, {255, 180, 0, 255});
    const char* options[] = {"RESUME GAME", "RESET STAGE", "SOUND", "TITLE SCREEN"};
    for (int i = 0; i < 4; ++i) centred(options[i], -16 + 16 * i, 0.4f, {255, 255, 255, 255});
    screen.FillRect((160 - 43) * kScreen, (90 + 16 - 7) * kScreen, 14 * kScreen, 14 * kScreen, {60, 60, 60, 255});
    screen.FillRect((160 - 41) * kScreen, (90 + 16 - 5) * kScreen, 10 * kScreen, 10 * kScreen, {255, 255, 255, 255});
}
}  // namespace

void MakeMockups(const GameFonts& fonts, ImageOutput& out) {
    Canvas screen(320 * kScreen, 180 * kScreen);
    screen.Blit(Window(out, fonts, false), 0, 0);
    screen.Blit(Window(out, fonts, true), 0, 90 * kScreen);
    out.Preview("mock_play.png", screen);
    Menu(screen, fonts);
    out.Preview("mock_pause.png", screen);
    // the title screen with its prompt at 1/3
    Canvas title = out.Find("title.png").Scaled(kScreen);
    const std::string prompt = "PRESS ENTER TO START";
    float w = fonts.title.TextWidth(prompt) * fonts.title.Block() / 3.0f;
    ScaledText(title, fonts.title, std::trunc(160 + 64 - w / 2), std::trunc(90 + 62 - 5), prompt, 1.0f / 3,
               {251, 229, 163, 255});
    out.Preview("mock_title.png", title);
    Canvas outro = out.Find("outro.png").Scaled(kScreen);
    const std::string thanks = "Thanks for playing this Demo!";
    w = fonts.text.TextWidth(thanks) * fonts.text.Block() * 0.25f;
    ScaledText(outro, fonts.text, std::trunc(160 - 80 - w / 2), std::trunc(90 - 24 - 5), thanks, 0.25f,
               {255, 255, 255, 255});
    w = fonts.title.TextWidth("PRESS ENTER") * fonts.title.Block() / 3.0f;
    ScaledText(outro, fonts.title, std::trunc(160 - 54 - w / 2), std::trunc(90 + 52 - 5), "PRESS ENTER", 1.0f / 3,
               {187, 218, 232, 255});
    out.Preview("mock_outro.png", outro);
}

}  // namespace datagen
