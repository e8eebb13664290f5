// contact_sheet.cpp — one review picture of every image written, frames
// spread apart, with both fonts set in sample lines.
#include <algorithm>

#include "datagen/images/art.h"

namespace datagen {
namespace {
const int kSheetWidth = 1400;
const Rgba kBackA = Hex("3a3d4a"), kBackB = Hex("44485a"), kLabel = Hex("f0e8c8");

// The frames of an image spread apart by a one-pixel gap, wrapped to fit.
Canvas Spread(const WrittenImage& image) {
    const Canvas& c = image.canvas;
    int fw = image.frameWidth > 0 ? image.frameWidth : c.Width();
    int fh = image.frameHeight > 0 ? image.frameHeight : c.Height();
    int cols = std::max(1, c.Width() / fw), rows = std::max(1, c.Height() / fh);
    int count = cols * rows;
    int perRow = std::max(1, std::min(count, (kSheetWidth - 20) / (fw + 1)));
    int outRows = (count + perRow - 1) / perRow;
    Canvas out(perRow * (fw + 1) - 1, outRows * (fh + 1) - 1, Hex("00000000"));
    for (int i = 0; i < count; ++i) {
        Canvas frame = c.Crop((i % cols) * fw, (i / cols) * fh, fw, fh);
        int x = (i % perRow) * (fw + 1), y = (i / perRow) * (fh + 1);
        out.FillRect(x, y, fw, fh, Hex("2a2c36"));
        out.Blit(frame, x, y);
    }
    return out;
}
}  // namespace

void MakeContactSheet(const GameFonts& fonts, ImageOutput& out) {
    std::vector<std::pair<std::string, Canvas>> items;
    for (const auto& image : out.Written()) items.push_back({image.name, Spread(image)});

    // Font samples, drawn as the game would at one font pixel per pixel.
    const char* samples[] = {"ABCDEFGHIJKLMNOPQRSTUVWXYZ 0123456789",
                             "abcdefghijklmnopqrstuvwxyz !\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~",
                             "\xc2\xbf"
                             "Ad\xc3\xb3nde est\xc3\xa1 la llave? \xc2\xa1"
                             "Ping\xc3\xbcino! \xc3\xa1\xc3\xa9\xc3\xad\xc3\xb3\xc3\xba\xc3\xbc\xc3\xb1 "
                             "\xc3\x81\xc3\x89\xc3\x8d\xc3\x93\xc3\x9a\xc3\x9c\xc3\x91 ESPA\xc3\xb1OL",
                             "PRESS ENTER TO START - RESUME GAME - It's not opening. Am I missing something?"};
    for (const BitmapFont* font : {&fonts.title, &fonts.text}) {
        Canvas sample(kSheetWidth - 20, static_cast<int>(std::size(samples)) * (font->LineHeight() * 2 + 2));
        for (std::size_t i = 0; i < std::size(samples); ++i)
            font->Draw(sample, 0, static_cast<int>(i) * (font->LineHeight() * 2 + 2), samples[i], kLabel, 2);
        items.push_back({font->Name() + " (2x)", sample});
    }

    // Shelf layout.
    struct Spot {
        int x, y;
    };
    std::vector<Spot> spots;
    int x = 10, y = 10, shelf = 0;
    for (const auto& [name, canvas] : items) {
        int w = std::max(canvas.Width(), fonts.text.TextWidth(name)), h = canvas.Height() + 12;
        if (x + w > kSheetWidth - 10) {
            x = 10;
            y += shelf + 10;
            shelf = 0;
        }
        spots.push_back({x, y});
        x += w + 14;
        shelf = std::max(shelf, h);
    }
    Canvas sheet(kSheetWidth, y + shelf + 10);
    for (int j = 0; j < sheet.Height(); ++j)
        for (int i = 0; i < sheet.Width(); ++i) sheet.Set(i, j, ((i / 8 + j / 8) % 2) ? kBackA : kBackB);
    for (std::size_t k = 0; k < items.size(); ++k) {
        fonts.text.Draw(sheet, spots[k].x, spots[k].y, items[k].first, kLabel);
        sheet.Blit(items[k].second, spots[k].x, spots[k].y + 12);
    }
    out.Preview("contact_sheet.png", sheet.Scaled(2));
}

}  // namespace datagen
