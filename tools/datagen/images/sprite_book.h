// sprite_book.h — pixel art kept as text: palettes of one-letter colours and
// named grids of those letters, read from the files under assets/images.
//
//   // a comment line
//   @palette NAME [: BASE]     then lines "L RRGGBB[AA]" (L one character)
//   @sprite NAME               then the rows of the grid
//
// In a grid "." and " " are transparent; every other letter must be in the
// palette the grid is drawn with. A palette with a base starts as a copy of it.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "datagen/common/canvas.h"

namespace datagen {

using Palette = std::map<char, Rgba>;

class SpriteBook {
public:
    // Reads every .txt file of the folder (in name order). False after
    // printing the first problem.
    bool LoadFolder(const std::filesystem::path& folder);
    // Reads one source text; `origin` names it in messages.
    bool LoadText(const std::string& text, const std::string& origin);

    bool HasSprite(const std::string& name) const { return sprites_.count(name) > 0; }
    const Palette& GetPalette(const std::string& name) const;
    const std::vector<std::string>& GetGrid(const std::string& name) const;
    // The grid drawn with the palette. A missing sprite, palette or letter is
    // reported once and drawn as magenta so it cannot go unnoticed.
    Canvas Render(const std::string& sprite, const std::string& palette) const;
    Canvas Render(const std::string& sprite, const Palette& palette) const;
    bool Failed() const { return failed_; }

private:
    std::map<std::string, Palette> palettes_;
    std::map<std::string, std::vector<std::string>> sprites_;
    mutable bool failed_ = false;
};

}  // namespace datagen
