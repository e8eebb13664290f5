// sprite_book.cpp — see sprite_book.h.
#include "datagen/images/sprite_book.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace datagen {
namespace {
const Palette kEmptyPalette;
const std::vector<std::string> kEmptyGrid;
const Rgba kMissing{255, 0, 255, 255};

std::string TrimRight(std::string s) {
    while (!s.empty() && (s.back() == '\r' || s.back() == ' ' || s.back() == '\t')) s.pop_back();
    return s;
}
}  // namespace

bool SpriteBook::LoadFolder(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        if (entry.path().extension() == ".txt") files.push_back(entry.path());
    if (ec) {
        std::fprintf(stderr, "images: cannot read %s\n", folder.string().c_str());
        return false;
    }
    std::sort(files.begin(), files.end());
    for (const auto& file : files) {
        std::ifstream in(file, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        if (!in || !LoadText(text.str(), file.filename().string())) return false;
    }
    return true;
}

bool SpriteBook::LoadText(const std::string& text, const std::string& origin) {
    std::istringstream in(text);
    std::string line;
    int number = 0;
    Palette* palette = nullptr;
    std::vector<std::string>* grid = nullptr;
    auto fail = [&](const std::string& why) {
        std::fprintf(stderr, "images: %s:%d: %s\n", origin.c_str(), number, why.c_str());
        failed_ = true;
        return false;
    };
    while (std::getline(in, line)) {
        ++number;
        line = TrimRight(line);
        if (line.rfind("//", 0) == 0) continue;
        if (!line.empty() && line[0] == '@') {
            std::istringstream head(line.substr(1));
            std::string kind, name, colon, base;
            head >> kind >> name >> colon >> base;
            palette = nullptr;
            grid = nullptr;
            if (name.empty()) return fail("a section needs a name");
            if (kind == "palette") {
                if (palettes_.count(name)) return fail("palette " + name + " defined twice");
                palette = &palettes_[name];
                if (colon == ":") {
                    auto it = palettes_.find(base);
                    if (it == palettes_.end()) return fail("unknown base palette " + base);
                    *palette = it->second;
                }
            } else if (kind == "sprite") {
                if (sprites_.count(name)) return fail("sprite " + name + " defined twice");
                grid = &sprites_[name];
            } else {
                return fail("unknown section @" + kind);
            }
            continue;
        }
        if (palette) {
            if (line.empty()) continue;
            std::istringstream entry(line);
            std::string letter, hex;
            entry >> letter >> hex;
            Rgba c = Hex(hex);
            if (letter.size() != 1 || (c == kClear && hex != "00000000")) return fail("bad palette line: " + line);
            (*palette)[letter[0]] = c;
        } else if (grid) {
            if (!line.empty()) grid->push_back(line);
        } else if (!line.empty()) {
            return fail("text outside a section");
        }
    }
    return true;
}

const Palette& SpriteBook::GetPalette(const std::string& name) const {
    auto it = palettes_.find(name);
    if (it != palettes_.end()) return it->second;
    std::fprintf(stderr, "images: no palette %s\n", name.c_str());
    failed_ = true;
    return kEmptyPalette;
}

const std::vector<std::string>& SpriteBook::GetGrid(const std::string& name) const {
    auto it = sprites_.find(name);
    if (it != sprites_.end()) return it->second;
    std::fprintf(stderr, "images: no sprite %s\n", name.c_str());
    failed_ = true;
    return kEmptyGrid;
}

Canvas SpriteBook::Render(const std::string& sprite, const std::string& palette) const {
    return Render(sprite, GetPalette(palette));
}

Canvas SpriteBook::Render(const std::string& sprite, const Palette& palette) const {
    const auto& grid = GetGrid(sprite);
    std::size_t width = 0;
    for (const auto& row : grid) width = std::max(width, row.size());
    Canvas out(static_cast<int>(width), static_cast<int>(grid.size()));
    for (std::size_t y = 0; y < grid.size(); ++y)
        for (std::size_t x = 0; x < grid[y].size(); ++x) {
            char ch = grid[y][x];
            if (ch == '.' || ch == ' ') continue;
            auto it = palette.find(ch);
            if (it == palette.end()) {
                std::fprintf(stderr, "images: sprite %s uses letter '%c' missing from its palette\n", sprite.c_str(),
                             ch);
                failed_ = true;
                out.Set(static_cast<int>(x), static_cast<int>(y), kMissing);
                continue;
            }
            out.Set(static_cast<int>(x), static_cast<int>(y), it->second);
        }
    return out;
}

}  // namespace datagen
