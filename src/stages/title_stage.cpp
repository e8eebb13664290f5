// title_stage.cpp — see title_stage.h.
#include "stages/title_stage.h"

#include "framework/game.h"
#include "framework/label.h"
#include "framework/static_image.h"
#include "framework/texture.h"
#include "framework/translation.h"
#include "graphics/image.h"
#include "host/input_device.h"
#include "host/runtime_error.h"
#include "stages/front_end.h"

void c_TitleStage::LoadStep(int index) {
    if (index != 0) return;
    picture_ = CentredImage(u"title.png");
    root->AddChild(picture_);

    auto prompt = New<c_BlinkingLabel>(Game().titleFont, kCrispTitleScale);
    prompt->blinking = true;
    prompt->blinkPeriod = 277;
    prompt->tint.Set(251, 229, 163);
    prompt->SetText(TranslateText(u"PRESS ENTER TO START"));
    prompt->position.Set(64, 62);
    root->AddChild(prompt);

    AddFallingLeaf(*root, -128, 51);
}

bool c_TitleStage::CoversScreen() {
    const c_Image* image = picture_ && picture_->texture ? picture_->texture->image.get() : nullptr;
    if (!image || !image->surface || !picture_->IsVisible() || picture_->alpha < 1 || !window) return false;
    // The picture's centre is the world's origin, which the default window
    // shows at the screen's centre: at least screen-sized and opaque all
    // over, it covers the screen.
    const c_Vector& screen = VirtualSize();
    return (image->flags & c_Image::WholeSurface) && image->surface->opaque && picture_->position.x == 0 &&
           picture_->position.y == 0 && window->camera.x == 0 && window->camera.y == 0 &&
           static_cast<float>(image->Width()) >= screen.x && static_cast<float>(image->Height()) >= screen.y;
}

void c_TitleStage::Update(int) {
    c_Stage::Update(kFrontEndStepMs);
    if (ActionHit(kActionConfirm)) {
        GoToLevel(0);
    } else if (ActionHit(kActionBack)) {
        EndApp();
    }
}
