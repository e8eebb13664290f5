// intro_stage.h — c_IntroStage, the studio logos: each fades in, holds and
// fades out, the second after the first; then the title follows. No key
// skips it.
#pragma once

#include "framework/stage.h"
#include "stages/fade_in_out_gdo.h"

// The web addresses shown under the two studio logos.
inline constexpr char16_t kFirstStudioAddress[] = u"www.oxbrook.example.org";
inline constexpr char16_t kSecondStudioAddress[] = u"www.vintor.example.org";

class c_IntroStage final : public c_Stage {
public:
    Ref<c_FadeInOutGDO> firstLogo;
    Ref<c_FadeInOutGDO> secondLogo;

    c_IntroStage() : c_Stage(2) {}
    String ToString() const override { return u"c_IntroStage"; }
    void LoadStep(int index) override;
    void Update(int elapsedMs) override;
};
