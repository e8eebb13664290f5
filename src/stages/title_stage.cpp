// title_stage.cpp — see title_stage.h.
#include "stages/title_stage.h"

#include "framework/game.h"
#include "framework/label.h"
#include "framework/static_image.h"
#include "framework/texture.h"
#include "framework/translation.h"
#include "host/input_device.h"
#include "host/runtime_error.h"
#include "stages/front_end.h"

void c_TitleStage::LoadStep(int index) {
    if (index != 0) return;
    root->AddChild(CentredImage(u"title.png"));

    auto prompt = New<c_BlinkingLabel>(Game().titleFont, kCrispTitleScale);
    prompt->blinking = true;
    prompt->blinkPeriod = 277;
    prompt->tint.Set(251, 229, 163);
    prompt->SetText(TranslateText(u"PRESS ENTER TO START"));
    prompt->position.Set(64, 62);
    root->AddChild(prompt);

    AddFallingLeaf(*root, -128, 51);
}

void c_TitleStage::Update(int) {
    c_Stage::Update(kFrontEndStepMs);
    if (ActionHit(kActionConfirm)) {
        GoToLevel(0);
    } else if (ActionHit(kActionBack)) {
        EndApp();
    }
}
