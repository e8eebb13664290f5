// ease.h — the easing curves of tweens. Ease(t, b, c, d) gives the value at
// elapsed time t of a change from b by c over the duration d; every curve
// gives b at t = 0 and b + c at t = d. All arithmetic is 32-bit float.
//
// The curves are stateless: one instance (Shared()) serves every tween.
#pragma once

#include "host/object.h"

class c_EaseFunction {
public:
    virtual ~c_EaseFunction() = default;
    virtual float Ease(float t, float b, float c, float d) = 0;
};

// c·t/d + b
class c_LinearEase final : public Object, public c_EaseFunction {
public:
    float Ease(float t, float b, float c, float d) override;
    String ToString() const override { return u"c_LinearEase"; }
    static const Ref<c_EaseFunction>& Shared();
};

// accelerates through the first half, decelerates through the second
class c_QuadraticEaseInOut final : public Object, public c_EaseFunction {
public:
    float Ease(float t, float b, float c, float d) override;
    String ToString() const override { return u"c_QuadraticEaseInOut"; }
    static const Ref<c_EaseFunction>& Shared();
};

// c·(t/d)³ + b
class c_CubicEaseIn final : public Object, public c_EaseFunction {
public:
    float Ease(float t, float b, float c, float d) override;
    String ToString() const override { return u"c_CubicEaseIn"; }
    static const Ref<c_EaseFunction>& Shared();
};

// cubic in the first half, mirrored in the second
class c_CubicEaseInOut final : public Object, public c_EaseFunction {
public:
    float Ease(float t, float b, float c, float d) override;
    String ToString() const override { return u"c_CubicEaseInOut"; }
    static const Ref<c_EaseFunction>& Shared();
};

// quartic in the first half, mirrored in the second
class c_QuarticEaseInOut final : public Object, public c_EaseFunction {
public:
    float Ease(float t, float b, float c, float d) override;
    String ToString() const override { return u"c_QuarticEaseInOut"; }
    static const Ref<c_EaseFunction>& Shared();
};

// half a cosine wave
class c_SineEaseInOut final : public Object, public c_EaseFunction {
public:
    float Ease(float t, float b, float c, float d) override;
    String ToString() const override { return u"c_SineEaseInOut"; }
    static const Ref<c_EaseFunction>& Shared();
};
