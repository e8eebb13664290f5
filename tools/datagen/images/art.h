// art.h — the parts of the image generator. Each draws one family of the
// game's pictures and hands them to the ImageOutput; the sprite book holds
// the hand-drawn pixel art of assets/images.
#pragma once

#include <filesystem>

#include "datagen/images/bitmap_font.h"
#include "datagen/images/image_output.h"
#include "datagen/images/sprite_book.h"

namespace datagen {

struct GameFonts {
    BitmapFont title;  // "moder_dos_437.fnt"
    BitmapFont text;   // "v5_loxica.fnt"
};

// Reads both glyph sources from the folder; false after printing why.
bool LoadFonts(const std::filesystem::path& folder, GameFonts& fonts);
// The two .fnt files with their pages, and the default font strip.
void MakeFonts(const GameFonts& fonts, ImageOutput& out);
// "char1_spritesheet.png", "char2_spritesheet.png".
void MakeCharacters(const SpriteBook& book, ImageOutput& out);
// One 16 x 25 frame of a character's sheet ("char1" or "char2"; frame 0
// stands still).
Canvas CharacterFrame(const SpriteBook& book, const std::string& who, int frame);
// The level tile sets and "snowset.png".
void MakeTiles(const SpriteBook& book, ImageOutput& out);
// Boxes, door, keys, markers, flowers, waterfalls, bubble, static, snow.
void MakeObjects(const SpriteBook& book, ImageOutput& out);
// Trees and the parallax layers of both worlds.
void MakeScenery(const SpriteBook& book, ImageOutput& out);
// Title, outro, studio logos, the falling leaf and the flags.
void MakeFrontEnd(const SpriteBook& book, const GameFonts& fonts, ImageOutput& out);
// Review pictures of the art as play shows it (preview folder only).
void MakeMockups(const GameFonts& fonts, ImageOutput& out);
// One review picture of everything written so far.
void MakeContactSheet(const GameFonts& fonts, ImageOutput& out);

}  // namespace datagen
