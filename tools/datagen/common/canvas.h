// canvas.h — the generator's one RGBA drawing surface, shared by the image
// and the level tools: straight (not premultiplied) 8-bit colour, alpha
// blending, simple shapes, blits, outlines and frame strips. Everything is
// integer or fixed-order floating point so the pictures are the same bytes on
// every machine.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace datagen {

struct Rgba {
    std::uint8_t r = 0, g = 0, b = 0, a = 0;
    bool operator==(const Rgba&) const = default;
};
// Pixels() is handed to the PNG writer as packed RGBA bytes.
static_assert(sizeof(Rgba) == 4);

inline constexpr Rgba kClear{0, 0, 0, 0};

// "1d1b2a" or "1d1b2a80" (alpha last). Anything unreadable gives kClear.
Rgba Hex(std::string_view hex);
// Linear mix from a (t = 0) to b (t = 1), alpha included.
Rgba Mix(Rgba a, Rgba b, float t);
// The same colour with another alpha.
Rgba WithAlpha(Rgba c, int alpha);
// Brightness scale of the colour channels (1 = unchanged), clamped.
Rgba Shade(Rgba c, float factor);

// How "over" rounds a colour blended onto a partly covered pixel. The game's
// art rounds to the nearest value; the editor icons and level previews have
// always truncated, and keep doing so that their files stay the same bytes.
enum class BlendRounding { Nearest, Down };

class Canvas {
public:
    Canvas() = default;
    Canvas(int width, int height, Rgba fill = kClear, BlendRounding rounding = BlendRounding::Nearest);

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
    Rgba Get(int x, int y) const { return Inside(x, y) ? pixels_[Index(x, y)] : kClear; }
    bool Opaque(int x, int y) const { return Get(x, y).a > 0; }
    const std::vector<Rgba>& Pixels() const { return pixels_; }

    // Replaces the pixel (clipped).
    void Set(int x, int y, Rgba c);
    // Draws c over the pixel with alpha blending (clipped).
    void Blend(int x, int y, Rgba c);
    void FillRect(int x, int y, int w, int h, Rgba c);
    void BlendRect(int x, int y, int w, int h, Rgba c);
    // The one-pixel border of the box, blended.
    void BlendFrame(int x, int y, int w, int h, Rgba c);
    // Filled ellipse inside the box (x, y, w, h), pixel centres tested.
    void FillEllipse(int x, int y, int w, int h, Rgba c);
    void FillCircle(float cx, float cy, float radius, Rgba c);
    // Line with square pen of the given thickness (Bresenham centre line).
    void Line(int x0, int y0, int x1, int y1, Rgba c, int thickness = 1);
    // Filled convex or concave polygon, even-odd rule over pixel centres.
    void FillPolygon(const std::vector<float>& xy, Rgba c);

    // Draws src at (dx, dy) with alpha blending, optionally mirrored.
    void Blit(const Canvas& src, int dx, int dy, bool flipX = false);
    // Copies src over the area, replacing (not blending).
    void Paste(const Canvas& src, int dx, int dy);
    Canvas Crop(int x, int y, int w, int h) const;
    // Nearest-neighbour enlargement by an integer factor.
    Canvas Scaled(int factor) const;
    // Nearest-neighbour resize to any size.
    Canvas Resized(int w, int h) const;
    // Every transparent pixel touching an opaque one (4-neighbourhood,
    // 8 with `diagonals`) becomes c.
    void Outline(Rgba c, bool diagonals = false);
    // Recolours every opaque pixel to c, keeping its alpha.
    void Tint(Rgba c);
    // Replaces every pixel equal to `from` with `to`.
    void Replace(Rgba from, Rgba to);

private:
    std::size_t Index(int x, int y) const { return static_cast<std::size_t>(y) * width_ + x; }
    int width_ = 0, height_ = 0;
    BlendRounding rounding_ = BlendRounding::Nearest;
    std::vector<Rgba> pixels_;
};

// Frames laid side by side in one horizontal strip (all frames the size of
// the first).
Canvas Strip(const std::vector<Canvas>& frames);
// Frames laid out in rows of `columns`.
Canvas Grid(const std::vector<Canvas>& frames, int columns);
// Cell `index` of a sheet cut into w x h cells, row by row.
Canvas Cell(const Canvas& sheet, int index, int w, int h);

// A small deterministic random generator (the same sequence everywhere).
class Random {
public:
    explicit Random(std::uint32_t seed) : state_(seed * 2654435761u + 12345u) {}
    std::uint32_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    // [0, 1)
    float Unit() { return static_cast<float>(Next() >> 8) / 16777216.0f; }
    // [lo, hi] inclusive
    int Range(int lo, int hi) { return lo + static_cast<int>(Next() % static_cast<std::uint32_t>(hi - lo + 1)); }

private:
    std::uint32_t state_;
};

// Position-hashed value noise in [0, 1): the same for the same inputs.
float Hash01(int x, int y, std::uint32_t seed);

}  // namespace datagen
