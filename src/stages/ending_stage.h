// ending_stage.h — c_EndingStage: the closing picture and the thanks text
// fade in; once the text is half visible Space or Enter opens the credits.
#pragma once

#include "framework/gdo_with_tween.h"
#include "framework/label.h"
#include "framework/stage.h"

class c_EndingStage final : public c_Stage {
public:
    // The group of the "Thanks for playing this Demo!" text; its alpha
    // gates the way on.
    Ref<c_GDOWithTween> thanksGroup;
    Ref<c_Label> thanksLabel;

    c_EndingStage() : c_Stage(2) {}
    String ToString() const override { return u"c_EndingStage"; }
    void LoadStep(int index) override;
    // Runs at a fixed 16 ms per update.
    void Update(int elapsedMs) override;
};
