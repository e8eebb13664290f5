// ending_stage.cpp — see ending_stage.h.
#include "stages/ending_stage.h"

#include "framework/ease.h"
#include "framework/game.h"
#include "framework/static_image.h"
#include "framework/texture.h"
#include "framework/translation.h"
#include "host/input_device.h"
#include "stages/front_end.h"

namespace {

constexpr int kThanksFadeMs = 2000;

// A group whose "alpha" runs from 0 to 1 over the fade-in.
Ref<c_GDOWithTween> FadingGroup() {
    auto group = New<c_GDOWithTween>();
    group->tween = New<c_Tween>(c_LinearEase::Shared(), 0.0f, 1.0f, kThanksFadeMs);
    group->tween->Start();
    group->propertyName = u"alpha";
    // Hidden until the first update: the manager draws the stage for its
    // own fade-in before any update runs.
    group->alpha = 0;
    return group;
}

}  // namespace

void c_EndingStage::LoadStep(int index) {
    if (index != 0) return;
    auto pictureGroup = FadingGroup();
    pictureGroup->AddChild(CentredImage(u"outro.png"));
    root->AddChild(pictureGroup);

    auto prompt = New<c_BlinkingLabel>(Game().titleFont, kCrispTitleScale);
    prompt->tint.Set(187, 218, 232);
    prompt->SetText(TranslateText(u"PRESS ENTER"));
    prompt->position.Set(-54, 52);
    pictureGroup->AddChild(prompt);

    thanksGroup = FadingGroup();
    thanksLabel = New<c_Label>(Game().textFont, kCrispTextScale);
    thanksLabel->box.Set(200, 30);
    thanksLabel->SetText(TranslateText(u"Thanks for playing this Demo!"));
    thanksLabel->position.Set(-80, -24);
    thanksGroup->AddChild(thanksLabel);
    root->AddChild(thanksGroup);
}

void c_EndingStage::Update(int) {
    c_Stage::Update(kFrontEndStepMs);
    if (!thanksGroup) return;
    if (ActionHit(kActionConfirm) && thanksGroup->alpha >= 0.5f) {
        GoToCredits();
    }
}
