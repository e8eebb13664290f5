// ease.cpp — see ease.h.
#include "framework/ease.h"

#include <cmath>

namespace {

// π/180 as a 32-bit float, the game's degree conversion everywhere.
constexpr float kDegToRad = 0.01745329238474369f;

template <class T>
const Ref<c_EaseFunction>& SharedOf() {
    static const Ref<c_EaseFunction> instance = New<T>();
    return instance;
}

}  // namespace

float c_LinearEase::Ease(float t, float b, float c, float d) { return c * t / d + b; }

float c_QuadraticEaseInOut::Ease(float t, float b, float c, float d) {
    float u = t / (d / 2);
    if (u < 1) return c / 2 * u * u + b;
    float v = u - 1;
    return b - c / 2 * (v * (v - 2) - 1);
}

float c_CubicEaseIn::Ease(float t, float b, float c, float d) {
    float u = t / d;
    return c * u * u * u + b;
}

float c_CubicEaseInOut::Ease(float t, float b, float c, float d) {
    float u = t / (d / 2);
    if (u < 1) return c / 2 * u * u * u + b;
    float v = u - 2;
    return c / 2 * (v * v * v + 2) + b;
}

float c_QuarticEaseInOut::Ease(float t, float b, float c, float d) {
    float u = t / (d / 2);
    if (u < 1) return c / 2 * u * u * u * u + b;
    float v = u - 2;
    return b - c / 2 * (v * v * v * v - 2);
}

float c_SineEaseInOut::Ease(float t, float b, float c, float d) {
    float angle = t * 180.0f / d * kDegToRad;
    return b - c / 2 * (std::cos(angle) - 1);
}

const Ref<c_EaseFunction>& c_LinearEase::Shared() { return SharedOf<c_LinearEase>(); }
const Ref<c_EaseFunction>& c_QuadraticEaseInOut::Shared() { return SharedOf<c_QuadraticEaseInOut>(); }
const Ref<c_EaseFunction>& c_CubicEaseIn::Shared() { return SharedOf<c_CubicEaseIn>(); }
const Ref<c_EaseFunction>& c_CubicEaseInOut::Shared() { return SharedOf<c_CubicEaseInOut>(); }
const Ref<c_EaseFunction>& c_QuarticEaseInOut::Shared() { return SharedOf<c_QuarticEaseInOut>(); }
const Ref<c_EaseFunction>& c_SineEaseInOut::Shared() { return SharedOf<c_SineEaseInOut>(); }
