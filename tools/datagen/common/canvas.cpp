// canvas.cpp — see canvas.h.
#include "datagen/common/canvas.h"

#include <algorithm>
#include <cmath>

namespace datagen {
namespace {
int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::uint8_t Clamp8(float v) {
    if (v <= 0.0f) return 0;
    if (v >= 255.0f) return 255;
    return static_cast<std::uint8_t>(v + 0.5f);
}
}  // namespace

Rgba Hex(std::string_view hex) {
    if (hex.size() != 6 && hex.size() != 8) return kClear;
    std::uint8_t v[4] = {0, 0, 0, 255};
    for (std::size_t i = 0; i < hex.size() / 2; ++i) {
        int hi = HexDigit(hex[2 * i]), lo = HexDigit(hex[2 * i + 1]);
        if (hi < 0 || lo < 0) return kClear;
        v[i] = static_cast<std::uint8_t>(hi * 16 + lo);
    }
    return {v[0], v[1], v[2], v[3]};
}

Rgba Mix(Rgba a, Rgba b, float t) {
    return {Clamp8(a.r + (b.r - a.r) * t), Clamp8(a.g + (b.g - a.g) * t), Clamp8(a.b + (b.b - a.b) * t),
            Clamp8(a.a + (b.a - a.a) * t)};
}

Rgba WithAlpha(Rgba c, int alpha) {
    c.a = static_cast<std::uint8_t>(std::clamp(alpha, 0, 255));
    return c;
}

Rgba Shade(Rgba c, float f) { return {Clamp8(c.r * f), Clamp8(c.g * f), Clamp8(c.b * f), c.a}; }

Canvas::Canvas(int width, int height, Rgba fill, BlendRounding rounding)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      rounding_(rounding),
      pixels_(static_cast<std::size_t>(width_) * height_, fill) {}

void Canvas::Set(int x, int y, Rgba c) {
    if (Inside(x, y)) pixels_[Index(x, y)] = c;
}

void Canvas::Blend(int x, int y, Rgba c) {
    if (!Inside(x, y) || c.a == 0) return;
    Rgba& d = pixels_[Index(x, y)];
    if (c.a == 255 || d.a == 0) {
        d = c;
        return;
    }
    // Straight-alpha "over" in integer arithmetic.
    const int sa = c.a, da = d.a * (255 - sa) / 255, oa = sa + da;
    const int half = rounding_ == BlendRounding::Nearest ? oa / 2 : 0;
    auto ch = [&](int s, int dd) { return static_cast<std::uint8_t>((s * sa + dd * da + half) / oa); };
    d = {ch(c.r, d.r), ch(c.g, d.g), ch(c.b, d.b), static_cast<std::uint8_t>(oa)};
}

void Canvas::FillRect(int x, int y, int w, int h, Rgba c) {
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i) Set(i, j, c);
}

void Canvas::BlendRect(int x, int y, int w, int h, Rgba c) {
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i) Blend(i, j, c);
}

void Canvas::BlendFrame(int x, int y, int w, int h, Rgba c) {
    BlendRect(x, y, w, 1, c);
    BlendRect(x, y + h - 1, w, 1, c);
    BlendRect(x, y + 1, 1, h - 2, c);
    BlendRect(x + w - 1, y + 1, 1, h - 2, c);
}

void Canvas::FillEllipse(int x, int y, int w, int h, Rgba c) {
    if (w <= 0 || h <= 0) return;
    float rx = w / 2.0f, ry = h / 2.0f, cx = x + rx, cy = y + ry;
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i) {
            float dx = (i + 0.5f - cx) / rx, dy = (j + 0.5f - cy) / ry;
            if (dx * dx + dy * dy <= 1.0f) Blend(i, j, c);
        }
}

void Canvas::FillCircle(float cx, float cy, float radius, Rgba c) {
    int x0 = static_cast<int>(std::floor(cx - radius)), x1 = static_cast<int>(std::ceil(cx + radius));
    int y0 = static_cast<int>(std::floor(cy - radius)), y1 = static_cast<int>(std::ceil(cy + radius));
    for (int j = y0; j <= y1; ++j)
        for (int i = x0; i <= x1; ++i) {
            float dx = i + 0.5f - cx, dy = j + 0.5f - cy;
            if (dx * dx + dy * dy <= radius * radius) Blend(i, j, c);
        }
}

void Canvas::Line(int x0, int y0, int x1, int y1, Rgba c, int thickness) {
    int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    int lo = -(thickness - 1) / 2, hi = thickness / 2;
    for (;;) {
        for (int j = lo; j <= hi; ++j)
            for (int i = lo; i <= hi; ++i) Set(x0 + i, y0 + j, c);
        if (x0 == x1 && y0 == y1) break;
        int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

void Canvas::FillPolygon(const std::vector<float>& xy, Rgba c) {
    std::size_t n = xy.size() / 2;
    if (n < 3) return;
    float minY = xy[1], maxY = xy[1];
    for (std::size_t i = 0; i < n; ++i) {
        minY = std::min(minY, xy[2 * i + 1]);
        maxY = std::max(maxY, xy[2 * i + 1]);
    }
    for (int y = static_cast<int>(std::floor(minY)); y <= static_cast<int>(std::ceil(maxY)); ++y) {
        float py = y + 0.5f;
        std::vector<float> xs;
        for (std::size_t i = 0, j = n - 1; i < n; j = i++) {
            float yi = xy[2 * i + 1], yj = xy[2 * j + 1];
            if ((yi > py) != (yj > py)) xs.push_back(xy[2 * i] + (py - yi) / (yj - yi) * (xy[2 * j] - xy[2 * i]));
        }
        std::sort(xs.begin(), xs.end());
        for (std::size_t k = 0; k + 1 < xs.size(); k += 2)
            for (int x = static_cast<int>(std::ceil(xs[k] - 0.5f)); x + 0.5f <= xs[k + 1]; ++x) Blend(x, y, c);
    }
}

void Canvas::Blit(const Canvas& src, int dx, int dy, bool flipX) {
    for (int y = 0; y < src.height_; ++y)
        for (int x = 0; x < src.width_; ++x) Blend(dx + (flipX ? src.width_ - 1 - x : x), dy + y, src.Get(x, y));
}

void Canvas::Paste(const Canvas& src, int dx, int dy) {
    for (int y = 0; y < src.height_; ++y)
        for (int x = 0; x < src.width_; ++x) Set(dx + x, dy + y, src.Get(x, y));
}

Canvas Canvas::Crop(int x, int y, int w, int h) const {
    Canvas out(w, h, kClear, rounding_);
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) out.Set(i, j, Get(x + i, y + j));
    return out;
}

Canvas Canvas::Scaled(int factor) const {
    Canvas out(width_ * factor, height_ * factor, kClear, rounding_);
    for (int y = 0; y < out.height_; ++y)
        for (int x = 0; x < out.width_; ++x) out.Set(x, y, Get(x / factor, y / factor));
    return out;
}

Canvas Canvas::Resized(int w, int h) const {
    Canvas out(w, h, kClear, rounding_);
    if (width_ == 0 || height_ == 0) return out;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) out.Set(x, y, Get(x * width_ / w, y * height_ / h));
    return out;
}

void Canvas::Outline(Rgba c, bool diagonals) {
    Canvas before = *this;
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) {
            if (before.Opaque(x, y)) continue;
            bool touch = before.Opaque(x - 1, y) || before.Opaque(x + 1, y) || before.Opaque(x, y - 1) ||
                         before.Opaque(x, y + 1);
            if (diagonals)
                touch = touch || before.Opaque(x - 1, y - 1) || before.Opaque(x + 1, y - 1) ||
                        before.Opaque(x - 1, y + 1) || before.Opaque(x + 1, y + 1);
            if (touch) Set(x, y, c);
        }
}

void Canvas::Tint(Rgba c) {
    for (Rgba& p : pixels_)
        if (p.a > 0) p = {c.r, c.g, c.b, p.a};
}

void Canvas::Replace(Rgba from, Rgba to) {
    for (Rgba& p : pixels_)
        if (p == from) p = to;
}

Canvas Strip(const std::vector<Canvas>& frames) { return Grid(frames, static_cast<int>(frames.size())); }

Canvas Grid(const std::vector<Canvas>& frames, int columns) {
    if (frames.empty() || columns < 1) return {};
    int w = frames[0].Width(), h = frames[0].Height();
    int rows = (static_cast<int>(frames.size()) + columns - 1) / columns;
    Canvas out(w * columns, h * rows);
    for (std::size_t i = 0; i < frames.size(); ++i)
        out.Paste(frames[i], static_cast<int>(i % columns) * w, static_cast<int>(i / columns) * h);
    return out;
}

Canvas Cell(const Canvas& sheet, int index, int w, int h) {
    int columns = std::max(1, sheet.Width() / std::max(w, 1));
    return sheet.Crop((index % columns) * w, (index / columns) * h, w, h);
}

float Hash01(int x, int y, std::uint32_t seed) {
    std::uint32_t h =
        static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return static_cast<float>(h >> 8) / 16777216.0f;
}

}  // namespace datagen
