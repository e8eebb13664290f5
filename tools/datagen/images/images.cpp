// images.cpp — the image part of the data generator: every picture and font
// the game reads, drawn from the readable sources of assets/images and
// assets/fonts, plus a contact sheet of all of them in the preview folder.
#include "datagen/generators.h"
#include "datagen/images/art.h"

namespace datagen {

bool GenerateImages(const fs::path& assets, const fs::path& data, const fs::path& preview) {
    SpriteBook book;
    GameFonts fonts;
    if (!book.LoadFolder(assets / "images") || !LoadFonts(assets / "fonts", fonts)) return false;
    ImageOutput out(data, preview);
    MakeFonts(fonts, out);
    MakeCharacters(book, out);
    MakeTiles(book, out);
    MakeObjects(book, out);
    MakeScenery(book, out);
    MakeFrontEnd(book, fonts, out);
    MakeMockups(fonts, out);
    MakeContactSheet(fonts, out);
    return out.Ok() && !book.Failed();
}

}  // namespace datagen
