// font.cpp — see font.h.
#include "framework/font.h"

#include <algorithm>
#include <climits>

#include "framework/color_stack.h"
#include "graphics/graphics_context.h"
#include "host/files.h"
#include "host/runtime_error.h"

namespace {

// Numbers are read from the start of the value like the C library would,
// looking at no more than 63 characters; anything else reads as 0.
int ReadInt(StringView value) {
    long long n = StringToInt(value, 63);
    if (n > INT_MAX) return INT_MAX;
    if (n < INT_MIN) return INT_MIN;
    return static_cast<int>(n);
}

// A length or position on the page, and a distance the pen moves.
int ReadSize(StringView value) { return std::clamp(ReadInt(value), 0, kMaxFontMetric); }
int ReadDistance(StringView value) { return std::clamp(ReadInt(value), -kMaxFontMetric, kMaxFontMetric); }

bool IsQuoted(StringView value) { return value.size() >= 2 && value.front() == u'"' && value.back() == u'"'; }

}  // namespace

String c_SequentialTokenizer::Next() {
    if (Remaining() <= 0) return String();
    return tokens[static_cast<std::size_t>(index++)];
}

void c_Font::Parse(StringView text) {
    for (String& line : Split(text, u"\n")) {
        // Files written on other systems end their lines with CR LF; the CR
        // would otherwise cling to the last value (and unquote nothing).
        if (!line.empty() && line.back() == u'\r') line.pop_back();
        c_SequentialTokenizer tokenizer(Split(line, u" "));
        const String tag = tokenizer.Next();
        if (tag != u"common" && tag != u"page" && tag != u"char" && tag != u"kerning") continue;

        c_CharInfo glyph;
        int id = 0, first = 0, second = 0, amount = 0;
        String file;
        while (tokenizer.Remaining() > 0) {
            const String token = tokenizer.Next();
            const std::size_t eq = token.find(u'=');
            if (eq == String::npos) continue;
            const StringView key = StringView(token).substr(0, eq);
            const StringView value = StringView(token).substr(eq + 1);
            if (tag == u"common") {
                if (key == u"lineHeight")
                    common.lineHeight = ReadSize(value);
                else if (key == u"base")
                    common.base = ReadSize(value);
                else if (key == u"scaleW")
                    common.scaleW = ReadSize(value);
                else if (key == u"scaleH")
                    common.scaleH = ReadSize(value);
                else if (key == u"pages")
                    common.pages = std::clamp(ReadInt(value), 0, kMaxFontPages);
            } else if (tag == u"page") {
                if (key == u"id")
                    id = ReadInt(value);
                else if (key == u"file")
                    file = IsQuoted(value) ? String(value.substr(1, value.size() - 2)) : String(value);
            } else if (tag == u"char") {
                if (key == u"id")
                    id = ReadInt(value);
                else if (key == u"x")
                    glyph.x = ReadSize(value);
                else if (key == u"y")
                    glyph.y = ReadSize(value);
                else if (key == u"width")
                    glyph.width = ReadSize(value);
                else if (key == u"height")
                    glyph.height = ReadSize(value);
                else if (key == u"xoffset")
                    glyph.xoffset = ReadDistance(value);
                else if (key == u"yoffset")
                    glyph.yoffset = ReadDistance(value);
                else if (key == u"xadvance")
                    glyph.xadvance = ReadDistance(value);
                else if (key == u"page")
                    glyph.page = ReadInt(value);
            } else {
                if (key == u"first")
                    first = ReadInt(value);
                else if (key == u"second")
                    second = ReadInt(value);
                else if (key == u"amount")
                    amount = ReadDistance(value);
            }
        }

        if (tag == u"page") {
            if (id < 0 || id >= kMaxFontPages) {
                RuntimeError(u"Font:: Page id " + IntToString(id) + u" is outside 0 to " +
                             IntToString(kMaxFontPages - 1) + u"!");
            }
            // Each page is a texture of its own, not shared through the cache.
            auto texture = New<c_Texture>(file, 1, false);
            if (!texture->image) RuntimeError(u"Font:: Couldn't load page texture from '" + file + u"'");
            pages[id] = std::move(texture);
        } else if (tag == u"char") {
            chars[id] = glyph;
        } else if (tag == u"kerning") {
            kernings[first][second] = amount;
        }
    }
}

const c_CharInfo* c_Font::Glyph(int code) const {
    auto it = chars.find(code);
    if (it == chars.end()) it = chars.find(' ');
    return it == chars.end() ? nullptr : &it->second;
}

int c_Font::GetKerning(int first, int second) const {
    auto outer = kernings.find(first);
    if (outer == kernings.end()) return 0;
    auto inner = outer->second.find(second);
    return inner == outer->second.end() ? 0 : inner->second;
}

int c_Font::TextWidth(StringView text) const {
    const std::size_t n = text.size();
    // Each character moves the pen at most 2 * kMaxFontMetric, so the sum
    // cannot leave a long long for any text that fits in memory.
    long long width = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (text[i] == kColorCode) {
            i += 3;
            continue;
        }
        if (const c_CharInfo* glyph = Glyph(text[i])) width += glyph->xadvance;
        if (i + 1 < n) width += GetKerning(text[i], text[i + 1]);
    }
    return static_cast<int>(std::clamp<long long>(width, INT_MIN, INT_MAX));
}

void c_Font::DrawText(StringView text, float x, float y, bool centred, float scaleX, float scaleY) {
    if (centred) y -= static_cast<float>(common.lineHeight / 2) * scaleY;
    colorstack::PushColor();
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n; ++i) {
        const int code = text[i];
        if (code == kColorCode) {
            if (n - i - 1 < 3) {
                RuntimeError(u"Font:: Not Enough color information at position " +
                             IntToString(static_cast<long long>(i)) + u"!");
            }
            colorstack::SetColor(text[i + 1], text[i + 2], text[i + 3]);
            i += 3;
            continue;
        }
        if (const c_CharInfo* glyph = Glyph(code)) {
            auto page = pages.find(glyph->page);
            if (page == pages.end()) {
                RuntimeError(u"Font:: Charset page " + IntToString(glyph->page) + u" not found!");
            }
            c_Image* image = page->second->image.get();
            if (image) {
                image->SetImageHandle(0, 0);
                DrawImagePart(image, x + static_cast<float>(glyph->xoffset) * scaleX,
                              y + static_cast<float>(glyph->yoffset) * scaleY, glyph->x, glyph->y, glyph->width,
                              glyph->height, 0, scaleX, scaleY, 0);
            }
            x += static_cast<float>(glyph->xadvance) * scaleX;
        }
        if (i + 1 < n) x += static_cast<float>(GetKerning(code, text[i + 1])) * scaleX;
    }
    colorstack::PopColor();
}

void c_Font::Discard() {
    for (auto& [id, texture] : pages) texture->Discard();
    pages.clear();
}

Ref<c_Font> LoadFont(StringView path) {
    auto font = New<c_Font>();
    font->path = String(path);
    ReadingFile reading(FixDataPath(path));
    font->Parse(LoadText(path));
    return font;
}
