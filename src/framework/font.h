// font.h — c_Font, a bitmap font read from a text ".fnt" description whose
// glyphs live on page images, drawn glyph by glyph with kerning and with
// in-text colour changes.
//
// A colour code is the character kColorCode followed by three characters
// whose codes are the red, green and blue (0..255) to draw the rest of the
// text in; the colour in force before the text is restored afterwards.
// Characters without a glyph are drawn and measured as a space.
//
// The game loads its two fonts once at start-up and keeps them for the run:
//
//   Ref<c_Font> font = LoadFont(u"v5_loxica.fnt");   // from ./data
//   font->DrawText(u"Hello", 10, 20, false, 0.5f, 0.5f);
//   int w = font->TextWidth(u"Hello");               // unscaled pixels
#pragma once

#include <map>
#include <vector>

#include "framework/interfaces.h"
#include "framework/texture.h"
#include "host/object.h"
#include "host/text.h"

inline constexpr char16_t kColorCode = 18;

// What a description may say. Page ids run from 0 to kMaxFontPages - 1; a
// page outside them is the runtime error "Font:: Page id N is outside 0 to
// 15!". Every other number is clamped: glyph rectangles, the line height,
// the base and the page size to 0..kMaxFontMetric, the page count to
// 0..kMaxFontPages, offsets, advances and kerning amounts to
// -kMaxFontMetric..kMaxFontMetric, so that measuring any text and the
// renderer's coordinates stay far inside the int range.
inline constexpr int kMaxFontPages = 16;
inline constexpr int kMaxFontMetric = 4096;

// The "common" line of a font description.
struct c_CommonFontInfo {
    int lineHeight = 0;
    int base = 0;
    int scaleW = 0;
    int scaleH = 0;
    int pages = 0;
};

// One "char" line: the glyph's rectangle on its page, where it sits relative
// to the pen and how far it moves the pen.
struct c_CharInfo {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    int xoffset = 0;
    int yoffset = 0;
    int xadvance = 0;
    int page = 0;
};

// Hands out the tokens of a line one by one.
class c_SequentialTokenizer {
public:
    std::vector<String> tokens;
    int index = 0;

    explicit c_SequentialTokenizer(std::vector<String> parts) : tokens(std::move(parts)) {}
    int Remaining() const { return static_cast<int>(tokens.size()) - index; }
    // The next token, or the empty text when none is left.
    String Next();
};

class c_Font : public Object, public c_Resource {
public:
    String path;
    c_CommonFontInfo common;
    std::map<int, Ref<c_Texture>> pages;
    // first character → second character → amount in font pixels.
    std::map<int, std::map<int, int>> kernings;
    std::map<int, c_CharInfo> chars;

    c_Font() = default;
    c_Font(const c_Font&) = delete;
    c_Font& operator=(const c_Font&) = delete;

    String ToString() const override { return u"c_Font"; }

    // Reads the description's text. Tags and keys it does not use are
    // ignored; a page image that cannot be loaded is the runtime error
    // "Font:: Couldn't load page texture from '<file>'", a page id outside
    // the limit the one above.
    void Parse(StringView text);

    // Draws `text` with its pen starting at (x, y) under the current matrix
    // and colour; `centred` moves it up by half a line. A glyph whose page
    // is not loaded ("Font:: Charset page N not found!") and a colour code
    // without its three components ("Font:: Not Enough color information at
    // position N!") are runtime errors.
    void DrawText(StringView text, float x, float y, bool centred = false, float scaleX = 1, float scaleY = 1);
    // The unscaled advance of the text, kerning included; colour codes take
    // no room. A text too long for an int measures INT_MAX (or INT_MIN).
    int TextWidth(StringView text) const;
    int GetKerning(int first, int second) const;
    int LineHeight() const { return common.lineHeight; }

    // Discards the page textures.
    void Discard() override;

private:
    // The glyph of `code`, or the space's; null when there is neither.
    const c_CharInfo* Glyph(int code) const;
};

// A font from the description at `path` (a bare name is read from the data
// folder). A file that cannot be read gives a font without glyphs.
Ref<c_Font> LoadFont(StringView path);
