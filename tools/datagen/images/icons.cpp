// icons.cpp — the program's desktop icons: the first character standing in
// the two worlds of every level (warm above, cool below) on a rounded tile,
// drawn at each hicolor size with whole-pixel scaling so the pixel art stays
// crisp. The smallest size shows only the head and shoulders.
#include <algorithm>
#include <cstdio>
#include <string>

#include "datagen/common/png.h"
#include "datagen/generators.h"
#include "datagen/images/art.h"

namespace datagen {
namespace {

constexpr int kSizes[] = {16, 32, 48, 64, 128, 256};

// A rounded square split into the upper and the lower world, with a dark rim.
Canvas Tile(int size) {
    const Rgba upper = Hex("f0b46a"), lower = Hex("5b7fb8"), rim = Hex("1c1a2b");
    Canvas c(size, size);
    const int radius = std::max(2, size / 6);
    const int rimWidth = std::max(1, size / 32);
    auto inside = [&](int x, int y, int inset) {
        const int lo = inset, hi = size - 1 - inset, r = radius - inset;
        int cx = std::clamp(x, lo + r, hi - r), cy = std::clamp(y, lo + r, hi - r);
        int dx = x - cx, dy = y - cy;
        return x >= lo && x <= hi && y >= lo && y <= hi && dx * dx + dy * dy <= r * r;
    };
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            if (!inside(x, y, 0)) continue;
            c.Set(x, y, inside(x, y, rimWidth) ? (y < size / 2 ? upper : lower) : rim);
        }
    return c;
}

Canvas Icon(const Canvas& figure, int size) {
    Canvas icon = Tile(size);
    if (size < figure.Height()) {
        // Head and shoulders, one to one.
        Canvas bust = figure.Crop(0, 0, figure.Width(), std::min(figure.Height(), size));
        icon.Blit(bust, (size - bust.Width()) / 2, size - bust.Height());
        return icon;
    }
    const int scale = std::max(1, (size - size / 8) / figure.Height());
    Canvas big = figure.Scaled(scale);
    // Centred, so the figure stands across the line between the worlds.
    icon.Blit(big, (size - big.Width()) / 2, (size - big.Height()) / 2);
    return icon;
}

}  // namespace

bool GenerateIcons(const fs::path& assets, const fs::path& out) {
    SpriteBook book;
    if (!book.LoadFolder(assets / "images")) return false;
    const Canvas figure = CharacterFrame(book, "char1", 0);
    if (book.Failed()) return false;
    for (int size : kSizes) {
        const std::string dim = std::to_string(size) + "x" + std::to_string(size);
        const fs::path folder = out / "hicolor" / dim / "apps";
        std::error_code error;
        fs::create_directories(folder, error);
        if (!WritePng(Icon(figure, size), folder / "orbel.png")) {
            std::fprintf(stderr, "orbel_datagen: cannot write %s\n", (folder / "orbel.png").c_str());
            return false;
        }
    }
    return true;
}

}  // namespace datagen
