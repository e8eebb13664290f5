// fonts.cpp — the game's two bitmap fonts and the default font strip.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "datagen/images/art.h"

namespace datagen {
namespace {
bool LoadFont(const std::filesystem::path& file, BitmapFont& font) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    if (!in) {
        std::fprintf(stderr, "fonts: cannot read %s\n", file.string().c_str());
        return false;
    }
    return font.Parse(text.str(), file.filename().string());
}

void WriteFont(const BitmapFont& font, ImageOutput& out) {
    Canvas page;
    std::string fnt;
    std::string pageName = font.Name() + "_0.png";
    font.Build(pageName, page, fnt);
    out.Texture(pageName, page);
    out.DataText(font.Name() + ".fnt", fnt);
}

// The strip the drawing layer loads at start-up: 96 cells for the codes 32 to
// 127, each with one spare column on either side.
Canvas DefaultFontStrip(const BitmapFont& font) {
    const int inner = 6, cell = inner + 2;
    Canvas strip(cell * 96, font.LineHeight());
    for (int code = 32; code < 128; ++code) {
        std::string ch(1, static_cast<char>(code));
        if (!font.Has(static_cast<char32_t>(code))) continue;
        int w = font.TextWidth(ch) - 1;  // without the spacing column
        int x = (code - 32) * cell + 1 + (inner - w) / 2;
        font.Draw(strip, x, 0, ch, {255, 255, 255, 255});
    }
    return strip;
}
}  // namespace

bool LoadFonts(const std::filesystem::path& folder, GameFonts& fonts) {
    return LoadFont(folder / "moder_dos_437.txt", fonts.title) && LoadFont(folder / "v5_loxica.txt", fonts.text);
}

void MakeFonts(const GameFonts& fonts, ImageOutput& out) {
    WriteFont(fonts.title, out);
    WriteFont(fonts.text, out);
    out.Plain("vela_font.png", DefaultFontStrip(fonts.text), 8, fonts.text.LineHeight());
}

}  // namespace datagen
