// bitmap_font.h — the game's pixel fonts: read from their glyph sources
// (assets/fonts/*.txt, format described there), packed onto one page image
// and described in the BMFont text format the game's font reader parses.
// The same glyphs also draw text into the generator's own pictures.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "datagen/common/canvas.h"

namespace datagen {

struct FontGlyph {
    std::vector<std::string> rows;  // lineHeight rows of '#' (on) and '.' (off)
    int width = 0;                  // cell width in font pixels
};

class BitmapFont {
public:
    // Parses a glyph source; false after printing the problem.
    bool Parse(const std::string& text, const std::string& origin);

    const std::string& Name() const { return name_; }
    int Block() const { return block_; }
    int LineHeight() const { return lineHeight_; }
    bool Has(char32_t code) const { return glyphs_.count(code) > 0; }
    const std::map<char32_t, FontGlyph>& Glyphs() const { return glyphs_; }

    // The page image (white glyphs on transparent, `block` texels per font
    // pixel) and the .fnt text naming it `pageName`.
    void Build(const std::string& pageName, Canvas& page, std::string& fnt) const;

    // Width in font pixels of a UTF-8 text on one line (with kerning).
    int TextWidth(const std::string& utf8) const;
    // Draws UTF-8 text with its top-left at (x, y); each font pixel becomes
    // a `pixel` x `pixel` square of colour c. Returns the width drawn.
    int Draw(Canvas& canvas, int x, int y, const std::string& utf8, Rgba c, int pixel = 1) const;

private:
    int Advance(char32_t code) const;
    int Kerning(char32_t first, char32_t second) const;

    std::string name_, face_;
    int block_ = 1, lineHeight_ = 0, base_ = 0, spacing_ = 1;
    std::map<char32_t, FontGlyph> glyphs_;
    std::map<std::pair<char32_t, char32_t>, int> kernings_;
};

// The code points of a UTF-8 text (bad bytes are skipped).
std::u32string DecodeUtf8(const std::string& utf8);

}  // namespace datagen
