// bitmap_font.cpp — see bitmap_font.h.
#include "datagen/images/bitmap_font.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace datagen {

std::u32string DecodeUtf8(const std::string& utf8) {
    std::u32string out;
    for (std::size_t i = 0; i < utf8.size();) {
        auto b = static_cast<unsigned char>(utf8[i]);
        int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
        if (extra < 0 || i + extra >= utf8.size()) {
            ++i;
            continue;
        }
        char32_t code = extra == 0 ? b : b & (0x3F >> extra);
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            auto c = static_cast<unsigned char>(utf8[i + k]);
            if ((c & 0xC0) != 0x80) ok = false;
            code = (code << 6) | (c & 0x3F);
        }
        i += ok ? extra + 1 : 1;
        if (ok) out.push_back(code);
    }
    return out;
}

namespace {
// A glyph name of the source: one character, "space" or U+XXXX.
bool GlyphCode(const std::string& token, char32_t& code) {
    if (token == "space") {
        code = U' ';
        return true;
    }
    if (token.size() > 2 && token[0] == 'U' && token[1] == '+') {
        std::string digits = token.substr(2);
        char* end = nullptr;
        unsigned long value = std::strtoul(digits.c_str(), &end, 16);
        if (end != digits.c_str() + digits.size() || value == 0 || value > 0x10FFFF) return false;
        code = static_cast<char32_t>(value);
        return true;
    }
    std::u32string s = DecodeUtf8(token);
    if (s.size() != 1) return false;
    code = s[0];
    return true;
}

std::vector<std::string> SplitCells(const std::string& row) {
    std::vector<std::string> cells;
    std::string cell;
    for (char c : row) {
        if (c == '|') {
            cells.push_back(cell);
            cell.clear();
        } else {
            cell.push_back(c);
        }
    }
    if (!cell.empty()) cells.push_back(cell);
    return cells;
}

struct Box {
    int x0, y0, x1, y1;  // lit bounds, inclusive; x1 < x0 when empty
};

Box LitBounds(const FontGlyph& g) {
    Box b{g.width, static_cast<int>(g.rows.size()), -1, -1};
    for (int y = 0; y < static_cast<int>(g.rows.size()); ++y)
        for (int x = 0; x < static_cast<int>(g.rows[y].size()); ++x)
            if (g.rows[y][x] == '#') {
                b.x0 = std::min(b.x0, x);
                b.y0 = std::min(b.y0, y);
                b.x1 = std::max(b.x1, x);
                b.y1 = std::max(b.y1, y);
            }
    return b;
}
}  // namespace

bool BitmapFont::Parse(const std::string& text, const std::string& origin) {
    std::istringstream in(text);
    std::string line;
    int number = 0;
    auto fail = [&](const std::string& why) {
        std::fprintf(stderr, "fonts: %s:%d: %s\n", origin.c_str(), number, why.c_str());
        return false;
    };
    std::vector<char32_t> pending;  // glyphs of the current @glyphs block
    std::vector<std::vector<std::string>> pendingRows;
    auto flush = [&]() -> bool {
        if (pending.empty()) return true;
        if (static_cast<int>(pendingRows.size()) != lineHeight_)
            return fail("a glyph block needs " + std::to_string(lineHeight_) + " rows");
        for (std::size_t g = 0; g < pending.size(); ++g) {
            FontGlyph glyph;
            for (const auto& cells : pendingRows) {
                if (cells.size() != pending.size()) return fail("a row has the wrong number of cells");
                if (!glyph.rows.empty() && cells[g].size() != glyph.rows[0].size())
                    return fail("the cells of one glyph differ in width");
                glyph.rows.push_back(cells[g]);
            }
            glyph.width = static_cast<int>(glyph.rows[0].size());
            if (glyphs_.count(pending[g])) return fail("a glyph is defined twice");
            glyphs_[pending[g]] = glyph;
        }
        pending.clear();
        pendingRows.clear();
        return true;
    };
    while (std::getline(in, line)) {
        ++number;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        if (line.empty() || line.rfind("//", 0) == 0) continue;
        std::istringstream words(line);
        std::string key;
        words >> key;
        if (key == "@font" || key == "@glyphs" || key == "kerning") {
            if (!flush()) return false;
        }
        if (key == "@font") {
            words >> name_;
        } else if (key == "face") {
            words >> face_;
        } else if (key == "block") {
            words >> block_;
        } else if (key == "lineHeight") {
            words >> lineHeight_;
        } else if (key == "base") {
            words >> base_;
        } else if (key == "spacing") {
            words >> spacing_;
        } else if (key == "@glyphs") {
            std::string token;
            while (words >> token) {
                char32_t code;
                if (!GlyphCode(token, code)) return fail("bad glyph name " + token);
                pending.push_back(code);
            }
        } else if (key == "kerning") {
            std::string a, b;
            int amount = 0;
            char32_t ca, cb;
            if (!(words >> a >> b >> amount) || !GlyphCode(a, ca) || !GlyphCode(b, cb)) return fail("bad kerning line");
            kernings_[{ca, cb}] = amount;
        } else if (!pending.empty()) {
            pendingRows.push_back(SplitCells(line));
        } else {
            return fail("unexpected line: " + line);
        }
    }
    if (!flush()) return false;
    if (name_.empty() || block_ < 1 || lineHeight_ < 1) return fail("missing @font, block or lineHeight");
    return true;
}

int BitmapFont::Advance(char32_t code) const {
    auto it = glyphs_.find(code);
    if (it == glyphs_.end()) it = glyphs_.find(U' ');
    return it == glyphs_.end() ? 0 : it->second.width + spacing_;
}

int BitmapFont::Kerning(char32_t first, char32_t second) const {
    auto it = kernings_.find({first, second});
    return it == kernings_.end() ? 0 : it->second;
}

int BitmapFont::TextWidth(const std::string& utf8) const {
    std::u32string s = DecodeUtf8(utf8);
    int w = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        w += Advance(s[i]);
        if (i + 1 < s.size()) w += Kerning(s[i], s[i + 1]);
    }
    return w;
}

int BitmapFont::Draw(Canvas& canvas, int x, int y, const std::string& utf8, Rgba c, int pixel) const {
    std::u32string s = DecodeUtf8(utf8);
    int pen = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        auto it = glyphs_.find(s[i]);
        if (it != glyphs_.end()) {
            const FontGlyph& g = it->second;
            for (int gy = 0; gy < static_cast<int>(g.rows.size()); ++gy)
                for (int gx = 0; gx < g.width; ++gx)
                    if (g.rows[gy][gx] == '#')
                        canvas.BlendRect(x + (pen + gx) * pixel, y + gy * pixel, pixel, pixel, c);
        }
        pen += Advance(s[i]);
        if (i + 1 < s.size()) pen += Kerning(s[i], s[i + 1]);
    }
    return pen * pixel;
}

void BitmapFont::Build(const std::string& pageName, Canvas& page, std::string& fnt) const {
    const int gap = 2;  // texels between glyphs on the page
    struct Placed {
        char32_t code;
        Box box;
        int px = 0, py = 0;
    };
    std::vector<Placed> placed;
    for (const auto& [code, glyph] : glyphs_) placed.push_back({code, LitBounds(glyph)});

    // Shelf packing in code order; the smallest power-of-two page that holds
    // every glyph with a height no larger than its width.
    int pageW = 64, pageH = 64;
    for (;; pageW *= 2) {
        int x = gap, y = gap, shelf = 0;
        for (auto& p : placed) {
            if (p.box.x1 < p.box.x0) continue;
            int w = (p.box.x1 - p.box.x0 + 1) * block_, h = (p.box.y1 - p.box.y0 + 1) * block_;
            if (x + w + gap > pageW) {
                x = gap;
                y += shelf + gap;
                shelf = 0;
            }
            p.px = x;
            p.py = y;
            x += w + gap;
            shelf = std::max(shelf, h);
        }
        int used = y + shelf + gap;
        pageH = 64;
        while (pageH < used) pageH *= 2;
        if (pageH <= pageW) break;
    }

    page = Canvas(pageW, pageH);
    const Rgba white{255, 255, 255, 255};
    std::ostringstream out;
    out << "info face=\"" << face_ << "\" size=" << lineHeight_ * block_
        << " bold=0 italic=0 charset=\"\" unicode=1 stretchH=100 smooth=0 aa=1 padding=0,0,0,0 spacing=" << gap << ","
        << gap << "\n";
    out << "common lineHeight=" << lineHeight_ * block_ << " base=" << base_ * block_ << " scaleW=" << pageW
        << " scaleH=" << pageH << " pages=1 packed=0\n";
    out << "page id=0 file=\"" << pageName << "\"\n";
    out << "chars count=" << placed.size() << "\n";
    for (const auto& p : placed) {
        const FontGlyph& g = glyphs_.at(p.code);
        bool empty = p.box.x1 < p.box.x0;
        int w = empty ? 0 : (p.box.x1 - p.box.x0 + 1) * block_;
        int h = empty ? 0 : (p.box.y1 - p.box.y0 + 1) * block_;
        if (!empty)
            for (int y = p.box.y0; y <= p.box.y1; ++y)
                for (int x = p.box.x0; x <= p.box.x1; ++x)
                    if (g.rows[y][x] == '#')
                        page.FillRect(p.px + (x - p.box.x0) * block_, p.py + (y - p.box.y0) * block_, block_, block_,
                                      white);
        out << "char id=" << static_cast<std::uint32_t>(p.code) << " x=" << (empty ? 0 : p.px)
            << " y=" << (empty ? 0 : p.py) << " width=" << w << " height=" << h
            << " xoffset=" << (empty ? 0 : p.box.x0 * block_) << " yoffset=" << (empty ? 0 : p.box.y0 * block_)
            << " xadvance=" << (g.width + spacing_) * block_ << " page=0 chnl=15\n";
    }
    out << "kernings count=" << kernings_.size() << "\n";
    for (const auto& [pair, amount] : kernings_)
        out << "kerning first=" << static_cast<std::uint32_t>(pair.first)
            << " second=" << static_cast<std::uint32_t>(pair.second) << " amount=" << amount * block_ << "\n";
    fnt = out.str();
}

}  // namespace datagen
