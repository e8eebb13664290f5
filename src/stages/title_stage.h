// title_stage.h — c_TitleStage: the title picture, the blinking prompt and a
// falling leaf. Space or Enter starts the hub level, Escape ends the game.
#pragma once

#include "framework/stage.h"
#include "framework/static_image.h"

class c_TitleStage final : public c_Stage {
public:
    c_TitleStage() : c_Stage(2) {}
    String ToString() const override { return u"c_TitleStage"; }
    void LoadStep(int index) override;
    // Runs at a fixed 16 ms per update.
    void Update(int elapsedMs) override;
    // The title picture fills the screen when it is opaque.
    bool CoversScreen() override;

private:
    Ref<c_StaticImage> picture_;
};
