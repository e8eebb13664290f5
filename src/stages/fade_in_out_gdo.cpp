// fade_in_out_gdo.cpp — see fade_in_out_gdo.h.
#include "stages/fade_in_out_gdo.h"

#include "framework/ease.h"

c_FadeInOutGDO::c_FadeInOutGDO(Ref<c_FadeInOutGDO> after) : waitFor(std::move(after)) {
    fadeTween = New<c_Tween>(c_LinearEase::Shared(), 0.0f, 1.0f, fadeTime);
    fadeTween->Start();
    alpha = 0;
}

void c_FadeInOutGDO::Update(int elapsedMs) {
    // The alpha trails the tween by one update, so a finished group reads
    // 0 only once the fade-out has been drawn to its end.
    alpha = fadeTween->value;
    if (waitFor && !(waitFor->finished && waitFor->alpha == 0)) return;
    fadeTween->Update(elapsedMs);
    if (!finished) {
        holdTime -= elapsedMs;
        if (holdTime < 1) {
            finished = true;
            fadeTween->Setup(c_LinearEase::Shared(), 1.0f, 0.0f, fadeTime);
            fadeTween->Start();
        }
    }
    c_GDO::Update(elapsedMs);
}
