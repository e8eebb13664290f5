// geometry.h — the small value records of the display tree: c_Vector,
// c_RGB and c_Circle.
//
// They are plain copyable values (not Objects): every display object embeds
// several, and culling and rendering copy them freely without touching the
// heap. Where something needs to point at a vector that lives elsewhere (a
// window's follow target), it holds a Ref<c_Vector> — possibly an aliasing
// one into the owning object.
#pragma once

#include <cmath>

struct c_Vector {
    float x = 0;
    float y = 0;

    c_Vector() = default;
    c_Vector(float x_, float y_) : x(x_), y(y_) {}

    void Set(float x_, float y_) {
        x = x_;
        y = y_;
    }
    float Length() const { return std::sqrt(x * x + y * y); }
    bool operator==(const c_Vector& o) const { return x == o.x && y == o.y; }
};

// A colour with 0..255 components.
struct c_RGB {
    int r = 0;
    int g = 0;
    int b = 0;

    void Set(int r_, int g_, int b_) {
        r = r_;
        g = g_;
        b = b_;
    }
    bool operator==(const c_RGB& o) const { return r == o.r && g == o.g && b == o.b; }
};

struct c_Circle {
    c_Vector center;
    float radius = 0;

    c_Circle() = default;
    c_Circle(float x, float y, float r) : center(x, y), radius(r) {}
};

// -1, 0 or 1: the direction of `v` along its axis.
inline float Sign(float v) { return v > 0 ? 1.0f : (v < 0 ? -1.0f : 0.0f); }

// A float truncated toward zero to an int, saturating at the int range
// (NaN gives 0), so that a wild value never reaches undefined behaviour.
inline int TruncToInt(float value) {
    if (!(value == value)) return 0;
    if (value >= 2147483647.0f) return 2147483647;
    if (value <= -2147483648.0f) return -2147483647 - 1;
    return static_cast<int>(value);
}
