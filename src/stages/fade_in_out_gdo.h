// fade_in_out_gdo.h — c_FadeInOutGDO, a group that fades itself in, holds
// and fades out again, optionally only after another group has finished
// (the studio logos of the intro play one after the other this way).
#pragma once

#include "framework/gdo.h"
#include "framework/tween.h"

class c_FadeInOutGDO : public c_GDO {
public:
    // This group starts only once that one has finished and faded out.
    Ref<c_FadeInOutGDO> waitFor;
    int fadeTime = 500;  // ms
    Ref<c_Tween> fadeTween;
    bool finished = false;
    // From the start of the fade-in until the fade-out begins.
    int holdTime = 2500;  // ms

    // Starts the fade-in at once (it advances only while the group runs).
    explicit c_FadeInOutGDO(Ref<c_FadeInOutGDO> after = nullptr);
    String ToString() const override { return u"c_FadeInOutGDO"; }
    void Update(int elapsedMs) override;
};
