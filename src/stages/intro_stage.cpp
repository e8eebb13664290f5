// intro_stage.cpp — see intro_stage.h.
#include "stages/intro_stage.h"

#include "framework/game.h"
#include "framework/label.h"
#include "framework/static_image.h"
#include "framework/texture.h"
#include "stages/front_end.h"

namespace {

// One logo with its studio's address below it.
Ref<c_FadeInOutGDO> MakeLogo(StringView image, StringView address, Ref<c_FadeInOutGDO> after) {
    auto logo = New<c_FadeInOutGDO>(std::move(after));
    logo->AddChild(CentredImage(image));
    // Two virtual pixels per font pixel: three device pixels on the intro's
    // 640 x 360 screen, so the letters stay crisp.
    auto label = New<c_Label>(Game().titleFont, 2 * kCrispTitleScale);
    label->SetText(address);
    label->position.Set(0, 116);
    logo->AddChild(label);
    return logo;
}

}  // namespace

void c_IntroStage::LoadStep(int index) {
    if (index == 0) {
        firstLogo = MakeLogo(u"oxbrook.png", kFirstStudioAddress, nullptr);
        root->AddChild(firstLogo);
    } else if (index == 1) {
        secondLogo = MakeLogo(u"vintor.png", kSecondStudioAddress, firstLogo);
        root->AddChild(secondLogo);
    }
}

void c_IntroStage::Update(int elapsedMs) {
    c_Stage::Update(elapsedMs);
    if (!firstLogo || !secondLogo) return;
    if (firstLogo->finished && secondLogo->finished && firstLogo->alpha == 0 && secondLogo->alpha == 0) {
        GoToTitle();
    }
}
