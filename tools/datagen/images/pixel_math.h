// pixel_math.h — trigonometry computed with plain float arithmetic, so that
// generated pictures do not depend on the C library's rounding of sin/cos.
#pragma once

#include <cmath>

namespace datagen {

inline constexpr float kPi = 3.14159265358979f;

// sin(x) for x in radians; absolute error below 1e-5.
inline float Sin(float x) {
    const float twoPi = 2.0f * kPi;
    x = x - twoPi * std::floor(x / twoPi + 0.5f);  // now in [-pi, pi]
    if (x > kPi / 2) x = kPi - x;
    if (x < -kPi / 2) x = -kPi - x;
    float x2 = x * x;
    return x *
           (1.0f - x2 / 6.0f * (1.0f - x2 / 20.0f * (1.0f - x2 / 42.0f * (1.0f - x2 / 72.0f * (1.0f - x2 / 110.0f)))));
}
inline float Cos(float x) { return Sin(x + kPi / 2); }

// Round half away from zero to an int.
inline int Round(float v) { return static_cast<int>(v < 0 ? v - 0.5f : v + 0.5f); }

}  // namespace datagen
